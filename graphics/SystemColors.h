#pragma once

#include <QColor>
#include <cstdint>

namespace quillset {

// A stored colour to a QColor: 0x00BBGGRR, or 0x800000nn for the system display colour of
// index nn, taken from the application palette.
QColor ToQColor(std::uint32_t color);

} // namespace quillset
