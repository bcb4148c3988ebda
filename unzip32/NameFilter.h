#pragma once

#include <string>
#include <vector>

namespace quillset::unzip32 {

// The include and exclude patterns of one unpack (shell wildcards, "/" matched literally).
class NameFilter {
public:
    NameFilter(std::vector<std::string> include, std::vector<std::string> exclude,
               bool caseSensitive)
        : include_(std::move(include)), exclude_(std::move(exclude)),
          caseSensitive_(caseSensitive) {}

    // With no include patterns every name is selected unless an exclude pattern matches it.
    bool selects(const std::string& name) const;

private:
    bool matchesAny(const std::vector<std::string>& patterns, const std::string& name) const;

    std::vector<std::string> include_;
    std::vector<std::string> exclude_;
    bool caseSensitive_;
};

} // namespace quillset::unzip32
