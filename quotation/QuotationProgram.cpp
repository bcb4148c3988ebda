#include "quotation/QuotationProgram.h"

#include "quotation/Module1.h"

namespace quillset {

PrintProgramParts QuotationProgram() {
    return {"quotation", "Prints a quotation letter of World Express Delivery Inc.",
            kQuotationTitle, QStringLiteral("letter"), [](PrintJobServices& services) {
                const QuotationFormContents start = StartingQuotation();
                return PrintQuotation(
                    services,
                    StringsToPrint(start.customerName, start.customerAddress, start.signerName),
                    CostItemList(start.costItems));
            }};
}

} // namespace quillset
