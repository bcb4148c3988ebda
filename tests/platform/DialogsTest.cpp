#include "platform/ScriptedDialogs.h"
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

TEST(ScriptedDialogs, AnswersInQueueOrderThenDefaults) {
    ScriptedDialogs dialogs;
    dialogs.queueAnswer(MessageAnswer::No);
    dialogs.queueInput("secret");
    dialogs.queueOpenFile("/tmp/a.bmp");
    const MessageBoxRequest question{"T", "Q", MessageIcon::Question, MessageButtons::YesNo,
                                     MessageAnswer::Yes};
    EXPECT_EQ(dialogs.showMessage(question), MessageAnswer::No);
    EXPECT_EQ(dialogs.showMessage(question), MessageAnswer::Yes);
    EXPECT_EQ(dialogs.inputBox({"T", "P", ""}), "secret");
    EXPECT_EQ(dialogs.inputBox({"T", "P", ""}), QString());
    EXPECT_EQ(dialogs.showOpen({"*.BMP", "f"}), "/tmp/a.bmp");
    EXPECT_EQ(dialogs.showOpen({"*.BMP", "f"}), "*.BMP");
    EXPECT_EQ(dialogs.messages().size(), 2u);
}
} // namespace quillset::test
