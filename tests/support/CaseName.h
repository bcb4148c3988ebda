#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quillset::test {

// Names each case of a parameterised test after its `name` field, so that a failure says which
// row of the table it was: INSTANTIATE_TEST_SUITE_P(Suite, Test, Values(...), CaseName()).
// A "-", which test names cannot hold, becomes "_".
struct CaseName {
    template <class Case> std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        std::string name(info.param.name);
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    }
};

} // namespace quillset::test
