#pragma once

#include "PrintSurface.h"

#include <QRectF>
#include <vector>

namespace quillset {

// A surface that draws nothing and keeps every drawing call, so layouts can be checked without a
// printer. Glyphs are taken as fixed-pitch: each character is `charWidthPerPoint` twips wide per
// point of font size and a text line `lineHeightPerPoint` twips high per point.
class RecordingSurface : public PrintSurface {
public:
    enum class Kind { Text, Line, Picture, DeviceSetting, PrintQuality, EndDocument, Abort };

    struct Operation {
        Kind kind = Kind::Text;
        float x = 0, y = 0;        // text: line box top-left; line: start; picture: top-left
        float x2 = 0, y2 = 0;      // line end
        int width = 0, height = 0; // picture rectangle
        QString text;
        QString fontName;
        float fontSize = 0;
        bool italic = false;
        OleColor color = 0;
        int code = 0; // device setting or print quality
        bool vectorPicture = false;
    };

    explicit RecordingSurface(float charWidthPerPoint = 12.0f, float lineHeightPerPoint = 23.0f)
        : charWidthPerPoint_(charWidthPerPoint), lineHeightPerPoint_(lineHeightPerPoint) {}

    const std::vector<Operation>& operations() const { return operations_; }
    // The texts drawn, in order.
    std::vector<Operation> texts() const;
    float lineHeight() const { return fontSize_ * lineHeightPerPoint_; }

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
    void ApplyDeviceSetting(int code) override;
    void SetPrintQuality(int quality) override;
    void EndDocument() override;
    void AbortDocument() override;

private:
    Operation current(Kind kind) const;

    float charWidthPerPoint_;
    float lineHeightPerPoint_;
    QString fontName_ = QStringLiteral("MS Sans Serif");
    float fontSize_ = 8.25f;
    bool italic_ = false;
    OleColor foreColor_ = WindowTextColor;
    float currentX_ = 0;
    float currentY_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<Operation> operations_;
};

} // namespace quillset
