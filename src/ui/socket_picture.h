#pragma once

#include <QWidget>
#include <string>

namespace kestro {

// One socket picture, drawn from what it must show.
class SocketPicture : public QWidget {
public:
    SocketPicture(std::string name, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::string name_;
};

} // namespace kestro
