#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace quillset::test {
namespace {

TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(CharToAnsi(AnsiToChar(static_cast<unsigned char>(byte))), byte) << byte;
}

TEST(CodePage, WindowsCharactersOfTheHighControlRange) {
    struct Row {
        unsigned char byte;
        char16_t unicode;
    };
    for (const Row& row : {Row{0x80, 0x20AC}, Row{0x91, 0x2018}, Row{0x9F, 0x0178},
                           Row{0xF1, 0x00F1}, Row{0x41, 0x0041}}) {
        EXPECT_EQ(AnsiToChar(row.byte).unicode(), row.unicode);
    }
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(StringToAnsi(QStringLiteral("contraseña €\u4e2d")), QByteArray("contrase\xf1"
                                                                             "a \x80?"));
    const QByteArray bytes("\xf1\x00z", 3);
    EXPECT_EQ(AnsiToString(bytes.constData(), bytes.size()), QString::fromUtf16(u"ñ\u0000z", 3));
}

} // namespace
} // namespace quillset::test
