#include "tests/signature/TestSigner.h"

#include <algorithm>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <stdexcept>

namespace quillset::test {

TestSigner::TestSigner(const char* type) : key_(EVP_PKEY_Q_keygen(nullptr, nullptr, type)) {
    if (!key_)
        throw std::runtime_error("no key could be made");
}

TestSigner::~TestSigner() {
    EVP_PKEY_free(key_);
}

std::string TestSigner::publicKeyPem() const {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PUBKEY(bio, key_);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string pem(data, static_cast<std::size_t>(length));
    BIO_free(bio);
    return pem;
}

std::array<std::uint8_t, 64> TestSigner::sign(std::string_view message) const {
    std::array<std::uint8_t, 64> signature{};
    std::size_t length = signature.size();
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool signed_ =
        EVP_DigestSignInit(context, nullptr, nullptr, nullptr, key_) == 1 &&
        EVP_DigestSign(context, signature.data(), &length,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
    EVP_MD_CTX_free(context);
    if (!signed_ || length != signature.size())
        throw std::runtime_error("the test key cannot sign");
    return signature;
}

std::string TestSigner::signatureFile(const std::string& statement) const {
    const std::array<std::uint8_t, 64> signature = sign(statement);
    return statement + "signature " + HexText(signature.data(), signature.size()) + "\n";
}

std::string StatementText(const std::string& module, const std::string& version, std::uint64_t size,
                          const std::string& sha256Hex, const std::string& entryLines) {
    const auto count = std::count(entryLines.begin(), entryLines.end(), '\n');
    return "quillset-release-signature " + std::string(count ? "2" : "1") + "\nmodule " + module +
           "\nversion " + version + "\nsize " + std::to_string(size) + "\nsha256 " + sha256Hex +
           "\n" + (count ? "entries " + std::to_string(count) + "\n" + entryLines : "");
}

std::string HexText(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

} // namespace quillset::test
