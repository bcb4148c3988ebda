#include "unzip32/NameFilter.h"

#include <fnmatch.h>

namespace quillset::unzip32 {

bool NameFilter::matchesAny(const std::vector<std::string>& patterns,
                            const std::string& name) const {
    const int flags = FNM_PATHNAME | (caseSensitive_ ? 0 : FNM_CASEFOLD);
    for (const std::string& pattern : patterns) {
        if (fnmatch(pattern.c_str(), name.c_str(), flags) == 0)
            return true;
    }
    return false;
}

bool NameFilter::selects(const std::string& name) const {
    if (!include_.empty() && !matchesAny(include_, name))
        return false;
    return !matchesAny(exclude_, name);
}

} // namespace quillset::unzip32
