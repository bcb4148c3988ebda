#include "cipher/DES_Crypt.h"

#include "platform/AgentTitle.h"
#include "platform/TrimSpaces.h"

namespace quillset {

namespace {

// Left shifts of the key halves before rounds 1-16.
constexpr std::array<int, 16> kRotations = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

std::string_view FirstChars(std::string_view bits, std::size_t count) {
    return bits.substr(0, std::min(count, bits.size()));
}

std::string_view CharsFrom(std::string_view bits, std::size_t start) {
    return start < bits.size() ? bits.substr(start) : std::string_view();
}

} // namespace

bool DES_Crypt::askYes(const QString& text) {
    MessageBoxRequest request;
    request.title = QString::fromLatin1(kAgentTitle);
    request.text = text;
    request.icon = MessageIcon::Question;
    request.buttons = MessageButtons::YesNo;
    request.defaultAnswer = MessageAnswer::Yes;
    return dialogs_.showMessage(request) == MessageAnswer::Yes;
}

void DES_Crypt::computeSubKeys(std::string_view keyBits) {
    const ShortBits k = PermutedChoice1(keyBits);
    StopProcessing = false;
    // A key of 32 bits or fewer leaves D empty, and each subkey is PC-2 of C alone.
    ShortBits c(FirstChars(k, 28));
    ShortBits d(CharsFrom(k, 28));
    for (int n = 1; n <= 16; ++n) {
        rotateInPlace(c.data(), c.size(), kRotations[n - 1]);
        rotateInPlace(d.data(), d.size(), kRotations[n - 1]);
        ShortBits cd = c;
        cd.append(d);
        subKeys_[n] = PermutedChoice2(cd);
        StopProcessing = false;
    }
}

ShortBits DES_Crypt::cipherFunction(std::string_view right, std::string_view subKey) {
    const ShortBits e = ExpandE(right);
    const ShortBits x = XorBits48(e, subKey);
    const ShortBits s = SubstituteSBoxes(x);
    return PermuteP(s);
}

QString DES_Crypt::DecryptBlock(QStringView block, QStringView key) {
    ConvertedKey convertedKey;
    return decryptWithConvertedKey(block, key, convertedKey);
}

QString DES_Crypt::decryptWithConvertedKey(QStringView block, QStringView key,
                                           ConvertedKey& convertedKey) {
    const std::string dataBits = hexTextToBits(block);

    // The key is converted after the data, for every block: a block after the first asks the
    // same questions again without converting a long key anew.
    if (!convertedKey.converted) {
        for (qsizetype i = 0; i < key.size(); ++i) {
            const std::string nibble = HexDigitToBits(key.mid(i, 1));
            StopProcessing = false;
            if (nibble.empty())
                convertedKey.invalidPositions.push_back(i);
            else if (convertedKey.bits.size() <= ShortBits::kCapacity)
                convertedKey.bits += nibble;
        }
        convertedKey.converted = true;
    } else {
        for (qsizetype position : convertedKey.invalidPositions) {
            HexDigitToBits(key.mid(position, 1));
            StopProcessing = false;
        }
    }
    const std::string& keyBits = convertedKey.bits;

    const ShortBits ip = PermuteIP(dataBits);
    if (StopProcessing) {
        StopProcessing = false;
        return {};
    }
    ShortBits left(FirstChars(ip, 32));
    ShortBits right(CharsFrom(ip, 32));

    computeSubKeys(keyBits);

    for (int n = 1; n <= 16; ++n) {
        const ShortBits f = cipherFunction(right, subKeys_[17 - n]);
        StopProcessing = false;
        const ShortBits newRight = XorBits32(left, f);
        left = right;
        right = newRight;
    }

    // The halves swap once more before the inverse permutation, as the standard prescribes.
    ShortBits swapped = right;
    swapped.append(left);
    const ShortBits output = PermuteIPInverse(swapped);
    StopProcessing = false;
    return QString::fromStdString(bitsToHexText(output));
}

QString DES_Crypt::DecryptHexText(const QString& text, const QString& key) {
    QString result;
    result.reserve(text.size() / 2 + 8);
    ConvertedKey convertedKey;
    for (qsizetype offset = 0; offset < text.size(); offset += 16)
        result += HexToText(
            decryptWithConvertedKey(QStringView(text).mid(offset, 16), key, convertedKey));

    // Only spaces are trimmed; NUL and other control characters stay.
    return TrimSpaces(result).toString();
}

} // namespace quillset
