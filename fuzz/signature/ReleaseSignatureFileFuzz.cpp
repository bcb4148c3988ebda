// The signature file reader and the signature check on any bytes: an accepted file's signed
// text is exactly its statement lines (five, or six and one per entry), its entries' names are
// within bounds, and nothing verifies under a key that signed nothing.
#include "signature/Ed25519Signature.h"
#include "signature/ReleaseSignatureFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// A public key whose private half was thrown away: no input may verify under it.
constexpr std::string_view kUnusedKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MCowBQYDK2VwAyEA9iZUsEdmaR5hL6IFbL+y5LHbxh492LXlrfXRE4YOMpQ=\n"
    "-----END PUBLIC KEY-----\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto reading = quillset::ReadReleaseSignatureFile(bytes);
    if (!reading) {
        if (reading.reason().empty())
            std::abort();
        return 0;
    }
    const quillset::SignedRelease& release = *reading;
    const std::string_view signedText = release.signedText;
    const std::vector<quillset::SignedEntry>& entries = release.statement.entries;
    const auto lines =
        static_cast<std::size_t>(std::count(signedText.begin(), signedText.end(), '\n'));
    if (bytes.substr(0, signedText.size()) != signedText ||
        lines != (entries.empty() ? 5 : 6 + entries.size()) ||
        bytes.size() != signedText.size() + 139)
        std::abort();
    for (const quillset::SignedEntry& entry : entries)
        if (entry.name.empty() || entry.name.size() > quillset::kMaxSignedEntryName)
            std::abort();
    if (quillset::CheckEd25519Signature(kUnusedKey, signedText, release.signature))
        std::abort();
    return 0;
}
