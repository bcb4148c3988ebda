#pragma once

#include "print/PrintProgram.h"

namespace quillset {

// The movie program as both its halves see it, the program and its window module: its names,
// its title, and the one job --print runs.
PrintProgramParts MovieProgram();

} // namespace quillset
