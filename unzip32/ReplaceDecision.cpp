#include "unzip32/ReplaceDecision.h"

namespace quillset::unzip32 {

ReplaceDecision DecideReplace(const ReplaceRules& rules, std::optional<time_t> existingModified,
                              std::optional<time_t> entryModified) {
    if (!existingModified)
        return rules.onlyNewer ? ReplaceDecision::Skip : ReplaceDecision::Write;
    if (rules.onlyNewer || rules.newer) {
        const bool isNewer = entryModified && *entryModified > *existingModified;
        if (!isNewer)
            return ReplaceDecision::Skip;
        return rules.prompt ? ReplaceDecision::Ask : ReplaceDecision::Write;
    }
    if (rules.prompt)
        return ReplaceDecision::Ask;
    return rules.overwrite ? ReplaceDecision::Write : ReplaceDecision::Skip;
}

} // namespace quillset::unzip32
