#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct evp_pkey_st;

namespace quillset::test {

// A key pair made for one test: its public key in PEM and signatures made with it.
class TestSigner {
public:
    // "ED25519", or another OpenSSL key type such as "X25519" for a key of the wrong kind.
    explicit TestSigner(const char* type = "ED25519");
    ~TestSigner();
    TestSigner(const TestSigner&) = delete;
    TestSigner& operator=(const TestSigner&) = delete;

    std::string publicKeyPem() const;
    std::array<std::uint8_t, 64> sign(std::string_view message) const;
    // A whole signature file for `statement` (its lines before the signature line).
    std::string signatureFile(const std::string& statement) const;

private:
    evp_pkey_st* key_;
};

// The statement lines for a release, as the publishing tool writes them: version 1, or version 2
// with `entryLines` ("entry ..." lines) as its manifest.
std::string StatementText(const std::string& module, const std::string& version, std::uint64_t size,
                          const std::string& sha256Hex, const std::string& entryLines = {});

std::string HexText(const std::uint8_t* bytes, std::size_t count);

} // namespace quillset::test
