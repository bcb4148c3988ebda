#pragma once

#include "platform/Failure.h"
#include "posix/FileDescriptor.h"

#include <string>

namespace quillset {

// A change of the module folder that could not be made; the text names the file and the reason.
class SwapError : public Failure {
public:
    using Failure::Failure;
};

// Flushes everything written to the file system that holds the open `folder`: one call for a
// whole tree. Throws SwapError.
void SyncFileSystem(int folder, const std::string& subject);

// Runs `work`, telling a system call's failure as a SwapError.
template <typename Work> decltype(auto) AsSwap(Work&& work) {
    try {
        return work();
    } catch (const SystemError& error) {
        throw SwapError(error.what());
    }
}

} // namespace quillset
