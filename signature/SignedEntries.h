#pragma once

#include "platform/Result.h"
#include "signature/ReleaseSignatureFile.h"
#include "signature/StatementLines.h"

#include <string>
#include <vector>

namespace quillset {

// Reads a version 2 statement's manifest from `lines`: the "entries" line and the entry lines it
// counts, up to the signature line. The entries, or the reason naming the line at fault.
Result<std::vector<SignedEntry>, std::string> ReadSignedEntries(StatementLines& lines);

} // namespace quillset
