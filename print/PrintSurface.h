#pragma once

#include "platform/Failure.h"

#include <QString>
#include <cstdint>

namespace quillset {

class Picture;

// A failure inside a print job: no printer, an unreadable picture, a device error.
class PrintFailure : public Failure {
public:
    using Failure::Failure;
};

// A colour as the programs store it: 0x00BBGGRR, or a system colour 0x800000nn.
using OleColor = std::uint32_t;
constexpr OleColor kWindowTextColor = 0x80000008;
constexpr OleColor kWindowColor = 0x80000005;

// The page-oriented drawing surface the print jobs and the paragraph printer address by name:
// the printer page, an off-screen text canvas, or a recording surface in tests. Units are twips
// (1/1440 inch), origin top-left, y downwards. A device failure throws PrintFailure, which sends
// the print job to its error handler.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    virtual void SetFontName(const QString& name) = 0;
    virtual QString FontName() const = 0;
    virtual void SetFontSize(float points) = 0;
    virtual float FontSize() const = 0;
    virtual void SetFontItalic(bool italic) = 0;
    virtual bool FontItalic() const = 0;
    virtual void SetForeColor(OleColor color) = 0;
    virtual OleColor ForeColor() const = 0;

    virtual void SetCurrentX(float x) = 0;
    virtual float CurrentX() const = 0;
    virtual void SetCurrentY(float y) = 0;
    virtual float CurrentY() const = 0;

    virtual void SetWidth(std::int32_t twips) = 0;
    virtual std::int32_t Width() const = 0;
    virtual void SetHeight(std::int32_t twips) = 0;
    virtual std::int32_t Height() const = 0;

    // Width of `text` in twips in the current font.
    virtual float TextWidth(const QString& text) const = 0;

    // Draws `text` with its line box's top-left at (CurrentX, CurrentY), then ends the line:
    // CurrentX becomes 0 and CurrentY moves down one text line of the current font.
    virtual void PrintText(const QString& text) = 0;
    virtual void DrawLine(float x1, float y1, float x2, float y2, OleColor color) = 0;
    // The whole picture scaled into the rectangle.
    virtual void DrawPicture(const Picture& picture, float x, float y, std::int16_t width,
                             std::int16_t height) = 0;

    // Page settings of a print job; a surface without such settings ignores them.
    virtual void applyDeviceSetting(int code) = 0;
    virtual void setPrintQuality(int quality) = 0;

    virtual void EndDocument() = 0;
    virtual void AbortDocument() = 0;
    // After EndDocument: the full path of the file the document went to, so the user can be
    // told; empty when it went to a printer queue or the surface is no document.
    virtual QString documentFile() const { return {}; }
};

} // namespace quillset
