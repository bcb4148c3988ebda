#include "print/TextPrintingModule.h"

#include "platform/TrimSpaces.h"

#include <QStringView>
#include <algorithm>
#include <exception>
#include <stdexcept>

namespace quillset {

namespace {

constexpr QStringView kLineBreak = u"\r\n";
constexpr QStringView kBlankLine = u"\r\n\r\n";
constexpr QStringView kTypedMark = u"%%";

// Extra room below the previous line: between lines of one paragraph, and after a paragraph mark.
constexpr float kLineGap = 25;
constexpr float kParagraphGap = 75;

// Left to right, without overlaps, in one pass so long texts stay linear.
QString ReplaceAll(QStringView text, QStringView from, QStringView to) {
    QString result;
    result.reserve(text.size());
    qsizetype position = 0;
    for (qsizetype found; (found = text.indexOf(from, position)) >= 0;
         position = found + from.size()) {
        result += text.mid(position, found - position);
        result += to;
    }
    result += text.mid(position);
    return result;
}

// One widening pass over a trimmed line of at most n - 2 characters holding a space.
QString WidenOnce(std::int16_t n, QStringView line) {
    const qsizetype gap = n - line.size();
    QString out;
    out.reserve(n);
    qsizetype added = 0;
    for (qsizetype k = 0; k < line.size(); ++k) {
        const QChar c = line[k];
        if (c == u' ') {
            out += QStringView(u"  ");
            ++added;
        } else {
            out += c;
        }
        if (added >= gap - 1) {
            // The space just doubled is taken again with the rest: it becomes three and the
            // line is exactly n long.
            out += line.mid(k);
            break;
        }
    }
    return out;
}

} // namespace

std::int16_t CharsPerLine(PrintSurface& surface, const QString& fontName, float fontSize) {
    surface.SetFontName(TrimSpaces(fontName).toString());
    surface.SetFontSize(fontSize);

    const double width = surface.Width();
    const auto fitsBelowWidth = [&](qsizetype count) {
        return width > double(surface.TextWidth(QString(count, u'H')));
    };
    // The capacity is the count minus one and must stay a 16-bit number.
    constexpr qsizetype kMostProbed = 32768;

    // The row of "H" grows until it no longer stays below Width. The width of a row grows with
    // its length, so doubling and then halving finds the same row in a few measurements instead
    // of one per letter.
    if (!fitsBelowWidth(0))
        return -1;
    qsizetype fits = 0;
    qsizetype tooWide = 1;
    while (fitsBelowWidth(tooWide)) {
        if (tooWide == kMostProbed)
            throw std::overflow_error("line capacity exceeds 16 bits");
        fits = tooWide;
        tooWide = std::min(tooWide * 2, kMostProbed);
    }
    while (tooWide - fits > 1) {
        const qsizetype middle = fits + (tooWide - fits) / 2;
        if (fitsBelowWidth(middle))
            fits = middle;
        else
            tooWide = middle;
    }
    return std::int16_t(tooWide - 1);
}

QString PrepareParagraphText(const QString& text) {
    QString marked = ReplaceAll(text, kBlankLine, kTypedMark);
    marked = ReplaceAll(marked, kLineBreak, {});
    return ReplaceAll(marked, kTypedMark, kLineBreak);
}

QString JustifyLine(std::int16_t n, const QString& line) {
    QString widened = TrimSpaces(line).toString();
    // A line one short of n would come back from the widening pass with its first character
    // written twice; it keeps its single spaces instead.
    while (widened.size() < n - 1 && widened.contains(u' '))
        widened = TrimSpaces(WidenOnce(n, widened)).toString();
    return widened;
}

Result<void> PrintParagraphs(PrintSurface& surface, const QString& text, const QString& fontName,
                             float fontSize, OleColor colour) {
    try {
        const QString prepared = PrepareParagraphText(text);
        const std::int16_t n = CharsPerLine(surface, fontName, fontSize);
        surface.SetCurrentY(0);
        // Not even one cell fits: there is no grid to draw in.
        if (n <= 0)
            return {};
        const std::int32_t cellWidth = surface.Width() / n;

        qsizetype start = 0;
        while (start < prepared.size()) {
            const QStringView chunk = QStringView(prepared).mid(start, n);
            qsizetype taken = 0;
            float gap = kLineGap;
            QString justified;
            QStringView line;
            if (const qsizetype mark = chunk.indexOf(kLineBreak); mark >= 0) {
                // The line ends with the CR; the LF opens the next line in its first cell.
                taken = mark + 1;
                line = chunk.left(taken);
                gap = kParagraphGap;
            } else if (const qsizetype lastSpace = chunk.lastIndexOf(u' '); lastSpace >= 0) {
                // A word cut by the line's end moves whole to the next line.
                taken = lastSpace + 1;
                justified = JustifyLine(n, chunk.left(taken).toString());
                line = justified;
            } else {
                // A word longer than the line continues on the next one without a hyphen.
                taken = chunk.size();
                line = chunk;
            }
            line = TrimSpaces(line);

            surface.SetFontSize(fontSize);
            surface.SetFontName(fontName);
            surface.SetForeColor(colour);
            surface.SetFontItalic(false);
            const float top = surface.CurrentY() + gap;
            if (top > float(surface.Height()))
                return {};
            for (qsizetype j = 0; j < line.size(); ++j) {
                surface.SetCurrentX(float(std::int64_t(j) * cellWidth));
                surface.SetCurrentY(top);
                surface.PrintText(QString(line[j]));
            }
            start += taken;
        }
    } catch (const std::exception& failure) {
        // A canvas that cannot take the text keeps what was drawn; the print job goes on.
        return Refuse(QString::fromUtf8(failure.what()));
    }
    return {};
}

} // namespace quillset
