#pragma once

#include <QDateTime>
#include <QString>

namespace quillset {

// Where a print job's page goes: a CUPS queue, or a PDF file.
struct PrintDestination {
    QString printerName;       // a queue name, or empty for a PDF file
    QString pdfPath;           // used when printerName is empty
    bool announcePath = false; // the path was chosen for the user: tell it on standard output
};

// The choices of the command line and the environment, in this order: a queue named with
// --printer, a PDF file named with --pdf, the queue named by QUILLSET_PRINTER, the system's
// default queue, else a PDF file in the user's documents folder named after the program and the
// time.
struct PrintOptions {
    QString printerName;
    QString pdfPath;
};

PrintDestination ChoosePrintDestination(const PrintOptions& options, const QString& programName,
                                        const QDateTime& now);

// The PDF file a job prints to when nothing else is named: <documents>/<program>-<time>.pdf,
// with a number added when a file of that name already exists. Creates the folder if needed.
QString DefaultPdfPath(const QString& programName, const QDateTime& now);

// The name of the system's default CUPS queue, empty when there is none or no print server.
QString DefaultPrinterName();

} // namespace quillset
