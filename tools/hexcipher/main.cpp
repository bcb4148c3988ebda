// hexcipher: enciphers a text the way the update agent deciphers it, and deciphers for checking.
//   hexcipher encipher TEXT KEY [--pad N]   upper-case hexadecimal text (N: pad to N characters)
//   hexcipher decipher HEX KEY              what the agent's DecryptHexText returns, as UTF-8
// Questions are answered as in unattended mode and written to standard error.
#include "platform/UnattendedDialogs.h"
#include "tools/hexcipher/HexEncipher.h"

#include <QStringList>
#include <cstdio>

using namespace quillset;

namespace {

int Usage() {
    std::fputs("usage: hexcipher encipher TEXT KEY [--pad N]\n"
               "       hexcipher decipher HEX KEY\n",
               stderr);
    return 2;
}

void PrintLine(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stdout);
    std::fputc('\n', stdout);
}

int Encipher(DES_Crypt& des, QString text, const QString& key, const QStringList& options) {
    if (!options.isEmpty()) {
        bool ok = false;
        const int width = options.size() == 2 && options[0] == QLatin1String("--pad")
                              ? options[1].toInt(&ok)
                              : -1;
        if (!ok || width < 0)
            return Usage();
        if (text.size() > width) {
            std::fprintf(stderr, "hexcipher: the text has %lld characters, more than %d\n",
                         static_cast<long long>(text.size()), width);
            return 1;
        }
        text = text.leftJustified(width, u' ');
    }
    if (!FitsAnsiCodePage(text)) {
        std::fputs("hexcipher: the text has characters outside the Windows-1252 code page\n",
                   stderr);
        return 1;
    }
    PrintLine(EncipherHexText(des, text, key));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromUtf8(argv[i]));
    if (args.size() < 3)
        return Usage();

    UnattendedDialogs dialogs(stderr);
    DES_Crypt des(dialogs);
    const QString& command = args[0];
    if (command == QLatin1String("encipher"))
        return Encipher(des, args[1], args[2], args.mid(3));
    if (command == QLatin1String("decipher") && args.size() == 3) {
        PrintLine(des.DecryptHexText(args[1], args[2]));
        return 0;
    }
    return Usage();
}
