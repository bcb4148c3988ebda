#include "print/PrintProgram.h"
#include "quotation/Form1.h"

using namespace quillset;

int main(int argc, char** argv) {
    return RunPrintProgram(argc, argv,
                           {"quotation", "Prints a quotation letter of World Express Delivery Inc.",
                            kQuotationTitle, QStringLiteral("letter"),
                            [](PrintJobServices& services, Dialogs&) {
                                auto form = std::make_unique<Form1>(services);
                                Form1* const shown = form.get();
                                return PrintWindow{std::move(form), [shown] {
                                                       shown->Command1_Click();
                                                       return shown->LastResult();
                                                   }};
                            }});
}
