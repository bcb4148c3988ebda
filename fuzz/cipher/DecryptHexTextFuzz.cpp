#include "fuzz/cipher/DecryptHexTextFuzz.h"

#include "cipher/DES_Crypt.h"
#include "platform/ScriptedDialogs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quillset {

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "DecryptHexText fuzz: %s\n", what);
    std::abort();
}

} // namespace

int FuzzDecryptHexText(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t answers = size > 0 ? data[0] : 0xFF;
    const std::size_t keyLength = size > 1 ? data[1] % 33 : 0;
    const std::size_t header = size > 1 ? 2 : size;
    const std::size_t keyBytes = std::min(keyLength, size - header);
    const char* bytes = reinterpret_cast<const char*>(data);
    const QString key = QString::fromUtf8(bytes + header, static_cast<qsizetype>(keyBytes));
    const QString text = QString::fromUtf8(bytes + header + keyBytes,
                                           static_cast<qsizetype>(size - header - keyBytes));

    ScriptedDialogs dialogs;
    for (int bit = 0; bit < 8; ++bit)
        dialogs.queueAnswer(answers & (1u << bit) ? MessageAnswer::Yes : MessageAnswer::No);
    DES_Crypt des(dialogs);
    const QString plain = des.DecryptHexText(text, key);

    const qsizetype blocks = (text.size() + 15) / 16;
    if (plain.size() > blocks * 8)
        Fail("more than 8 characters per block");
    if (plain.startsWith(QLatin1Char(' ')) || plain.endsWith(QLatin1Char(' ')))
        Fail("spaces left at an end");
    if (des.StopProcessing)
        Fail("StopProcessing left raised");
    for (const MessageBoxRequest& asked : dialogs.messages()) {
        if (asked.title != QLatin1String("TLUPDATER") || asked.icon != MessageIcon::Question ||
            asked.buttons != MessageButtons::YesNo)
            Fail("a question without the module's title, icon or buttons");
    }
    return 0;
}

} // namespace quillset
