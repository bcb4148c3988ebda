#include "cipher/DES_Crypt.h"
#include "cipher/DesTables.h"
#include "cipher/Nibbles.h"

#include <algorithm>

namespace quillset {

namespace {

// The input's characters at the table's positions, in table order; positions beyond a short
// input's end contribute nothing.
template <const auto& table> ShortBits Select(std::string_view bits) {
    static_assert(table.size() <= ShortBits::kCapacity);
    constexpr std::size_t kLargest = *std::max_element(table.begin(), table.end());
    ShortBits out;
    char* next = out.data();
    if (bits.size() >= kLargest) {
        for (std::uint8_t position : table)
            *next++ = bits[position - 1];
    } else {
        for (std::uint8_t position : table) {
            if (position <= bits.size())
                *next++ = bits[position - 1];
        }
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    return out;
}

// Exclusive or over exactly `width` positions; an operand that has run out repeats its last bit,
// an empty one reads as zeros.
ShortBits XorBits(std::string_view first, std::string_view second, std::size_t width) {
    ShortBits out;
    out.resize(width);
    char* bits = out.data();
    const std::size_t common = std::min({width, first.size(), second.size()});
    for (std::size_t i = 0; i < common; ++i)
        bits[i] = static_cast<char>('0' + ((first[i] == '1') != (second[i] == '1')));
    bool a = common > 0 && first[common - 1] == '1';
    bool b = common > 0 && second[common - 1] == '1';
    for (std::size_t i = common; i < width; ++i) {
        if (i < first.size())
            a = first[i] == '1';
        if (i < second.size())
            b = second[i] == '1';
        bits[i] = static_cast<char>('0' + (a != b));
    }
    return out;
}

} // namespace

bool DES_Crypt::guardStops(std::string_view bits, std::size_t limit, const char* nameLine) {
    if (bits.size() <= limit)
        return false;
    const QString question = QString::fromLatin1(nameLine) +
                             QStringLiteral("\rThis chunk of bits is > %1 !!!\r\rWould you like "
                                            "me to stop the processing ???")
                                 .arg(limit);
    if (!askYes(question))
        return false;
    StopProcessing = true;
    return true;
}

ShortBits DES_Crypt::PermuteIP(std::string_view bits) {
    if (guardStops(bits, 64, "IP function ..."))
        return {};
    return Select<des_tables::kIP>(bits);
}

ShortBits DES_Crypt::ExpandE(std::string_view bits) {
    if (guardStops(bits, 32, "E function ..."))
        return {};
    return Select<des_tables::kE>(bits);
}

ShortBits DES_Crypt::PermutedChoice1(std::string_view bits) {
    // The limit is the size of the whole key, parity bits included, not of the selection.
    if (guardStops(bits, 64, "PC-1 function ..."))
        return {};
    return Select<des_tables::kPC1>(bits);
}

ShortBits DES_Crypt::PermutedChoice2(std::string_view bits) {
    if (guardStops(bits, 56, "PC-2 function ..."))
        return {};
    return Select<des_tables::kPC2>(bits);
}

ShortBits DES_Crypt::PermuteP(std::string_view bits) {
    if (guardStops(bits, 32, "P function ..."))
        return {};
    return Select<des_tables::kP>(bits);
}

ShortBits DES_Crypt::PermuteIPInverse(std::string_view bits) {
    if (guardStops(bits, 64, "IP reverse function ..."))
        return {};
    return Select<des_tables::kIPInverse>(bits);
}

void DES_Crypt::rotateInPlace(char* first, std::size_t size, int count) {
    const std::size_t shift = count == 1 ? 1 : 2;
    if (size >= shift)
        std::rotate(first, first + shift, first + size);
}

std::string DES_Crypt::RotateLeft(std::string_view half, int count) {
    std::string out(half);
    rotateInPlace(out.data(), out.size(), count);
    return out;
}

ShortBits DES_Crypt::XorBits48(std::string_view first, std::string_view second) {
    return XorBits(first, second, 48);
}

ShortBits DES_Crypt::XorBits32(std::string_view first, std::string_view second) {
    return XorBits(first, second, 32);
}

ShortBits DES_Crypt::SubstituteSBoxes(std::string_view bits) {
    if (guardStops(bits, 48, "S-box function ..."))
        return {};
    ShortBits out;
    for (int box = 1; box <= 8; ++box) {
        // A short input gives short groups: missing characters add nothing to row or column.
        const std::size_t start = 6 * static_cast<std::size_t>(box - 1);
        const std::string_view group =
            start < bits.size() ? bits.substr(start, 6) : std::string_view();
        // Row: the outer characters read in base 2; column: the inner four. Computed as
        // BaseToDecimal reads digits, without building the substrings.
        int row = 0;
        if (!group.empty())
            row = nibbles::DigitValue(group.front());
        if (group.size() == 6)
            row = row * 2 + nibbles::DigitValue(group.back());
        int column = 0;
        for (std::size_t i = 1; i < group.size() && i <= 4; ++i)
            column = column * 2 + nibbles::DigitValue(group[i]);
        // Characters other than 0 and 1 can take row or column out of the tables: value 0.
        const int value = sBox(box, row, column);
        // The value's base-2 digits with leading zeros up to four, as the nibble table holds them.
        out.append(nibbles::kGroups[value]);
    }
    return out;
}

int DES_Crypt::sBox(int box, int row, int column) {
    if (box < 1 || box > 8 || row < 0 || row > 3 || column < 0 || column > 15)
        return 0;
    return des_tables::kSBoxes[box - 1][row][column];
}

} // namespace quillset
