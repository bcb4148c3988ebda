#pragma once

#include "cipher/ShortBits.h"
#include "platform/Dialogs.h"

#include <QString>
#include <QStringView>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quillset {

// DES (FIPS 46-3) decryption of hexadecimal text, computed on bit strings: one character '0' or
// '1' per bit, DES bit 1 first. The primitives keep the module's treatment of bit strings that are
// shorter or longer than a table's input, because the agent's stored values were enciphered under
// an 8-digit key whose schedule depends on exactly that treatment.
//
// Questions (an invalid hexadecimal digit, an over-long input to a primitive) go to the user
// through `Dialogs`. The object keeps `StopProcessing` and the subkeys of the last block, so one
// object serves one caller at a time.
class DES_Crypt {
public:
    explicit DES_Crypt(Dialogs& dialogs) : dialogs_(dialogs) {}

    // Raised by a No to the invalid-digit question and by a Yes to a length guard; cleared only
    // by DecryptBlock and the conversions and key schedule it runs.
    bool StopProcessing = false;

    // Deciphers `text` block by block (16 digits each, the last one possibly shorter) under the
    // key text, 8 characters per block in the ANSI code page, spaces trimmed at both ends.
    QString DecryptHexText(const QString& text, const QString& key);
    // 16 hexadecimal digits, or "" when the user stops the block at the initial permutation.
    QString DecryptBlock(QStringView block, QStringView key);

    // Fills SubKeys() 1..16 from the key bits; clears StopProcessing after each step.
    void computeSubKeys(std::string_view keyBits);
    const std::array<ShortBits, 17>& SubKeys() const { return subKeys_; }
    // The cipher function f of one round: P(S(E(right) xor subKey)).
    ShortBits cipherFunction(std::string_view right, std::string_view subKey);

    // Bit strings and hexadecimal text.
    std::string HexDigitToBits(QStringView digit);
    static std::string BitsToHexDigit(std::string_view group);
    static double BaseToDecimal(std::string_view digits, int base);
    static std::string DecimalToBase(int value, int base);
    static QString HexToText(QStringView hex);
    // Each character through HexDigitToBits; StopProcessing is cleared after every digit.
    std::string hexTextToBits(QStringView text);
    static std::string bitsToHexText(std::string_view bits);

    // The primitives. Table operations drop positions beyond a short input's end; the guarded
    // ones ask first when the input is longer than their limit. Outputs of at most 64 bits come
    // as ShortBits.
    ShortBits PermuteIP(std::string_view bits);
    ShortBits ExpandE(std::string_view bits);
    ShortBits PermutedChoice1(std::string_view bits);
    ShortBits PermutedChoice2(std::string_view bits);
    static std::string RotateLeft(std::string_view half, int count);
    static ShortBits XorBits48(std::string_view first, std::string_view second);
    static ShortBits XorBits32(std::string_view first, std::string_view second);
    ShortBits SubstituteSBoxes(std::string_view bits);
    // Entry of S-box k (1-8); 0 for a box, row or column outside the tables.
    static int sBox(int box, int row, int column);
    static int SBox1(int row, int column) { return sBox(1, row, column); }
    static int SBox2(int row, int column) { return sBox(2, row, column); }
    static int SBox3(int row, int column) { return sBox(3, row, column); }
    static int SBox4(int row, int column) { return sBox(4, row, column); }
    static int SBox5(int row, int column) { return sBox(5, row, column); }
    static int SBox6(int row, int column) { return sBox(6, row, column); }
    static int SBox7(int row, int column) { return sBox(7, row, column); }
    static int SBox8(int row, int column) { return sBox(8, row, column); }
    ShortBits PermuteP(std::string_view bits);
    ShortBits PermuteIPInverse(std::string_view bits);

private:
    // A key text converted once for all blocks of a text: enough of its bits to tell PC-1 that
    // it is too long, and where its invalid characters are, to ask about them again per block.
    struct ConvertedKey {
        bool converted = false;
        std::string bits;
        std::vector<qsizetype> invalidPositions;
    };
    QString decryptWithConvertedKey(QStringView block, QStringView key, ConvertedKey& convertedKey);
    // RotateLeft on characters in place: one place for a count of 1, two for any other count.
    static void rotateInPlace(char* first, std::size_t size, int count);
    // Asks the four-line question of a length guard when `bits` is longer than `limit`; true
    // (and StopProcessing raised) when the user wants to stop.
    bool guardStops(std::string_view bits, std::size_t limit, const char* nameLine);
    // A Yes/No question titled "TLUPDATER", Yes being the default; true for Yes.
    bool askYes(const QString& text);

    Dialogs& dialogs_;
    std::array<ShortBits, 17> subKeys_;
};

} // namespace quillset
