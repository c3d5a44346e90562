#include "capture_status_pane.h"

#include <QLabel>

#include "frame_wnd.h"
#include "resources.h"
#include "standard_ids.h"
#include "status_bar.h"

void CCaptureStatusPane::Update(CFrameWnd* pFrame, const CaptureStatusFigures* pUnicast,
                                const CaptureStatusFigures* pMulticast) {
    if (pUnicast == nullptr && pMulticast == nullptr && m_strShown.IsEmpty()) {
        return;  // the idle window stays as it is
    }
    auto* pBar = pFrame != nullptr
                     ? dynamic_cast<CStatusBar*>(pFrame->GetControlBar(AFX_IDW_STATUS_BAR))
                     : nullptr;
    if (pBar == nullptr || pBar->GetSafeHwnd() == nullptr) {
        return;
    }
    CString strLine;
    CString strDetails;
    const auto now = CCaptureStatusText::Clock::now();
    for (auto [pFigures, pText] : {std::pair{pUnicast, &m_unicast}, {pMulticast, &m_multicast}}) {
        if (pFigures == nullptr) {
            continue;
        }
        pText->Update(*pFigures, now);
        if (!strLine.IsEmpty()) {
            strLine += "; ";
            strDetails += "\n\n";
        }
        strLine += pText->GetLine();
        strDetails += pText->GetDetails();
    }
    CString strIdle;
    AfxLoadString(AFX_IDS_IDLEMESSAGE, strIdle);
    const CString strPane = pBar->GetPaneText(0);
    // Ours to change only while it shows the idle text or our own line.
    const bool bOurs = strPane == strIdle || (!m_strShown.IsEmpty() && strPane == m_strShown);
    if (bOurs) {
        if (strLine.IsEmpty()) {
            pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
        } else {
            pBar->SetPaneText(0, strLine);
        }
    }
    m_strShown = strLine;
    if (auto* pLabel = pBar->GetSafeHwnd()->findChild<QLabel*>(QStringLiteral("pane0"))) {
        pLabel->setToolTip(QString::fromUtf8(strDetails.str()));
    }
}
