#include "movie/PictureBox.h"

#include <QPainter>

namespace quillset {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

void PictureBox::setPicture(Picture picture) {
    picture_ = std::move(picture);
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    picture_.drawInto(painter, QRectF(contentsRect().topLeft(), QSizeF(picture_.naturalSize())));
}

} // namespace quillset
