#include "ui/socket_picture.h"

#include "devices/socket_pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace kestro {

namespace {
const QColor kBackground(212, 208, 200);
const QColor kSocketBody(38, 84, 160);
const QColor kSocketEdge(20, 45, 90);
const QColor kHole(10, 20, 40);
const QColor kLever(200, 200, 200);
const QColor kChipBody(30, 30, 30);
const QColor kPinMetal(190, 190, 190);
constexpr int kRowsTop = 34;   // first pin row below the lever
constexpr int kBottomGap = 8;
} // namespace

SocketPicture::SocketPicture(std::string name, QWidget* parent)
    : QWidget(parent), desc_(socketPictureShape(name)) {}

void SocketPicture::paintEvent(QPaintEvent*) {
    if (!desc_) return;
    const SocketPictureShape& s = *desc_;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = s.width, h = s.height;
    p.fillRect(QRectF(0, 0, w, h), kBackground);

    // Socket body and its lever: a bar down the left side ending in the circle.
    p.setPen(QPen(kSocketEdge, 1));
    p.setBrush(kSocketBody);
    p.drawRoundedRect(QRectF(4, 4, w - 8, h - 8), 4, 4);
    p.setBrush(kLever);
    p.drawRect(QRectF(9, 20, 6, h - 32));
    p.drawEllipse(QPointF(14, 15), 9, 9);

    const int rows = s.socketPins / 2;
    const qreal pitch = (h - kBottomGap - kRowsTop) / rows;
    const qreal leftX = w * 0.34, rightX = w * 0.74;
    const auto rowY = [&](int row) { return kRowsTop + pitch * (row - 0.5); }; // 1-based

    p.setPen(Qt::NoPen);
    p.setBrush(kHole);
    for (int r = 1; r <= rows; ++r) {
        p.drawRect(QRectF(leftX - 3, rowY(r) - 3, 6, 6));
        p.drawRect(QRectF(rightX - 3, rowY(r) - 3, 6, 6));
    }

    // The chip: legs into the holes of its rows, body between them, notch at the top.
    p.setBrush(kPinMetal);
    for (int r = s.firstRow; r <= s.lastRow; ++r) {
        p.drawRect(QRectF(leftX - 2, rowY(r) - 2, 8, 4));
        p.drawRect(QRectF(rightX - 6, rowY(r) - 2, 8, 4));
    }
    const qreal top = rowY(s.firstRow) - pitch / 2 + 1;
    const qreal bottom = rowY(s.lastRow) + pitch / 2 - 1;
    const QRectF body(leftX + 5, top, rightX - leftX - 10, bottom - top);
    p.setBrush(kChipBody);
    p.drawRect(body);
    const qreal notch = std::min<qreal>(5, body.width() / 4);
    p.setBrush(kSocketBody);
    p.drawPie(QRectF(body.center().x() - notch, top - notch, 2 * notch, 2 * notch), 180 * 16,
              180 * 16);
    // Pin 1 mark.
    p.setBrush(kPinMetal);
    p.drawEllipse(QPointF(body.left() + 4, top + 4), 1.5, 1.5);
}

} // namespace kestro
