#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

namespace quillset::test {

// A tmpfs of a few kilobytes mounted over a folder for the life of the object, so that a test can
// run a program against a full disk. Mounting needs root (or CAP_SYS_ADMIN).
class SmallDisk {
public:
    // Null, with the reason in `why`, when the folder cannot be mounted here.
    static std::unique_ptr<SmallDisk> mount(const std::filesystem::path& folder, std::size_t bytes,
                                            std::string& why);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Writes `file` until the disk refuses another byte; true when it ended full.
    static bool fillUp(const std::filesystem::path& file);

private:
    explicit SmallDisk(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::filesystem::path folder_;
};

} // namespace quillset::test
