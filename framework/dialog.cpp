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

QString TextOf(const glue::DialogItem& item) {
    return QString::fromUtf8(item.lpszText != nullptr ? item.lpszText : "");
}

// A click is the button's BN_CLICKED notification to the dialog.
QPushButton* CreatePushButton(const glue::DialogItem& item, QWidget* host, CCmdTarget* dialog) {
    auto* button = new QPushButton(TextOf(item), host);
    button->setDefault((item.style & BS_DEFPUSHBUTTON) != 0);
    button->setAutoDefault(false);
    const int id = item.nID;
    QObject::connect(button, &QPushButton::clicked, host, [dialog, id] {
        dialog->OnCmdMsg(static_cast<UINT>(id), BN_CLICKED, nullptr);
    });
    return button;
}

QLineEdit* CreateEdit(const glue::DialogItem& item, QWidget* host) {
    auto* edit = new QLineEdit(TextOf(item), host);
    if ((item.style & ES_NUMBER) != 0) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    }
    return edit;
}

QLabel* CreateStaticText(const glue::DialogItem& item, QWidget* host) {
    auto* label = new QLabel(host);
    label->setTextFormat(Qt::PlainText);
    const QString text = TextOf(item);
    label->setText((item.style & SS_NOPREFIX) != 0 ? text : QString(text).remove('&'));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);  // a static text control breaks its lines to its width
    return label;
}

QLabel* CreateStaticIcon(const glue::DialogItem& item, QWidget* host) {
    auto* label = new QLabel(host);
    label->setPixmap(ProgramIcon(item.nIconID, 32));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* CreateControl(const glue::DialogItem& item, QWidget* host, CCmdTarget* dialog) {
    switch (item.kind) {
        case glue::DialogControlKind::PushButton:
            return CreatePushButton(item, host, dialog);
        case glue::DialogControlKind::Edit:
            return CreateEdit(item, host);
        case glue::DialogControlKind::StaticText:
            return CreateStaticText(item, host);
        case glue::DialogControlKind::StaticIcon:
            return CreateStaticIcon(item, host);
    }
    return nullptr;  // not reached: every kind has its case
}

void Place(QWidget* control, const glue::DialogItem& item, const glue::DialogBaseUnits& units) {
    QRect geometry = glue::DluToPixels(units, item.x, item.y, item.cx, item.cy);
    if (item.kind == glue::DialogControlKind::StaticIcon) {
        geometry.setSize({32, 32});  // an icon control sizes itself to its icon
    }
    control->setGeometry(geometry);
    // Windows stacks a template's first control on top; Qt the last created.
    control->lower();
}

// Tab goes through the WS_TABSTOP controls in template order, and only through them.
// Returns the first of them; null when none.
QWidget* SetTabOrder(const std::vector<CreatedControl>& controls) {
    QWidget* first = nullptr;
    QWidget* previous = nullptr;
    for (const CreatedControl& c : controls) {
        if ((c.item->style & WS_TABSTOP) == 0) {
            c.widget->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        c.widget->setFocusPolicy(Qt::StrongFocus);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, c.widget);
        } else {
            first = c.widget;
        }
        previous = c.widget;
    }
    return first;
}

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
    host->setFont(glue::DialogFont(*dialogTemplate));
    const glue::DialogBaseUnits units = glue::BaseUnitsOf(host->font());
    host->setFixedSize(
        glue::DluToPixels(units, 0, 0, dialogTemplate->cx, dialogTemplate->cy).size());
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
    const glue::DialogBaseUnits units = glue::BaseUnitsOf(host->font());
    std::vector<CreatedControl> created;
    for (const glue::DialogItem& item : dialogTemplate.items) {
        QWidget* control = CreateControl(item, host, this);
        Place(control, item, units);
        if (item.nID != IDC_STATIC) {
            m_controls[item.nID] = control;
        }
        created.push_back({&item, control});
    }
    NameForAccessibility(created);
    return SetTabOrder(created);
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
