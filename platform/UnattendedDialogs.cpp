#include "platform/UnattendedDialogs.h"

#include <cstdlib>
#include <cstring>

namespace quillset {

namespace {

// Lone carriage returns separate lines in some messages; a terminal wants line feeds.
QByteArray Printable(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.toUtf8();
}

} // namespace

MessageAnswer UnattendedDialogs::showMessage(const MessageBoxRequest& request) {
    std::fprintf(out_, "[%s] %s\n", Printable(request.title).constData(),
                 Printable(request.text).constData());
    std::fflush(out_);
    return request.defaultAnswer;
}

QString UnattendedDialogs::inputBox(const InputBoxRequest& request) {
    std::fprintf(out_, "[%s] %s\n", Printable(request.title).constData(),
                 Printable(request.prompt).constData());
    std::fflush(out_);
    return {};
}

QString UnattendedDialogs::showOpen(const OpenFileRequest& request) {
    std::fprintf(out_, "[Open] %s\n", Printable(request.filter).constData());
    std::fflush(out_);
    return request.fileName;
}

bool UnattendedMode() {
    const char* value = std::getenv("QUILLSET_UNATTENDED");
    return value && std::strcmp(value, "1") == 0;
}

} // namespace quillset
