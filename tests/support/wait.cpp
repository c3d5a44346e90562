#include "wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

bool WaitUntil(const std::function<bool()>& done, int deadlineMs) {
    QElapsedTimer clock;
    clock.start();
    // done() is asked before each pass over the events: what the test waits for must not be
    // followed by events it did not wait for (a capture's message box, say).
    while (!done()) {
        if (clock.elapsed() > deadlineMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Deletions posted with deleteLater run too, as they would in the program's own loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}
