// Reads the first rate graph, from the top, out of a screenshot of the program's window, by its
// pixels alone: its frame is the first grey horizontal line 59 x n + 1 pixels long with a grey
// line of the same colour running down from its left end (clear until the minute is full).
// Prints the plot's height, then for each second of the minute, newest first, the height of
// what is drawn there above the plot's bottom (-1 where nothing is: a second without a figure).
// Usage: graph_profile SCREENSHOT.png
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int kSeconds = 60;

struct Frame {
    int left, right, top, bottom;
};

// The length of the run of `colour` going right (dx 1) or down (dy 1) from (x, y).
int Run(const QImage& image, int x, int y, int dx, int dy, QRgb colour) {
    int length = 0;
    for (; x < image.width() && y < image.height() && image.pixel(x, y) == colour;
         x += dx, y += dy) {
        ++length;
    }
    return length;
}

std::optional<Frame> FindFrame(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = image.pixel(x, y);
            if (qRed(colour) != qGreen(colour) || qGreen(colour) != qBlue(colour) ||
                qRed(colour) == 0 || qRed(colour) == 255) {
                continue;  // not grey
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
    const auto [left, right, top, bottom] = *frame;
    const QRgb background = image.pixel(right + 2, top + 2);
    const QRgb edge = image.pixel(left, top);
    const int step = (right - left) / (kSeconds - 1);
    std::printf("%d\n", bottom - top);
    // A second's height: the highest drawn pixel over the segment that ends at its point.
    for (int age = 0; age < kSeconds; ++age) {
        const int at = right - age * step;
        int height = -1;
        for (int x = std::max(left + 1, at - step + 1); x <= at - (age == 0 ? 1 : 0); ++x) {
            for (int y = top + 1; y <= bottom; ++y) {
                if (const QRgb pixel = image.pixel(x, y); pixel != background && pixel != edge) {
                    height = std::max(height, bottom - y);
                    break;
                }
            }
        }
        std::printf("%d%c", height, age + 1 < kSeconds ? ' ' : '\n');
    }
    return 0;
}
