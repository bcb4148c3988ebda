#pragma once

#include <string>
#include <string_view>

namespace quillset::unzip32 {

// Windows-1252 text from the caller to UTF-8 host text.
std::string Cp1252ToUtf8(std::string_view text);

// UTF-8 text to Windows-1252 for the callbacks; characters the code page lacks, and bytes that
// are not valid UTF-8, become "?".
std::string Utf8ToCp1252(std::string_view text);

} // namespace quillset::unzip32
