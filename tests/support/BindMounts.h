#pragma once

#include <filesystem>
#include <vector>

namespace quillset::test {

// Bind mounts for tests, without root where the kernel allows a user namespace: the test
// process moves once into a mount namespace of its own, so its mounts are seen only by it and
// the programs it starts, and never by the machine. Every mount made below `scope` is undone
// when the object goes, wherever a rename has carried it meanwhile.
class BindMounts {
public:
    explicit BindMounts(std::filesystem::path scope) : scope_(std::move(scope)) {}
    ~BindMounts();
    BindMounts(const BindMounts&) = delete;
    BindMounts& operator=(const BindMounts&) = delete;

    // Mounts the folder `outside` at the folder `inside`; false where this machine cannot.
    bool bind(const std::filesystem::path& outside, const std::filesystem::path& inside);

private:
    std::filesystem::path scope_;
};

} // namespace quillset::test
