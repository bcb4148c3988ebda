#include "platform/StopPoint.h"

#include <csignal>
#include <cstdlib>
#include <map>
#include <string>

namespace quillset {

void StopPoint(const char* name) {
    const char* wanted = std::getenv(kStopAtVariable);
    if (!wanted || !*wanted)
        return;
    static std::map<std::string, int> passages;
    const int passage = ++passages[name];
    const std::string text = wanted;
    const std::size_t hash = text.find('#');
    const bool named = text.substr(0, hash) == name;
    const int stopPassage = hash == std::string::npos ? 1 : std::atoi(text.c_str() + hash + 1);
    if (named && passage == stopPassage)
        std::raise(SIGKILL);
}

} // namespace quillset
