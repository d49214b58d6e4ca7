#include "ui/socket_picture.h"

#include <QPainter>

namespace kestro {

SocketPicture::SocketPicture(std::string name, QWidget* parent)
    : QWidget(parent), name_(std::move(name)) {}

void SocketPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(192, 192, 192));
}

} // namespace kestro
