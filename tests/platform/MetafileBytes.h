#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <initializer_list>

namespace quillset::test {

// Builds a small placeable metafile record by record, for tests that need one exact drawing.
class MetafileBytes {
public:
    MetafileBytes(std::int16_t width, std::int16_t height, std::uint16_t objects = 4)
        : width_(width), height_(height), objects_(objects) {}

    MetafileBytes& record(std::uint16_t function, std::initializer_list<std::int16_t> words) {
        putDword(body_, std::uint32_t(3 + words.size()));
        putWord(body_, function);
        for (std::int16_t w : words)
            putWord(body_, std::uint16_t(w));
        return *this;
    }

    QByteArray bytes() const {
        QByteArray records = body_;
        putDword(records, 3);
        putWord(records, 0);
        QByteArray out;
        putDword(out, 0x9AC6CDD7u);
        for (std::int16_t w : {std::int16_t(0), std::int16_t(0), std::int16_t(0), width_, height_})
            putWord(out, std::uint16_t(w));
        putWord(out, 1440);
        putDword(out, 0);
        std::uint16_t checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= qFromLittleEndian<std::uint16_t>(out.constData() + 2 * i);
        putWord(out, checksum);
        putWord(out, 1);
        putWord(out, 9);
        putWord(out, 0x0300);
        putDword(out, std::uint32_t((18 + records.size()) / 2));
        putWord(out, objects_);
        putDword(out, 64);
        putWord(out, 0);
        return out + records;
    }

private:
    static void putWord(QByteArray& out, std::uint16_t value) {
        out.append(char(value & 0xFF)).append(char(value >> 8));
    }
    static void putDword(QByteArray& out, std::uint32_t value) {
        putWord(out, std::uint16_t(value & 0xFFFF));
        putWord(out, std::uint16_t(value >> 16));
    }

    std::int16_t width_, height_;
    std::uint16_t objects_;
    QByteArray body_;
};

// Record functions used by the tests.
enum : std::uint16_t {
    kSaveDc = 0x001E,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kCreatePen = 0x02FA,
    kCreateBrush = 0x02FC,
    kRectangle = 0x041B,
};

} // namespace quillset::test
