#include "print/WindowModule.h"

#include "platform/FailureLog.h"
#include "platform/WindowsPath.h"
#include "print/PrintProgram.h"

#include <dlfcn.h>

namespace quillset {

int RunWindowModule(const PrintProgramParts& parts, int argc, char** argv) {
    const std::filesystem::path file = PrivateFile(parts.programName + "-window.so");
    // Never closed: the module's objects live until the process ends.
    void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto entry =
        module ? reinterpret_cast<WindowEntryPoint>(dlsym(module, kWindowEntryPoint)) : nullptr;
    if (!entry) {
        LogFailure(
            {QString::fromStdString(parts.programName), QStringLiteral("window"),
             QStringLiteral("show"),
             QStringLiteral("the window cannot be loaded: ") + QString::fromLocal8Bit(dlerror())});
        return 1;
    }
    return entry(argc, argv);
}

} // namespace quillset
