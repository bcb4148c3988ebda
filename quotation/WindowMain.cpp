// The entry point of quotation-window.so, the quotation program's window side.
#include "print/PrintWindow.h"
#include "quotation/Form1.h"
#include "quotation/QuotationProgram.h"

using namespace quillset;

int QuillsetWindowMain(int argc, char** argv) {
    return RunPrintWindow(argc, argv, QuotationProgram(), [](PrintJobServices& services, Dialogs&) {
        return std::make_unique<Form1>(services);
    });
}
