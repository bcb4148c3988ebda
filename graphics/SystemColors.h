#pragma once

#include <QColor>
#include <cstdint>

namespace quillset {

// A stored colour as it prints: 0x00BBGGRR, or 0x800000nn for the system display colour of index
// nn taken from the classic fixed palette (window text black, window white...). Paper keeps its
// own colours whatever the desktop's theme; the forms on screen follow the theme through Qt.
QColor PaperColor(std::uint32_t color);

} // namespace quillset
