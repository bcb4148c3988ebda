#include "movie/MovieProgram.h"

int main(int argc, char** argv) {
    return quillset::RunPrintProgram(argc, argv, quillset::MovieProgram());
}
