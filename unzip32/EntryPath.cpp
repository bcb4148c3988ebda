#include "unzip32/EntryPath.h"

#include <algorithm>

namespace quillset::unzip32 {

namespace {

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool HasDriveLetter(std::string_view name) {
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

Made<EntryPath> Refused(std::string reason) {
    return {{}, Problem{UZ_REFUSED, std::move(reason)}};
}

} // namespace

Made<EntryPath> MakeEntryPath(std::string_view name, bool flatten, bool spacesToUnderscores) {
    if (name.size() > kLongestEntryName)
        return Refused("name longer than " + std::to_string(kLongestEntryName) + " bytes");
    if (!name.empty() && (name.front() == '/' || name.front() == '\\'))
        return Refused("absolute name");
    if (HasDriveLetter(name))
        return Refused("name with a drive letter");
    EntryPath path;
    for (std::string_view part : Split(name, "/\\")) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return Refused("name climbs out of the folder");
        std::string component(part);
        if (spacesToUnderscores)
            std::replace(component.begin(), component.end(), ' ', '_');
        path.components.push_back(std::move(component));
        if (path.components.size() > kDeepestEntryName)
            return Refused("name nests deeper than " + std::to_string(kDeepestEntryName) +
                           " folders");
    }
    if (flatten && path.components.size() > 1)
        path.components.erase(path.components.begin(), path.components.end() - 1);
    return {std::move(path), {}};
}

bool LinkTargetStaysInside(const std::vector<std::string>& linkComponents,
                           std::string_view target) {
    if (target.empty() || target.front() == '/')
        return false;
    // The link lives in the folder of its last component's parent.
    long depth = static_cast<long>(linkComponents.size()) - 1;
    bool climbing = true;
    for (std::string_view part : Split(target, "/")) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!climbing || --depth < 0)
                return false;
        } else {
            climbing = false;
        }
    }
    return true;
}

} // namespace quillset::unzip32
