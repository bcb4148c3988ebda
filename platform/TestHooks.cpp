// The stop and fail points of test builds, linked as platform_test_hooks. Plain C++ without Qt,
// so that the unzip engine can take them too.
#include "platform/FailPoint.h"
#include "platform/StopPoint.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace quillset {

namespace {

constexpr char kStopAtVariable[] = "QUILLSET_TEST_STOP_AT";
constexpr char kFailAtVariable[] = "QUILLSET_TEST_FAIL_AT";
constexpr char kStopAtForm[] = "POINT[#N] or POINT[#N]:SIGSTOP";
constexpr char kFailAtForm[] = "POINT[#N]:ERROR, ERROR an error name such as EIO or ENOSPC";

struct ErrorName {
    const char* name;
    int number;
};

// The errors a fault test may ask for: those a file, a folder or a disk can answer.
constexpr ErrorName kErrorNames[] = {
    {"EACCES", EACCES},   {"EBUSY", EBUSY},         {"EDQUOT", EDQUOT},
    {"EEXIST", EEXIST},   {"EFBIG", EFBIG},         {"EIO", EIO},
    {"EISDIR", EISDIR},   {"ELOOP", ELOOP},         {"EMFILE", EMFILE},
    {"ENOENT", ENOENT},   {"ENOMEM", ENOMEM},       {"ENOSPC", ENOSPC},
    {"ENOTDIR", ENOTDIR}, {"ENOTEMPTY", ENOTEMPTY}, {"EOPNOTSUPP", EOPNOTSUPP},
    {"EPERM", EPERM},     {"EROFS", EROFS},         {"ETXTBSY", ETXTBSY},
    {"EXDEV", EXDEV},
};

std::mutex passagesMutex;

// A setting a test misspelt would otherwise let the row pass without its fault: end at once.
[[noreturn]] void RefuseSetting(const char* variable, std::string_view setting,
                                const char* expected) {
    std::fprintf(stderr, "%s=%.*s: expected %s\n", variable, int(setting.size()), setting.data(),
                 expected);
    std::_Exit(125);
}

// Counts this passage of `name` and answers whether `wanted` ("name", or "name#N" for the N-th
// passage) names it.
bool IsWantedPassage(std::map<std::string, int, std::less<>>& passages, std::string_view wanted,
                     const char* name) {
    const std::lock_guard lock(passagesMutex);
    const int passage = ++passages[name];
    const std::size_t hash = wanted.find('#');
    if (wanted.substr(0, hash) != name)
        return false;
    const int wantedPassage = hash == std::string_view::npos
                                  ? 1
                                  : std::atoi(std::string(wanted.substr(hash + 1)).c_str());
    return passage == wantedPassage;
}

int ErrorNumber(std::string_view name, std::string_view setting) {
    for (const ErrorName& known : kErrorNames)
        if (name == known.name)
            return known.number;
    RefuseSetting(kFailAtVariable, setting, kFailAtForm);
}

} // namespace

void StopPoint(const char* name) {
    const char* wanted = std::getenv(kStopAtVariable);
    if (!wanted || !*wanted)
        return;
    std::string_view setting = wanted;
    // Killed there, or with ":SIGSTOP" paused there, so that a test can signal it at that point.
    int signalNumber = SIGKILL;
    if (const std::size_t colon = setting.find(':'); colon != std::string_view::npos) {
        if (setting.substr(colon + 1) != "SIGSTOP")
            RefuseSetting(kStopAtVariable, setting, kStopAtForm);
        signalNumber = SIGSTOP;
        setting = setting.substr(0, colon);
    }
    static std::map<std::string, int, std::less<>> passages;
    if (IsWantedPassage(passages, setting, name))
        std::raise(signalNumber);
}

bool FailPoint(const char* name) {
    const char* wanted = std::getenv(kFailAtVariable);
    if (!wanted || !*wanted)
        return false;
    const std::string_view setting = wanted;
    const std::size_t colon = setting.rfind(':');
    if (colon == std::string_view::npos)
        RefuseSetting(kFailAtVariable, setting, kFailAtForm);
    const int error = ErrorNumber(setting.substr(colon + 1), setting);
    static std::map<std::string, int, std::less<>> passages;
    if (!IsWantedPassage(passages, setting.substr(0, colon), name))
        return false;
    errno = error;
    return true;
}

} // namespace quillset
