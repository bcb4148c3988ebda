// transfer_fetch ADDRESS NAME LOCAL_FOLDER: one GET through the transfer control, waited for the
// way the agent waits (window events handled between polls). For side-by-side runs with curl.
#include "transfer/InternetTransfer.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("usage: transfer_fetch ADDRESS NAME LOCAL_FOLDER\n", stderr);
        return 2;
    }
    quillset::InternetTransfer control;
    const QString name = QString::fromLocal8Bit(argv[2]);
    control.Execute(QString::fromLocal8Bit(argv[1]),
                    "GET " + name + " " + QString::fromLocal8Bit(argv[3]) + "/" + name);
    while (control.StillExecuting())
        QCoreApplication::processEvents();
    if (!control.lastError().isEmpty()) {
        std::fprintf(stderr, "transfer_fetch: %s\n", control.lastError().toUtf8().constData());
        return 1;
    }
    return 0;
}
