#pragma once

#include <QDateTime>
#include <QString>

namespace quillset {

// Where a print job's page goes: a CUPS queue, or a PDF file.
struct PrintDestination {
    QString printerName; // a queue name, or empty for a PDF file
    QString pdfPath;     // used when printerName is empty
    // The path was chosen for the user: it never replaces an earlier file.
    bool chosenForUser = false;
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

// The name a PDF file takes when earlier ones hold its name: "a.pdf", "a-2.pdf", "a-3.pdf"...
QString NumberedPdfPath(const QString& path, int number);

// The name of the system's default CUPS queue, empty when there is none, no print server or no
// libcups.
QString DefaultPrinterName();

} // namespace quillset
