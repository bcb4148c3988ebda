#include "platform/UnattendedDialogs.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace quillset::test {
namespace {

QString Captured(std::FILE* file) {
    std::rewind(file);
    QByteArray text;
    char buffer[256];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, qsizetype(n));
    return QString::fromUtf8(text);
}

} // namespace

TEST(UnattendedDialogs, PrintsTitleAndTextAndTakesTheDefault) {
    std::FILE* out = std::tmpfile();
    UnattendedDialogs dialogs(out);
    const MessageAnswer answer =
        dialogs.showMessage({"TLUPDATER", "Can't convert\r\rDo you want to continue ???",
                             MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes});
    EXPECT_EQ(answer, MessageAnswer::Yes);
    EXPECT_EQ(dialogs.inputBox({"TLUPDATER", "Ingrese la contraseña!", ""}), QString());
    EXPECT_EQ(dialogs.showOpen({"*.BMP", "Windows Bitmap (*.BMP)|*.BMP"}), "*.BMP");
    const QString text = Captured(out);
    EXPECT_TRUE(text.startsWith("[TLUPDATER] Can't convert\n\nDo you want to continue ???\n"));
    EXPECT_TRUE(text.contains("[TLUPDATER] Ingrese la contraseña!\n"));
    std::fclose(out);
}
} // namespace quillset::test
