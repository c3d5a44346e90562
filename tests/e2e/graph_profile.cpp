// Reads the first rate graph, from the top, out of a screenshot of the program's window, by its
// pixels alone: its frame is the first grey horizontal line 59 x n + 1 pixels long with a grey
// line of the same colour running down from its left end (clear until the minute is full).
// Prints the plot's height, then for each second of the minute, newest first, the height of
// what is drawn there above the plot's bottom (-1 where nothing is: a second without a figure).
// Usage: graph_profile SCREENSHOT.png
#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int kSeconds = 60;

struct Frame {
    int left, right, top, bottom;
};

bool IsGrey(QRgb pixel) {
    return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel) && qRed(pixel) > 0 &&
           qRed(pixel) < 255;
}

// The length of the run of `colour` going right (dx 1) or down (dy 1) from (x, y).
int Run(const QImage& image, int x, int y, int dx, int dy, QRgb colour) {
    int length = 0;
    while (x < image.width() && y < image.height() && image.pixel(x, y) == colour) {
        ++length;
        x += dx;
        y += dy;
    }
    return length;
}

std::optional<Frame> FindFrame(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = image.pixel(x, y);
            if (!IsGrey(colour)) {
                continue;
            }
            const int across = Run(image, x, y, 1, 0, colour);
            const int down = Run(image, x, y, 0, 1, colour);
            if (across >= kSeconds && (across - 1) % (kSeconds - 1) == 0 && down >= 20) {
                return Frame{x, x + across - 1, y, y + down - 1};
            }
            x += across - 1;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    QImage image;
    if (argc != 2 || !image.load(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: graph_profile SCREENSHOT.png (a readable image)\n");
        return 2;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    const auto frame = FindFrame(image);
    if (!frame) {
        std::fprintf(stderr, "graph_profile: no graph frame in %s\n", argv[1]);
        return 1;
    }
    const QRgb background = image.pixel(frame->right + 2, frame->top + 2);
    const QRgb edge = image.pixel(frame->left, frame->top);
    const int step = (frame->right - frame->left) / (kSeconds - 1);
    std::printf("%d\n", frame->bottom - frame->top);
    // A second's height: the highest drawn pixel over the segment that ends at its point.
    for (int age = 0; age < kSeconds; ++age) {
        const int at = frame->right - age * step;
        int height = -1;
        for (int x = std::max(frame->left + 1, at - step + 1); x <= at - (age == 0 ? 1 : 0); ++x) {
            for (int y = frame->top + 1; y <= frame->bottom; ++y) {
                const QRgb pixel = image.pixel(x, y);
                if (pixel != background && pixel != edge) {
                    height = std::max(height, frame->bottom - y);
                    break;
                }
            }
        }
        std::printf("%d%c", height, age + 1 < kSeconds ? ' ' : '\n');
    }
    return 0;
}
