#include "quotation/QuotationProgram.h"

int main(int argc, char** argv) {
    return quillset::RunPrintProgram(argc, argv, quillset::QuotationProgram());
}
