#pragma once

#include "PrintSurface.h"

#include <QFont>

class QPainter;
class QPaintDevice;

namespace quillset {

// The surface state and drawing shared by the printer page and the text canvas: both draw with a
// QPainter whose device units are a fixed fraction of a twip (1 on the 1440-dpi page, 1/15 on a
// 96-dpi canvas), so every position and width is converted exactly once, here.
class PainterSurface : public PrintSurface {
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

    float TextWidth(const QString& text) const override;
    void PrintText(const QString& text) override;
    void DrawLine(float x1, float y1, float x2, float y2, OleColor color) override;
    void DrawPicture(const Picture& picture, float x, float y, std::int16_t width,
                     std::int16_t height) override;

    // Height of one text line in the current font, in twips: what PrintText moves CurrentY by.
    float LineHeight() const;

protected:
    explicit PainterSurface(double unitsPerTwip) : unitsPerTwip_(unitsPerTwip) {}

    // The painter to draw with; starts the document on first use. Throws PrintFailure.
    virtual QPainter& ActivePainter() = 0;
    // The device whose resolution the fonts are measured at; usable before drawing starts.
    virtual QPaintDevice* MetricsDevice() const = 0;
    // The current font as this device sizes it.
    virtual QFont DeviceFont() const = 0;
    // The width of a default pen, in device units.
    virtual double DefaultPenWidth() const = 0;
    // The height of one text line of `font`, in device units.
    virtual double DeviceLineHeight(const QFont& font) const;

    double unitsPerTwip() const { return unitsPerTwip_; }

private:
    double unitsPerTwip_;
    QString fontName_ = QStringLiteral("MS Sans Serif");
    float fontSize_ = 8.25f;
    bool italic_ = false;
    OleColor foreColor_ = WindowTextColor;
    float currentX_ = 0;
    float currentY_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

} // namespace quillset
