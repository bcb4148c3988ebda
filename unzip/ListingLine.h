#pragma once

#include <QString>
#include <cstdint>

namespace quillset {

// The 80-column lines of the unpack listing, without their line end.

// "Filename:" at column 1, "Size" at 53, "Date" at 62, "Time" at 71.
QString ListingHeaderLine();

// Name in columns 1-50 (cut at 50), size right-aligned in 51-57 (only its last seven digits
// when longer), mm/dd/yy in 60-67, the hour (space-padded) and minutes as hh:mm in 70-74.
QString ListingEntryLine(const QString& name, std::uint32_t size, int month, int day, int year,
                         int hour, int minute);

} // namespace quillset
