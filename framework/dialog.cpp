#include "dialog.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <vector>

#include "dialog_units.h"
#include "resources.h"
#include "win_app.h"

namespace glue {
namespace {

// Escape and the close box both reject a QDialog; both mean IDCANCEL to the dialog.
class DialogHost : public QDialog {
public:
    DialogHost(CDialog* owner, QWidget* parent) : QDialog(parent), m_owner(owner) {}

    void reject() override { m_owner->OnCancel(); }

private:
    CDialog* m_owner;
};

}  // namespace
}  // namespace glue

namespace {

QPixmap ProgramIcon(UINT nIconID, int size) {
    return glue::LoadIcon(nIconID).pixmap(size, size);
}

struct CreatedControl {
    const glue::DialogItem* item;
    QWidget* widget;
};

// The static text that labels an edit, as a reader of the dialog sees it: the nearest one
// to its left on its row, else the nearest one above it. Templates list labels before or
// after their edits, so their order says nothing.
QLabel* LabelOf(const glue::DialogItem& edit, const std::vector<CreatedControl>& controls) {
    QLabel* left = nullptr;
    int leftEdge = 0;
    QLabel* above = nullptr;
    int aboveEdge = 0;
    for (const CreatedControl& c : controls) {
        const glue::DialogItem& s = *c.item;
        if (s.kind != glue::DialogControlKind::StaticText) {
            continue;
        }
        auto* label = static_cast<QLabel*>(c.widget);
        const int right = s.x + s.cx;
        const int bottom = s.y + s.cy;
        if (s.y < edit.y + edit.cy && edit.y < bottom && right <= edit.x) {
            if (left == nullptr || right > leftEdge) {
                left = label;
                leftEdge = right;
            }
        } else if (s.x < edit.x + edit.cx && edit.x < right && bottom <= edit.y) {
            if (above == nullptr || bottom > aboveEdge) {
                above = label;
                aboveEdge = bottom;
            }
        }
    }
    return left != nullptr ? left : above;
}

// Screen readers name a button or a text by what it shows; an edit by its label, and an icon
// by the program it stands for.
void NameForAccessibility(const std::vector<CreatedControl>& controls) {
    for (const CreatedControl& c : controls) {
        if (c.item->kind == glue::DialogControlKind::Edit) {
            if (QLabel* label = LabelOf(*c.item, controls)) {
                label->setBuddy(c.widget);
                c.widget->setAccessibleName(label->text());
            }
        } else if (c.item->kind == glue::DialogControlKind::StaticIcon) {
            c.widget->setAccessibleName(QGuiApplication::applicationDisplayName());
        }
    }
}

}  // namespace

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, CDialog::OnOK)
ON_COMMAND(IDCANCEL, CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    const glue::DialogTemplate* dialogTemplate = glue::FindDialogTemplate(m_nIDHelp);
    if (dialogTemplate == nullptr) {
        return -1;
    }
    QWidget* parent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (parent == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr) {
        parent = AfxGetApp()->m_pMainWnd->GetSafeHwnd();
    }
    auto* host = new glue::DialogHost(this, parent);
    Attach(host);
    host->setWindowTitle(QString::fromUtf8(dialogTemplate->lpszCaption));
    host->setFont(DialogFont(*dialogTemplate));
    const DialogBaseUnits units = BaseUnitsOf(host->font());
    host->setFixedSize(DluToPixels(units, 0, 0, dialogTemplate->cx, dialogTemplate->cy).size());
    if ((dialogTemplate->style & WS_SYSMENU) == 0) {
        host->setWindowFlag(Qt::WindowCloseButtonHint, false);
    }
    QWidget* firstTabStop = CreateControls(*dialogTemplate);
    if (OnInitDialog() && firstTabStop != nullptr) {
        firstTabStop->setFocus();  // as Windows does when OnInitDialog returns TRUE
    }
    const int result = host->exec();
    m_controls.clear();
    delete host;
    return result;
}

QWidget* CDialog::CreateControls(const glue::DialogTemplate& dialogTemplate) {
    QWidget* host = GetSafeHwnd();
    const DialogBaseUnits units = BaseUnitsOf(host->font());
    QWidget* firstTabStop = nullptr;
    QWidget* previousTabStop = nullptr;
    std::vector<CreatedControl> created;
    for (const glue::DialogItem& item : dialogTemplate.items) {
        QWidget* control = nullptr;
        const QString text = QString::fromUtf8(item.lpszText != nullptr ? item.lpszText : "");
        switch (item.kind) {
            case glue::DialogControlKind::PushButton: {
                auto* button = new QPushButton(text, host);
                button->setDefault((item.style & BS_DEFPUSHBUTTON) != 0);
                button->setAutoDefault(false);
                const int id = item.nID;
                QObject::connect(button, &QPushButton::clicked, host, [this, id] {
                    OnCmdMsg(static_cast<UINT>(id), BN_CLICKED, nullptr);
                });
                control = button;
                break;
            }
            case glue::DialogControlKind::Edit: {
                auto* edit = new QLineEdit(text, host);
                if ((item.style & ES_NUMBER) != 0) {
                    edit->setValidator(
                        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
                }
                control = edit;
                break;
            }
            case glue::DialogControlKind::StaticText: {
                auto* label = new QLabel(host);
                label->setTextFormat(Qt::PlainText);
                label->setText((item.style & SS_NOPREFIX) != 0 ? text : QString(text).remove('&'));
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setWordWrap(true);  // a static text control breaks its lines to its width
                control = label;
                break;
            }
            case glue::DialogControlKind::StaticIcon: {
                auto* label = new QLabel(host);
                label->setPixmap(ProgramIcon(item.nIconID, 32));
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                control = label;
                break;
            }
        }
        QRect geometry = DluToPixels(units, item.x, item.y, item.cx, item.cy);
        if (item.kind == glue::DialogControlKind::StaticIcon) {
            geometry.setSize({32, 32});  // an icon control sizes itself to its icon
        }
        control->setGeometry(geometry);
        if ((item.style & WS_TABSTOP) != 0) {
            control->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr) {
                QWidget::setTabOrder(previousTabStop, control);
            } else {
                firstTabStop = control;
            }
            previousTabStop = control;
        } else {
            control->setFocusPolicy(Qt::NoFocus);
        }
        if (item.nID != IDC_STATIC) {
            m_controls[item.nID] = control;
        }
        // Windows stacks a template's first control on top; Qt the last created.
        control->lower();
        created.push_back({&item, control});
    }
    NameForAccessibility(created);
    return firstTabStop;
}

void CDialog::EndDialog(int nResult) {
    if (auto* host = qobject_cast<QDialog*>(GetSafeHwnd())) {
        host->done(nResult);
    }
}

QWidget* CDialog::GetDlgItem(int nID) const {
    const auto it = m_controls.find(nID);
    return it != m_controls.end() ? it->second : nullptr;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
