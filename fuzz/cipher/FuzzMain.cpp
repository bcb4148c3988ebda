#include "fuzz/cipher/DecryptHexTextFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return quillset::FuzzDecryptHexText(data, size);
}
