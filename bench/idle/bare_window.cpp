// The anchor of the idle benchmark: the least a Qt 6 window can do to show what Vandrel shows.
// Once a second it reads the kernel's counters in one netlink dump and sets a label to each
// interface's name and its outgoing and incoming rate, the lines the program draws.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <map>
#include <string>

#include "link_stats.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel label;
    label.setWindowTitle(QStringLiteral("bare window"));
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.resize(400, 300);
    std::map<std::string, InterfaceSample> previous;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        std::vector<InterfaceSample> samples;
        ReadLinkStats(samples);  // left empty when the kernel cannot be asked
        QString text;
        for (const InterfaceSample& sample : samples) {
            const auto last = previous.find(sample.name);
            const bool known = last != previous.end();
            const double out = known ? double(sample.txBytes - last->second.txBytes) : 0.0;
            const double in = known ? double(sample.rxBytes - last->second.rxBytes) : 0.0;
            text += QString::fromStdString(sample.name) + '\n' +
                    QString::asprintf("outRate=%.1f KB/sec\nInRate=%.1f KB/sec\n", out / 1024,
                                      in / 1024);
            previous[sample.name] = sample;
        }
        label.setText(text);
    });
    timer.start(1000);
    label.show();
    return QApplication::exec();
}
