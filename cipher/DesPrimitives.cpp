#include "DES_Crypt.h"
#include "DesTables.h"

#include <algorithm>

namespace quillset {

namespace {

// The input's characters at the table's positions, in table order; positions beyond a short
// input's end contribute nothing.
template <std::size_t N>
std::string select(std::string_view bits, const std::array<std::uint8_t, N>& table) {
    std::string out;
    out.reserve(N);
    for (std::uint8_t position : table) {
        if (position <= bits.size())
            out.push_back(bits[position - 1]);
    }
    return out;
}

// Exclusive or over exactly `width` positions; an operand that has run out repeats its last bit,
// an empty one reads as zeros.
std::string xorBits(std::string_view first, std::string_view second, std::size_t width) {
    std::string out(width, '0');
    bool a = false;
    bool b = false;
    for (std::size_t i = 0; i < width; ++i) {
        if (i < first.size())
            a = first[i] == '1';
        if (i < second.size())
            b = second[i] == '1';
        if (a != b)
            out[i] = '1';
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

std::string DES_Crypt::PermuteIP(std::string_view bits) {
    if (guardStops(bits, 64, "IP function ..."))
        return {};
    return select(bits, des_tables::kIP);
}

std::string DES_Crypt::ExpandE(std::string_view bits) {
    if (guardStops(bits, 32, "E function ..."))
        return {};
    return select(bits, des_tables::kE);
}

std::string DES_Crypt::PermutedChoice1(std::string_view bits) {
    // The limit is the size of the whole key, parity bits included, not of the selection.
    if (guardStops(bits, 64, "PC-1 function ..."))
        return {};
    return select(bits, des_tables::kPC1);
}

std::string DES_Crypt::PermutedChoice2(std::string_view bits) {
    if (guardStops(bits, 56, "PC-2 function ..."))
        return {};
    return select(bits, des_tables::kPC2);
}

std::string DES_Crypt::PermuteP(std::string_view bits) {
    if (guardStops(bits, 32, "P function ..."))
        return {};
    return select(bits, des_tables::kP);
}

std::string DES_Crypt::PermuteIPInverse(std::string_view bits) {
    if (guardStops(bits, 64, "IP reverse function ..."))
        return {};
    return select(bits, des_tables::kIPInverse);
}

std::string DES_Crypt::RotateLeft(std::string_view half, int count) {
    const std::size_t shift = count == 1 ? 1 : 2;
    if (half.size() < shift)
        return std::string(half);
    std::string out;
    out.reserve(half.size());
    out.append(half.substr(shift));
    out.append(half.substr(0, shift));
    return out;
}

std::string DES_Crypt::XorBits48(std::string_view first, std::string_view second) {
    return xorBits(first, second, 48);
}

std::string DES_Crypt::XorBits32(std::string_view first, std::string_view second) {
    return xorBits(first, second, 32);
}

std::string DES_Crypt::SubstituteSBoxes(std::string_view bits) {
    if (guardStops(bits, 48, "S-box function ..."))
        return {};
    std::string out;
    out.reserve(32);
    for (int box = 1; box <= 8; ++box) {
        // A short input gives short groups: missing characters add nothing to row or column.
        const std::size_t start = 6 * static_cast<std::size_t>(box - 1);
        const std::string_view group =
            start < bits.size() ? bits.substr(start, 6) : std::string_view();
        std::string rowDigits;
        if (!group.empty())
            rowDigits.push_back(group.front());
        if (group.size() == 6)
            rowDigits.push_back(group.back());
        const double row = BaseToDecimal(rowDigits, 2);
        const double column =
            BaseToDecimal(group.substr(std::min<std::size_t>(1, group.size()), 4), 2);
        // Characters other than 0 and 1 can push row or column out of the tables; SBox answers 0.
        const bool inRange = row >= 0 && row <= 3 && column >= 0 && column <= 15;
        const int value = inRange ? SBox(box, static_cast<int>(row), static_cast<int>(column)) : 0;
        std::string nibble = DecimalToBase(value, 2);
        out.append(4 - nibble.size(), '0');
        out.append(nibble);
    }
    return out;
}

int DES_Crypt::SBox(int box, int row, int column) {
    if (box < 1 || box > 8 || row < 0 || row > 3 || column < 0 || column > 15)
        return 0;
    return des_tables::kSBoxes[box - 1][row][column];
}

} // namespace quillset
