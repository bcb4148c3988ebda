#pragma once

#include "transfer/InternetTransfer.h"

#include <QString>
#include <chrono>

namespace quillset {

// The line shown while the archive arrives, `elapsed` after its transfer started: the bytes so far,
// of how many when the server announced it, the mean speed and, with a length, the time left.
// For example "1.2 MB of 200.0 MB, 5.0 MB/s, 39 s left", in decimal units (1 MB is a million
// bytes); when only the changed entries are fetched, "1.2 MB of 1.3 MB to fetch, 31.9 MB release,
// 5.0 MB/s, 1 s left".
QString TransferProgressLine(const TransferProgress& progress, std::chrono::milliseconds elapsed);

} // namespace quillset
