// Lays arbitrary text out on surfaces of arbitrary width: nothing may crash or hang, and every
// character other than a space must be drawn once, in order, when the surface is tall enough.
#include "print/RecordingSurface.h"
#include "print/TextPrintingModule.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // The first two bytes choose the width: from a little below zero to about 80 letters.
    const std::int32_t width = std::int32_t(data[0] | (data[1] << 8)) / 8 - 100;
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));

    quillset::RecordingSurface surface(10, 10);
    surface.SetWidth(width);
    surface.SetHeight(std::numeric_limits<std::int32_t>::max());
    // A surface that only records takes any text: a refusal is a fault as much as a lost letter.
    if (!quillset::PrintParagraphs(surface, text, "Courier New", 10, 0))
        std::abort();

    QString drawn;
    for (const auto& op : surface.texts())
        drawn += op.text;
    QString expected = width > 100 ? quillset::PrepareParagraphText(text) : QString();
    if (drawn.remove(u' ') != expected.remove(u' '))
        std::abort();
    return 0;
}
