#include "signature/Ed25519Signature.h"

#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace quillset {

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

std::unique_ptr<EVP_PKEY, KeyFree> ReadPublicKey(std::string_view pem) {
    const std::unique_ptr<BIO, BioFree> bio(
        BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!bio)
        return nullptr;
    return std::unique_ptr<EVP_PKEY, KeyFree>(
        PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
}

} // namespace

Result<void, std::string> CheckEd25519Signature(std::string_view publicKeyPem,
                                                std::string_view message,
                                                const std::array<std::uint8_t, 64>& signature) {
    const auto key = ReadPublicKey(publicKeyPem);
    if (!key)
        return Refuse<std::string>("the built-in public key cannot be read");
    if (EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_ED25519)
        return Refuse<std::string>("the built-in public key is not an Ed25519 key");
    const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    // Ed25519 hashes the message itself, so no digest is named.
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return Refuse<std::string>("the signature check cannot be started");
    const int verified =
        EVP_DigestVerify(context.get(), signature.data(), signature.size(),
                         reinterpret_cast<const unsigned char*>(message.data()), message.size());
    if (verified != 1)
        return Refuse<std::string>("the signature does not verify under the built-in public key");
    return {};
}

} // namespace quillset
