#include "print/PrintProgram.h"
#include "quotation/Form1.h"

#include <QGuiApplication>

using namespace quillset;

int main(int argc, char** argv) {
    // The desktop groups the window with its menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillset.quotation"));
    return RunPrintProgram(
        argc, argv,
        {"quotation", "Prints a quotation letter of World Express Delivery Inc.", kQuotationTitle,
         QStringLiteral("letter"),
         [](PrintJobServices& services, Dialogs&) { return std::make_unique<Form1>(services); },
         [](PrintJobServices& services) {
             const QuotationFormContents start = StartingQuotation();
             return PrintQuotation(
                 services,
                 StringsToPrint(start.customerName, start.customerAddress, start.signerName),
                 CostItemList(start.costItems));
         }});
}
