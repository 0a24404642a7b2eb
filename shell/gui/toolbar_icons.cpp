#include "shell/gui/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kelvo {

namespace {

constexpr int Size = 24;
const QColor Outline(60, 64, 72);
const QColor Paper(252, 252, 250);

void Page(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const qreal fold = r.width() * 0.3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setBrush(Paper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void Window(QPainter& p, const QRectF& r) {
    p.setBrush(Paper);
    p.drawRect(r);
    p.setBrush(QColor(52, 101, 164));
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 3.5));
}

void Draw(QPainter& p, TToolbarIcon icon) {
    p.setPen(QPen(Outline, 1.2));
    switch (icon) {
    case IconNew:
        Page(p, QRectF(5.5, 2.5, 13, 19));
        break;
    case IconOpen: {
        p.setBrush(QColor(222, 184, 96));
        p.drawRect(QRectF(2.5, 6.5, 19, 14));
        p.drawRect(QRectF(2.5, 4.5, 8, 3));
        p.setBrush(QColor(240, 208, 128));
        QPolygonF front;
        front << QPointF(4.5, 10.5) << QPointF(22.5, 10.5) << QPointF(20.5, 20.5)
              << QPointF(2.5, 20.5);
        p.drawPolygon(front);
        break;
    }
    case IconSave:
        p.setBrush(QColor(52, 101, 164));
        p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
        p.setBrush(Paper);
        p.drawRect(QRectF(6.5, 3.5, 11, 7));
        p.setBrush(QColor(190, 196, 204));
        p.drawRect(QRectF(7.5, 14.5, 9, 6));
        break;
    case IconCut:
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(7, 3), QPointF(15.5, 15));
        p.drawLine(QPointF(17, 3), QPointF(8.5, 15));
        p.setPen(QPen(QColor(164, 0, 0), 1.6));
        p.drawEllipse(QPointF(7, 18), 3.2, 3.2);
        p.drawEllipse(QPointF(17, 18), 3.2, 3.2);
        break;
    case IconCopy:
        Page(p, QRectF(3.5, 2.5, 11, 14));
        Page(p, QRectF(9.5, 7.5, 11, 14));
        break;
    case IconPaste:
        p.setBrush(QColor(166, 124, 74));
        p.drawRoundedRect(QRectF(4.5, 4.5, 15, 17), 1.5, 1.5);
        p.setBrush(QColor(190, 196, 204));
        p.drawRect(QRectF(8.5, 2.5, 7, 4));
        Page(p, QRectF(9.5, 9.5, 11, 13));
        break;
    case IconCascade:
        Window(p, QRectF(2.5, 2.5, 12, 10));
        Window(p, QRectF(6.5, 7.5, 12, 10));
        Window(p, QRectF(10.5, 12.5, 12, 10));
        break;
    case IconTileHorizontal:
        Window(p, QRectF(2.5, 2.5, 19, 9));
        Window(p, QRectF(2.5, 12.5, 19, 9));
        break;
    case IconTileVertical:
        Window(p, QRectF(2.5, 2.5, 9, 19));
        Window(p, QRectF(12.5, 2.5, 9, 19));
        break;
    }
}

} // namespace

QIcon ToolbarIcon(TToolbarIcon icon) {
    QIcon result;
    for (int scale : {1, 2}) {
        QPixmap pixmap(Size * scale, Size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        Draw(p, icon);
        p.end();
        result.addPixmap(pixmap);
    }
    return result;
}

QIcon ApplicationIcon() {
    QIcon result;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(32, 74, 135));
        p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
        p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(20, 16), QPointF(20, 48));
        p.drawLine(QPointF(44, 16), QPointF(22, 32));
        p.drawLine(QPointF(26, 30), QPointF(45, 48));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(115, 210, 22));
        p.drawEllipse(QPointF(50, 14), 5, 5);
        p.end();
        result.addPixmap(pixmap);
    }
    return result;
}

} // namespace kelvo
