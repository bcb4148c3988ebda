#include "print/RecordingSurface.h"

#include "graphics/Picture.h"

namespace quillset {

RecordingSurface::Operation RecordingSurface::current(Kind kind) const {
    Operation op;
    op.kind = kind;
    op.x = CurrentX();
    op.y = CurrentY();
    op.fontName = FontName();
    op.fontSize = FontSize();
    op.italic = FontItalic();
    op.color = ForeColor();
    return op;
}

std::vector<RecordingSurface::Operation> RecordingSurface::texts() const {
    std::vector<Operation> result;
    for (const Operation& op : operations_) {
        if (op.kind == Kind::Text)
            result.push_back(op);
    }
    return result;
}

float RecordingSurface::TextWidth(const QString& text) const {
    return float(text.size()) * FontSize() * charWidthPerPoint_;
}

void RecordingSurface::PrintText(const QString& text) {
    Operation op = current(Kind::Text);
    op.text = text;
    operations_.push_back(op);
    SetCurrentX(0);
    SetCurrentY(op.y + lineHeight());
}

void RecordingSurface::DrawLine(float x1, float y1, float x2, float y2, OleColor color) {
    Operation op = current(Kind::Line);
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = color;
    operations_.push_back(op);
}

void RecordingSurface::DrawPicture(const Picture& picture, float x, float y, std::int16_t width,
                                   std::int16_t height) {
    Operation op = current(Kind::Picture);
    op.x = x;
    op.y = y;
    op.width = width;
    op.height = height;
    op.vectorPicture = picture.isVector();
    operations_.push_back(op);
}

void RecordingSurface::applyDeviceSetting(int code) {
    Operation op = current(Kind::DeviceSetting);
    op.code = code;
    operations_.push_back(op);
}

void RecordingSurface::setPrintQuality(int quality) {
    Operation op = current(Kind::PrintQuality);
    op.code = quality;
    operations_.push_back(op);
}

void RecordingSurface::EndDocument() {
    operations_.push_back(current(Kind::EndDocument));
}

void RecordingSurface::AbortDocument() {
    operations_.push_back(current(Kind::Abort));
}

} // namespace quillset
