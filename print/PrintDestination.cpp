#include "print/PrintDestination.h"

#include "print/CupsLibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillset {

QString DefaultPrinterName() {
    // A system without the print system's library has no queue either.
    const Result<const CupsCalls*> cups = LoadCups();
    if (!cups)
        return {};
    cups_dest_t* dest = (*cups)->getNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return {};
    const QString name = QString::fromLocal8Bit(dest->name);
    (*cups)->freeDests(1, dest);
    return name;
}

QString DefaultPdfPath(const QString& programName, const QDateTime& now) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    // A fresh account may have no documents folder yet.
    QDir().mkpath(folder);
    const QString first = QDir(folder).filePath(
        programName + QLatin1Char('-') + now.toString(u"yyyyMMdd-HHmmss") + QStringLiteral(".pdf"));
    // A second job in the same second must not overwrite the first one's letter.
    QString path = first;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = NumberedPdfPath(first, n);
    return path;
}

QString NumberedPdfPath(const QString& path, int number) {
    if (number < 2)
        return path;
    const QString suffix = QStringLiteral(".pdf");
    const QString stem = path.endsWith(suffix) ? path.chopped(suffix.size()) : path;
    return stem + QLatin1Char('-') + QString::number(number) +
           (path.endsWith(suffix) ? suffix : QString());
}

PrintDestination ChoosePrintDestination(const PrintOptions& options, const QString& programName,
                                        const QDateTime& now) {
    if (!options.printerName.isEmpty())
        return {options.printerName, {}, false};
    if (!options.pdfPath.isEmpty())
        return {{}, options.pdfPath, false};
    const QString fromEnvironment = qEnvironmentVariable("QUILLSET_PRINTER");
    if (!fromEnvironment.isEmpty())
        return {fromEnvironment, {}, false};
    const QString systemDefault = DefaultPrinterName();
    if (!systemDefault.isEmpty())
        return {systemDefault, {}, false};
    return {{}, DefaultPdfPath(programName, now), true};
}

} // namespace quillset
