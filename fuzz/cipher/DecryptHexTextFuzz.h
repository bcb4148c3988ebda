#pragma once

#include <cstddef>
#include <cstdint>

namespace quillset {

// One fuzz input through DES_Crypt::DecryptHexText. Byte 0 scripts the first eight answers
// (bit set: Yes), byte 1 gives the key's length in bytes (mod 33), then come the key and the
// text, both read as UTF-8. Aborts when the result breaks what the agent relies on.
int FuzzDecryptHexText(const std::uint8_t* data, std::size_t size);

} // namespace quillset
