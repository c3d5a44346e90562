// A view's printing and print preview: every page is what OnDraw draws.
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "standard_ids.h"
#include "view.h"
#include "win_app.h"

namespace {

void Replay(QPainter& painter, const std::vector<DrawnItem>& items) {
    const QFontMetrics metrics(painter.font());
    for (const DrawnItem& item : items) {
        glue::PaintItem(painter, metrics, item, Qt::white);
    }
}

}  // namespace

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
    if (pInfo->m_bPreview || pInfo->m_bDirect) {
        return TRUE;
    }
    QPrintDialog dialog(&AfxGetApp()->GetPrinter(), GetSafeHwnd());
    return dialog.exec() == QDialog::Accepted ? TRUE : FALSE;
}

void CView::PrintPages(QPrinter* printer, CPrintInfo* pInfo) {
    QPainter painter;
    if (!painter.begin(printer)) {
        return;
    }
    std::vector<DrawnItem> items;
    CDC dc(&items, painter.font());
    OnBeginPrinting(&dc, pInfo);
    for (pInfo->m_nCurPage = 1; pInfo->m_nCurPage <= pInfo->m_nMaxPage; ++pInfo->m_nCurPage) {
        if (pInfo->m_nCurPage > 1) {
            printer->newPage();
        }
        items.clear();
        OnDraw(&dc);
        Replay(painter, items);
    }
    OnEndPrinting(&dc, pInfo);
}

void CView::OnFilePrint() {
    CPrintInfo info;
    info.m_bDirect = GetCurrentMessage()->wParam == ID_FILE_PRINT_DIRECT;
    if (OnPreparePrinting(&info)) {
        PrintPages(&AfxGetApp()->GetPrinter(), &info);
    }
}

void CView::OnFilePrintPreview() {
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (!OnPreparePrinting(&info)) {
        return;
    }
    QPrintPreviewDialog preview(&AfxGetApp()->GetPrinter(), GetSafeHwnd());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, GetSafeHwnd(),
                     [this, &info](QPrinter* printer) { PrintPages(printer, &info); });
    preview.exec();
}
