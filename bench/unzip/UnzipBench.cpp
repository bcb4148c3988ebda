// Unpacks one archive through CGUnzipFiles, as the update agent does, for timing side by side
// with unzip and bsdtar:  unzip_bench ARCHIVE FOLDER [PASSWORD]
#include "platform/UnattendedDialogs.h"
#include "unzip/CGUnzipFiles.h"
#include "unzip/CodeModule.h"
#include "unzip/UnzipError.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: unzip_bench ARCHIVE FOLDER [PASSWORD]\n");
        return 2;
    }
    quillset::UnattendedDialogs dialogs;
    QString password = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    quillset::CodeModule module(dialogs, password);
    quillset::CGUnzipFiles files(module);
    try {
        const std::int32_t result =
            files.Unzip(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
        if (result != UZ_OK)
            std::fprintf(stderr, "%s", files.GetLastMessage().toLocal8Bit().constData());
        return result;
    } catch (const quillset::UnzipError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 100;
    }
}
