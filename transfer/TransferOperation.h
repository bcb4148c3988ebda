#pragma once

#include "platform/Failure.h"

#include <QString>

namespace quillset {

// A transfer that could not be started: a malformed operation text, an address the control
// cannot use, or a local file that cannot be created.
class TransferError : public Failure {
public:
    using Failure::Failure;
};

// The parts of an operation text "GET name localpath". The local path is everything after the
// second space, taken whole, so a folder with spaces needs no quoting.
struct TransferOperation {
    QString remoteName;
    QString localPath;
};

// Throws TransferError for anything but a GET of a bare remote name to a non-empty local path.
TransferOperation ParseTransferOperation(const QString& operation);

// The address of `remoteName` on the server named by `address`, read as a folder (a missing
// trailing "/" is supplied). Only http, https, ftp and file addresses are accepted.
std::string ResolveRemoteAddress(const QString& address, const QString& remoteName);

} // namespace quillset
