// The anchor of the idle benchmark: the least a Qt 6 window can do to show what Vandrel shows.
// Once a second it reads the kernel's counters in one netlink dump and draws each interface's
// name and its outgoing and incoming rate, the lines the program draws, and beside them the
// last minute as a line over an area on one scale. With --lines-only it sets a label to the
// lines alone, as the anchor did before the program drew graphs.
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <string>

#include "link_stats.h"

namespace {

struct Interface {
    InterfaceSample last;
    std::deque<std::pair<double, double>> minute;  // KB/sec out and in, oldest first
};

class BareWindow : public QWidget {
public:
    void Tick() {
        std::vector<InterfaceSample> samples;
        (void)ReadLinkStats(samples);  // left empty when the kernel cannot be asked
        m_order.clear();
        for (const InterfaceSample& sample : samples) {
            const auto known = m_interfaces.find(sample.name);
            Interface& interface = m_interfaces[sample.name];
            if (known != m_interfaces.end()) {
                interface.minute.emplace_back((sample.txBytes - interface.last.txBytes) / 1024.0,
                                              (sample.rxBytes - interface.last.rxBytes) / 1024.0);
                if (interface.minute.size() > 60) {
                    interface.minute.pop_front();
                }
            }
            interface.last = sample;
            m_order.push_back(sample.name);
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int right = width() - 11;
        const int step = std::clamp((right - 200) / 59, 1, 8);
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            const int y = 30 + 100 * static_cast<int>(i);
            const Interface& interface = m_interfaces[m_order[i]];
            const auto [out, in] =
                interface.minute.empty() ? std::pair{0.0, 0.0} : interface.minute.back();
            const int ascent = painter.fontMetrics().ascent();
            painter.setPen(Qt::black);
            painter.drawText(10, y - 20 + ascent, QString::fromStdString(m_order[i]));
            painter.drawText(10, y + ascent, QString::asprintf("outRate=%.1f KB/sec", out));
            painter.drawText(10, y + 20 + ascent, QString::asprintf("InRate=%.1f KB/sec", in));
            PaintGraph(painter, interface,
                       QRect(QPoint(right - 59 * step, y), QPoint(right, y + 64)), step);
        }
    }

private:
    static void PaintGraph(QPainter& painter, const Interface& interface, const QRect& plot,
                           int step) {
        double top = 1.0;
        for (const auto& [out, in] : interface.minute) {
            while (top < std::max(out, in)) {
                top *= 10.0;
            }
        }
        painter.setPen(Qt::gray);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(plot);
        painter.setPen(Qt::black);
        painter.drawText(plot.left(), plot.top() - 6, QString::asprintf("%.0f KB/sec", top));
        QPolygon outLine, inArea;
        int x = plot.right() - step * (static_cast<int>(interface.minute.size()) - 1);
        for (const auto& [out, in] : interface.minute) {
            outLine << QPoint(x, plot.bottom() - static_cast<int>(out / top * plot.height()));
            inArea << QPoint(x, plot.bottom() - static_cast<int>(in / top * plot.height()));
            x += step;
        }
        if (inArea.size() < 2) {
            return;
        }
        inArea << QPoint(plot.right(), plot.bottom()) << QPoint(inArea.first().x(), plot.bottom());
        painter.setPen(QColor(0, 128, 64));
        painter.setBrush(QColor(153, 204, 178));
        painter.drawPolygon(inArea);
        painter.setPen(QPen(QColor(0, 70, 180), 2));
        painter.drawPolyline(outLine);
    }

    std::map<std::string, Interface> m_interfaces;
    std::vector<std::string> m_order;  // the kernel's, as the last read gave it
};

// The lines alone, in a label that repaints only when a figure changes.
void ShowLines(QLabel& label) {
    static std::map<std::string, InterfaceSample> previous;
    std::vector<InterfaceSample> samples;
    (void)ReadLinkStats(samples);  // left empty when the kernel cannot be asked
    QString text;
    for (const InterfaceSample& sample : samples) {
        const auto last = previous.find(sample.name);
        const bool known = last != previous.end();
        const double out = known ? double(sample.txBytes - last->second.txBytes) : 0.0;
        const double in = known ? double(sample.rxBytes - last->second.rxBytes) : 0.0;
        text +=
            QString::fromStdString(sample.name) + '\n' +
            QString::asprintf("outRate=%.1f KB/sec\nInRate=%.1f KB/sec\n", out / 1024, in / 1024);
        previous[sample.name] = sample;
    }
    label.setText(text);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool linesOnly = argc > 1 && QString(argv[1]) == QStringLiteral("--lines-only");
    QLabel label;
    BareWindow graphs;
    QWidget& window = linesOnly ? static_cast<QWidget&>(label) : graphs;
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    graphs.setAutoFillBackground(true);
    graphs.setPalette(QPalette(Qt::black, Qt::white));
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(400, 300);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (linesOnly) {
            ShowLines(label);
        } else {
            graphs.Tick();
        }
    });
    timer.start(1000);
    window.show();
    return QApplication::exec();
}
