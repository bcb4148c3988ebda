#pragma once

#include <ctime>
#include <optional>

namespace quillset::unzip32 {

enum class ReplaceDecision { Write, Skip, Ask };

struct ReplaceRules {
    bool onlyNewer = false; // replace existing files only, and only with newer entries
    bool newer = false;     // new entries, and entries newer than the file present
    bool prompt = false;    // ask before replacing
    bool overwrite = true;  // replace without asking
};

// What to do with an entry whose final name is taken by a file modified at `existingModified`
// (nullopt: the name is free). The entry's time is nullopt when the archive has none.
ReplaceDecision DecideReplace(const ReplaceRules& rules, std::optional<time_t> existingModified,
                              std::optional<time_t> entryModified);

} // namespace quillset::unzip32
