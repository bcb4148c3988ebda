#include "print/CupsLibrary.h"

#include <dlfcn.h>

namespace quillset {

namespace {

// The library's name with its ABI version, as the loader would have looked it up for a link.
constexpr const char* kLibrary = "libcups.so.2";

template <typename Call> bool Find(void* library, const char* name, Call& call) {
    call = reinterpret_cast<Call>(dlsym(library, name));
    return call != nullptr;
}

Result<const CupsCalls*> OpenCups() {
    static CupsCalls calls;
    void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return Refuse(QStringLiteral("the print system cannot be used: ") +
                      QString::fromLocal8Bit(dlerror()));
    const bool found = Find(library, "cupsGetNamedDest", calls.getNamedDest) &&
                       Find(library, "cupsFreeDests", calls.freeDests) &&
                       Find(library, "cupsLastErrorString", calls.lastErrorString) &&
                       Find(library, "cupsCreateJob", calls.createJob) &&
                       Find(library, "cupsStartDocument", calls.startDocument) &&
                       Find(library, "cupsWriteRequestData", calls.writeRequestData) &&
                       Find(library, "cupsFinishDocument", calls.finishDocument) &&
                       Find(library, "cupsCancelJob2", calls.cancelJob);
    if (!found) {
        const QString why = QString::fromLocal8Bit(dlerror());
        dlclose(library);
        return Refuse(QStringLiteral("the print system cannot be used: ") + why);
    }
    return &calls;
}

} // namespace

Result<const CupsCalls*> LoadCups() {
    static const Result<const CupsCalls*> loaded = OpenCups();
    return loaded;
}

} // namespace quillset
