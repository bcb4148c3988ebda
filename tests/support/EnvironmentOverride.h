#pragma once

#include <QByteArray>

namespace quillset::test {

// Sets an environment variable for the life of the object (a null value unsets it), then puts back
// what was there.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const QByteArray& value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray saved_;
};

} // namespace quillset::test
