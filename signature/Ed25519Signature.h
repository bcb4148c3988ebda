#pragma once

#include "platform/Result.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillset {

// Checks an Ed25519 signature over `message` under a public key in PEM (as
// `openssl pkey -pubout` writes it). Fine when it verifies; otherwise why not, including a key
// that cannot be read or is not an Ed25519 key.
Result<void, std::string> CheckEd25519Signature(std::string_view publicKeyPem,
                                                std::string_view message,
                                                const std::array<std::uint8_t, 64>& signature);

} // namespace quillset
