// Drives the modal dialogs and message boxes a test opens, through their widgets, from inside
// the modal loop the test then enters. User-interface thread only.
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;

class ModalDriver {
public:
    enum class End { Enter, Escape, CloseBox, None };
    // Answer: every message box is recorded in m_messages and answered OK, before any
    // expectation sees it. Leave: message boxes are only what When expects.
    enum class Boxes { Answer, Leave };

    explicit ModalDriver(Boxes boxes = Boxes::Answer);  // not copied: it owns a QTimer
    // Fails the test for every expected widget that has not appeared.
    ~ModalDriver();

    // Calls act with the first modal widget of type T that appears within five seconds. If
    // none appears, or what is modal is still open five seconds after act returns, it fails
    // the test and rejects it, so that the test goes on instead of hanging.
    template <typename T>
    void When(std::function<void(T*)> act) {
        Expect(T::staticMetaObject.className(),
               [act = std::move(act)](QWidget* widget) { act(static_cast<T*>(widget)); });
    }
    // Answers the next dialog: m_onDialog first, then typed into its first edit (cleared
    // first if asked), then ends it with a key or its close box, or leaves it to m_onDialog.
    void AnswerDialog(const QString& typed, End end, bool clearFirst = true);

    std::vector<std::string> m_messages;
    std::function<void(QDialog*)> m_onDialog;
    // Answer: called once, right after the first box is answered, from inside its modal loop.
    std::function<void()> m_afterBox;

private:
    struct Expected;
    void Expect(const char* type, std::function<void(QWidget*)> act);
    void Tick();

    Boxes m_boxes;
    QTimer m_timer;
    std::vector<std::shared_ptr<Expected>> m_expected;
};
