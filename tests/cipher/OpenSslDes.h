#pragma once

// OpenSSL's DES as an independent reference for the cipher. Its single-DES calls are deprecated
// in OpenSSL 3; they are still the plainest way to get one block through textbook DES.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <QByteArray>
#include <QString>
#include <cstring>

namespace quillset::test {

// Enciphers one block of 8 bytes under a key of 8 bytes (parity bits ignored).
inline QByteArray OpenSslEncipher(const QByteArray& key, const QByteArray& block) {
    DES_cblock keyBlock;
    DES_cblock in;
    DES_cblock out;
    std::memcpy(keyBlock, key.constData(), 8);
    std::memcpy(in, block.constData(), 8);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&keyBlock, &schedule);
    DES_ecb_encrypt(&in, &out, &schedule, DES_ENCRYPT);
    return QByteArray(reinterpret_cast<const char*>(out), 8);
}

inline QString UpperHex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

} // namespace quillset::test
