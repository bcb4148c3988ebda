#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillset::fuzz {

// Feeds `data` as an archive to Wiz_SingleEntryUnzip, extracting into a scratch folder, and
// answers what went wrong: a file beside the archive or outside the folder, a special file, a
// link pointing out, a leftover temporary. Empty when all is well. The scratch folder is removed.
std::string ExtractStaysInside(const std::uint8_t* data, std::size_t size);

// Lists `data` as an archive and builds the agent's listing line from every message callback;
// answers what went wrong (a line not 80 columns wide). Empty when all is well.
std::string ListingLinesStayEightyColumns(const std::uint8_t* data, std::size_t size);

} // namespace quillset::fuzz
