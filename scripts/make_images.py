#!/usr/bin/env python3
"""Draws the toolbar strip, the two icons and the desktop icons (16 to 256 px) into res/images/.

Run by hand after changing a drawing; the outputs are committed. 16-colour images use the
standard 16-colour palette; light grey (index 7) is the toolbar's button face.
"""
import os
import struct
import zlib

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Drawing letters to palette indexes; ' ' is transparent in icons.
INK = {'k': 0, 'm': 1, 'd': 2, 'o': 3, 'n': 4, 'p': 5, 't': 6, '.': 7, 'g': 8, 'r': 9,
       'G': 10, 'y': 11, 'b': 12, 'M': 13, 'c': 14, 'w': 15, ' ': 7}

# One 16x15 image per button, in button order.
BUTTONS = {
    'new': [
        "................",
        "...kkkkkkkk.....",
        "...kwwwwwwkk....",
        "...kwwwwwwkwk...",
        "...kwwwwwwkkkk..",
        "...kwwwwwwwwwk..",
        "...kwwwwwwwwwk..",
        "...kwwwwwwwwwk..",
        "...kwwwwwwwwwk..",
        "...kwwwwwwwwwk..",
        "...kwwwwwwwwwk..",
        "...kwwwwwwwwwk..",
        "...kwwwwwwwwwk..",
        "...kkkkkkkkkkk..",
        "................",
    ],
    'open': [
        "................",
        "...........k....",
        "..........kkk...",
        ".kkkk......k....",
        "kyyyyk.....k....",
        "kyyyyykkkkkkk...",
        "kyyyyyyyyyyyk...",
        "kyyykkkkkkkkkkkk",
        "kyykoooooooooook",
        "kykoooooooooook.",
        "kkoooooooooook..",
        "kkkkkkkkkkkkk...",
        "................",
        "................",
        "................",
    ],
    'save': [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".knnwwwwwwwwnnk.",
        ".knnwkkkkkkwnnk.",
        ".knnwwwwwwwwnnk.",
        ".knnwkkkkkkwnnk.",
        ".knnnnnnnnnnnnk.",
        ".knnnnnnnnnnnnk.",
        ".knnggggggggnnk.",
        ".knnggkkggggnnk.",
        ".knnggkkggggnnk.",
        ".knnggkkggggnnk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................",
    ],
    'cut': [
        "................",
        "....k.....k.....",
        "....k.....k.....",
        "....k....k......",
        ".....k...k......",
        ".....k..k.......",
        "......kk........",
        "......kk........",
        ".....n..n.......",
        "...nnn..nnn.....",
        "..n..n..n..n....",
        "..n..n..n..n....",
        "..n..n..n..n....",
        "...nn....nn.....",
        "................",
    ],
    'copy': [
        "................",
        "..kkkkkkk.......",
        "..kwwwwwk.......",
        "..kwkkkwk.......",
        "..kwwwwwk.......",
        "..kwkknnnnnnn...",
        "..kwwwnwwwwwn...",
        "..kwkknwkkkwn...",
        "..kwwwnwwwwwn...",
        "..kkkknwkkkwn...",
        "......nwwwwwn...",
        "......nwkkkwn...",
        "......nwwwwwn...",
        "......nnnnnnn...",
        "................",
    ],
    'paste': [
        "................",
        ".....kkkkk......",
        "..ookkyyykkoo...",
        "..ooooooooooo...",
        "..ooooooooooo...",
        "..oooonnnnnnnn..",
        "..oooonwwwwwwn..",
        "..oooonwkkkkwn..",
        "..oooonwwwwwwn..",
        "..oooonwkkkkwn..",
        "..oooonwwwwwwn..",
        "..oooonwkkkwwn..",
        "..oooonwwwwwwn..",
        "......nnnnnnnn..",
        "................",
    ],
    'print': [
        "................",
        "....kkkkkkk.....",
        "....kwwwwwk.....",
        "....kwkkkwk.....",
        "....kwwwwwk.....",
        "..kkkkkkkkkkk...",
        ".kgggggggggggk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwGwwk..",
        ".kgggggggggggk..",
        ".kkkkkkkkkkkkk..",
        "..kwwwwwwwwwk...",
        "..kkkkkkkkkkk...",
        "................",
        "................",
    ],
    'about': [
        "................",
        "................",
        ".....bbbbbb.....",
        "....bbb..bbb....",
        "....bbb..bbb....",
        ".........bbb....",
        "........bbb.....",
        ".......bbb......",
        "......bbb.......",
        "......bbb.......",
        "................",
        "......bbb.......",
        "......bbb.......",
        "................",
        "................",
    ],
    # The host's IP addresses: "IP" over a list of dotted addresses.
    'all_ip': [
        "................",
        "..bbb.bbbbb.....",
        "...b..bb..bb....",
        "...b..bb..bb....",
        "...b..bbbbb.....",
        "...b..bb........",
        "..bbb.bb........",
        "................",
        ".k.kkk.k.kkk.k..",
        "................",
        ".k.kkk.k.kkk.k..",
        "................",
        ".k.kkk.k.kkk.k..",
        "................",
        "................",
    ],
    # The adapter's hardware address: a network card.
    'netinfo': [
        "................",
        "................",
        "................",
        ".kkkkkkkkkkkkk..",
        ".kdddddddddddk..",
        ".kddkkkdddkkdk..",
        ".kddkkkdddkkdk..",
        ".kdddddddddddkkk",
        ".kdddddddddddkwk",
        ".kkkkkkkkkkkkkwk",
        "...yyyyyyy...kkk",
        "...y.y.y.y......",
        "................",
        "................",
        "................",
    ],
    # The log writer: a pencil writing lines into a log file.
    'log_writer': [
        "................",
        ".kkkkkkkk.......",
        ".kwwwwwwk.......",
        ".kwkkkkwk.......",
        ".kwwwwwwk....r..",
        ".kwkkkkwk...rrr.",
        ".kwwwwwwk..rrr..",
        ".kwkkkkwk.rrr...",
        ".kwwwwwwkrrr....",
        ".kwkkkkwyyr.....",
        ".kwwwwwykk......",
        ".kwkkkwwk.......",
        ".kwwwwwwk.......",
        ".kkkkkkkk.......",
        "................",
    ],
}
ORDER = ['new', 'open', 'save', 'cut', 'copy', 'paste', 'print', 'about', 'all_ip', 'netinfo',
         'log_writer']


def check(rows, width, height, name):
    assert len(rows) == height, f"{name}: {len(rows)} rows"
    for row in rows:
        assert len(row) == width, f"{name}: row {row!r} is {len(row)} wide"


def bmp4(rows):
    """A 16-colour BMP of the rows (bottom-up, rows padded to 4 bytes)."""
    width, height = len(rows[0]), len(rows)
    stride = ((width + 7) // 8) * 4
    pixels = b''.join(pack4(row, stride) for row in reversed(rows))
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    return header + info + palette + pixels


def pack4(row, stride):
    out = bytearray(stride)
    for x, ch in enumerate(row):
        out[x // 2] |= INK[ch] << (4 if x % 2 == 0 else 0)
    return bytes(out)


def ico4(images):
    """A 16-colour .ico holding each square image; ' ' pixels are transparent."""
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    blobs = []
    for rows in images:
        size = len(rows)
        stride = ((size + 7) // 8) * 4
        xor = b''.join(pack4(row, stride) for row in reversed(rows))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            line = bytearray(mask_stride)
            for x, ch in enumerate(row):
                if ch == ' ':
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(mask),
                           0, 0, 16, 0)
        blobs.append((size, info + palette + xor + bytes(mask)))
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    return out + b''.join(blob for _, blob in blobs)


def png(rows):
    """An RGBA PNG of the rows, ' ' transparent."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for ch in row:
            r, g, b = PALETTE[INK[ch]]
            raw += bytes((r, g, b, 0 if ch == ' ' else 255))

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))

    width, height = len(rows[0]), len(rows)
    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def canvas(size):
    return [[' '] * size for _ in range(size)]


def fill(grid, x0, y0, x1, y1, ch):
    for y in range(y0, y1):
        for x in range(x0, x1):
            grid[y][x] = ch


def arrow(grid, cx, top, bottom, half, ch, up):
    """A vertical arrow: a head of the given half-width and a shaft half as wide."""
    head = half + 1
    shaft = max(1, half // 2)
    for i in range(head):
        y = top + i if up else bottom - 1 - i
        fill(grid, cx - i, y, cx + i + 1, y + 1, ch)
    y0, y1 = (top + head, bottom) if up else (top, bottom - head)
    fill(grid, cx - shaft, y0, cx + shaft + 1, y1, ch)


def app_icon(size):
    """The program's icon: a screen showing traffic going out (green) and in (red)."""
    s = size / 32
    g = canvas(size)
    fill(g, 0, int(2 * s), size, int(26 * s), 'k')
    fill(g, int(2 * s), int(4 * s), size - int(2 * s), int(24 * s), 'n')
    arrow(g, int(10 * s), int(6 * s), int(22 * s), max(2, int(5 * s)), 'G', True)
    arrow(g, int(21 * s), int(6 * s), int(22 * s), max(2, int(5 * s)), 'r', False)
    fill(g, int(12 * s), int(26 * s), int(20 * s), int(29 * s), 'g')
    fill(g, int(6 * s), int(29 * s), int(26 * s), int(31 * s), 'k')
    return [''.join(r) for r in g]


def doc_icon(size):
    """The document's icon: a page with the same two arrows."""
    s = size / 32
    g = canvas(size)
    fill(g, int(4 * s), 0, int(28 * s), size, 'k')
    fill(g, int(5 * s), int(1 * s) or 1, int(27 * s), size - 1, 'w')
    arrow(g, int(11 * s), int(6 * s), int(26 * s), max(2, int(4 * s)), 'd', True)
    arrow(g, int(20 * s), int(6 * s), int(26 * s), max(2, int(4 * s)), 'm', False)
    return [''.join(r) for r in g]


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res', 'images')
    for name in ORDER:
        check(BUTTONS[name], 16, 15, name)
    strip = [''.join(BUTTONS[name][y] for name in ORDER) for y in range(15)]
    files = {
        'toolbar.bmp': bmp4(strip),
        'vandrel.ico': ico4([app_icon(32), app_icon(16)]),
        'vandrel_doc.ico': ico4([doc_icon(32), doc_icon(16)]),
    }
    # Desktops pick the nearest size and scale it; each is drawn at its own size to stay sharp.
    for size in (16, 32, 48, 64, 128, 256):
        files[f'vandrel-{size}.png'] = png(app_icon(size))
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
