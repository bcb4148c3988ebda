#include "tests/support/EnvironmentOverride.h"

#include <QtGlobal>

namespace quillset::test {

EnvironmentOverride::EnvironmentOverride(const char* name, const QByteArray& value)
    : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name)) {
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

EnvironmentOverride::~EnvironmentOverride() {
    if (wasSet_)
        qputenv(name_, saved_);
    else
        qunsetenv(name_);
}

} // namespace quillset::test
