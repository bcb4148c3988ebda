#pragma once

#include "print/PrintSurface.h"

namespace quillset {

// The font, colour, position and size members that every surface keeps the same way; the
// surfaces add only how they measure and draw.
class SurfaceState : public PrintSurface {
public:
    void SetFontName(const QString& name) override { fontName_ = name; }
    QString FontName() const override { return fontName_; }
    void SetFontSize(float points) override { fontSize_ = points; }
    float FontSize() const override { return fontSize_; }
    void SetFontItalic(bool italic) override { italic_ = italic; }
    bool FontItalic() const override { return italic_; }
    void SetForeColor(OleColor color) override { foreColor_ = color; }
    OleColor ForeColor() const override { return foreColor_; }
    void SetCurrentX(float x) override { currentX_ = x; }
    float CurrentX() const override { return currentX_; }
    void SetCurrentY(float y) override { currentY_ = y; }
    float CurrentY() const override { return currentY_; }
    void SetWidth(std::int32_t twips) override { width_ = twips; }
    std::int32_t Width() const override { return width_; }
    void SetHeight(std::int32_t twips) override { height_ = twips; }
    std::int32_t Height() const override { return height_; }

private:
    QString fontName_ = QStringLiteral("MS Sans Serif");
    float fontSize_ = 8.25f;
    bool italic_ = false;
    OleColor foreColor_ = kWindowTextColor;
    float currentX_ = 0;
    float currentY_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

} // namespace quillset
