#pragma once

#include "graphics/Picture.h"

#include <QFrame>

namespace quillset {

// A picture box: shows its picture at natural size from the top-left corner, clipped to the box.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    const Picture& picture() const { return picture_; }
    void setPicture(Picture picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture picture_;
};

} // namespace quillset
