#pragma once

#include "print/SurfaceState.h"

#include <QRectF>
#include <vector>

namespace quillset {

// A surface that draws nothing and keeps every drawing call, so layouts can be checked without a
// printer. Glyphs are taken as fixed-pitch: each character is `charWidthPerPoint` twips wide per
// point of font size and a text line `lineHeightPerPoint` twips high per point.
class RecordingSurface : public SurfaceState {
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
    float lineHeight() const { return FontSize() * lineHeightPerPoint_; }

    float TextWidth(const QString& text) const override;
    void PrintText(const QString& text) override;
    void DrawLine(float x1, float y1, float x2, float y2, OleColor color) override;
    void DrawPicture(const Picture& picture, float x, float y, std::int16_t width,
                     std::int16_t height) override;
    void applyDeviceSetting(int code) override;
    void setPrintQuality(int quality) override;
    void EndDocument() override;
    void AbortDocument() override;
    QString documentFile() const override { return writtenFile; }

    // What documentFile answers: a test's stand-in for a page written to a file.
    QString writtenFile;

private:
    Operation current(Kind kind) const;

    float charWidthPerPoint_;
    float lineHeightPerPoint_;
    std::vector<Operation> operations_;
};

} // namespace quillset
