#pragma once

#include <QWidget>
#include <string>

namespace kestro {

struct SocketPictureShape;

// One socket picture, drawn from what it must show: the socket seen from above with
// its lever circle at the top left, and the chip, notch up, in the rows it occupies.
class SocketPicture : public QWidget {
public:
    SocketPicture(std::string name, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const SocketPictureShape* desc_;
};

} // namespace kestro
