#include "tools/hexcipher/HexEncipher.h"

#include "platform/CodePage.h"

namespace quillset {

bool FitsAnsiCodePage(const QString& text) {
    for (QChar ch : text) {
        if (AnsiToChar(CharToAnsi(ch)) != ch)
            return false;
    }
    return true;
}

namespace {

ShortBits EncipherBlock(DES_Crypt& des, std::string_view dataBits) {
    const ShortBits ip = des.PermuteIP(dataBits);
    ShortBits left(ip.view().substr(0, 32));
    ShortBits right(ip.view().substr(32));
    for (int n = 1; n <= 16; ++n) {
        const ShortBits newRight =
            DES_Crypt::XorBits32(left, des.cipherFunction(right, des.SubKeys()[n]));
        left = right;
        right = newRight;
    }
    ShortBits swapped = right;
    swapped.append(left);
    return des.PermuteIPInverse(swapped);
}

} // namespace

QString EncipherHexText(DES_Crypt& des, const QString& text, const QString& key) {
    QByteArray bytes = StringToAnsi(text);
    if (bytes.size() % 8 != 0)
        bytes.append(8 - bytes.size() % 8, ' ');

    des.computeSubKeys(des.hexTextToBits(key));
    des.StopProcessing = false;

    QString hex;
    for (qsizetype offset = 0; offset < bytes.size(); offset += 8) {
        const QString blockHex = QString::fromLatin1(bytes.mid(offset, 8).toHex());
        hex += QString::fromStdString(
            DES_Crypt::bitsToHexText(EncipherBlock(des, des.hexTextToBits(blockHex))));
    }
    return hex;
}

} // namespace quillset
