#pragma once

#include "platform/Result.h"
#include "print/PrintSurface.h"

#include <QString>
#include <cstdint>

namespace quillset {

// Sets free text as justified lines in a grid of equal character cells on any print surface, one
// character per PrintText call, so the layout does not depend on the glyphs' real widths.

// The number of capital "H" that fit side by side below the surface's Width in the given font;
// -1 for a surface of no width. Leaves FontName (trimmed) and FontSize set. Throws
// std::overflow_error when the count does not fit in 16 bits.
std::int16_t CharsPerLine(PrintSurface& surface, const QString& fontName, float fontSize);

// Text preparation: a blank line (CR LF CR LF) becomes a paragraph mark (one CR LF), a single
// line break is deleted, and a typed "%%" is a paragraph mark too.
QString PrepareParagraphText(const QString& text);

// Lays `text` out from the top of the surface and draws it in `colour`. Stops at the first line
// whose top would lie below the surface's Height, and at the first failure, whose reason it
// answers for the caller's failure log (nothing is shown); what was drawn until then stays.
Result<void> PrintParagraphs(PrintSurface& surface, const QString& text, const QString& fontName,
                             float fontSize, OleColor colour);

// `line` without its outer spaces, widened to `n` characters by doubling its spaces, leftmost
// first. A line of n characters or more, without spaces, or exactly one short of n comes back
// only trimmed.
QString JustifyLine(std::int16_t n, const QString& line);

} // namespace quillset
