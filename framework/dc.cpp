#include "dc.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <utility>

namespace {

QColor ColorOf(COLORREF rgb) {
    return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

QPolygon PolygonOf(const std::vector<POINT>& points) {
    QPolygon polygon(static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        polygon.setPoint(static_cast<int>(i), points[i].x, points[i].y);
    }
    return polygon;
}

}  // namespace

int CDC::SetBkMode(int nBkMode) {
    const int previous = m_nBkMode;
    m_nBkMode = nBkMode;
    return previous;
}

BOOL CDC::TextOut(int x, int y, const CString& str) {
    m_surface->push_back(DrawnText{x, y, str, m_nBkMode == OPAQUE});
    return TRUE;
}

CSize CDC::GetTextExtent(const CString& str) const {
    const QFontMetrics metrics(m_font);
    return {metrics.horizontalAdvance(QString::fromUtf8(str.str())), metrics.height()};
}

CPen* CDC::SelectObject(CPen* pPen) {
    return std::exchange(m_pPen, pPen);
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    return std::exchange(m_pBrush, pBrush);
}

BOOL CDC::Polyline(const POINT* lpPoints, int nCount) {
    return AddShape(lpPoints, nCount, std::nullopt);
}

BOOL CDC::Polygon(const POINT* lpPoints, int nCount) {
    return AddShape(lpPoints, nCount,
                    m_pBrush != nullptr ? m_pBrush->m_crColor : RGB(255, 255, 255));
}

BOOL CDC::AddShape(const POINT* lpPoints, int nCount, std::optional<COLORREF> fill) {
    if (lpPoints == nullptr || nCount < 2) {
        return FALSE;
    }
    DrawnShape shape{{lpPoints, lpPoints + nCount},
                     RGB(0, 0, 0),
                     1,
                     fill,
                     {lpPoints[0].x, lpPoints[0].y, lpPoints[0].x, lpPoints[0].y}};
    if (m_pPen != nullptr) {
        shape.pen = m_pPen->m_crColor;
        shape.penWidth = m_pPen->m_nWidth;
    }
    for (const POINT& point : shape.points) {
        shape.bounds = {std::min(shape.bounds.left, point.x), std::min(shape.bounds.top, point.y),
                        std::max(shape.bounds.right, point.x),
                        std::max(shape.bounds.bottom, point.y)};
    }
    m_surface->push_back(std::move(shape));
    return TRUE;
}

void glue::PaintItem(QPainter& painter, const QFontMetrics& metrics, const DrawnItem& item,
                     const QColor& background) {
    if (const auto* text = std::get_if<DrawnText>(&item)) {
        const QString string = QString::fromUtf8(text->text.str());
        if (text->opaque) {
            painter.fillRect(text->x, text->y, metrics.horizontalAdvance(string), metrics.height(),
                             background);
        }
        painter.drawText(text->x, text->y + metrics.ascent(), string);
        return;
    }
    const auto& shape = std::get<DrawnShape>(item);
    painter.save();
    painter.setPen(
        QPen(ColorOf(shape.pen), shape.penWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    if (shape.fill) {
        painter.setBrush(ColorOf(*shape.fill));
        painter.drawPolygon(PolygonOf(shape.points));
    } else {
        painter.drawPolyline(PolygonOf(shape.points));
    }
    painter.restore();
}

// A text's rows across the whole window, with half a line of margin for accents and
// descenders that reach beyond the font's height; a shape's bounds with its pen around them.
QRect glue::ItemBounds(const DrawnItem& item, int width, const QFontMetrics& metrics) {
    if (const auto* text = std::get_if<DrawnText>(&item)) {
        const int margin = metrics.height() / 2;
        return {0, text->y - margin, width, metrics.height() + 2 * margin};
    }
    const auto& shape = std::get<DrawnShape>(item);
    const int pen = shape.penWidth;
    return {QPoint(shape.bounds.left - pen, shape.bounds.top - pen),
            QPoint(shape.bounds.right + pen, shape.bounds.bottom + pen)};
}
