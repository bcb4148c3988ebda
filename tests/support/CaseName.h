#pragma once

#include <gtest/gtest.h>

#include <string>

namespace quillset::test {

// Names each case of a parameterised test after its `name` field, so that a failure says which
// row of the table it was: INSTANTIATE_TEST_SUITE_P(Suite, Test, Values(...), CaseName()).
struct CaseName {
    template <class Case> std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return std::string(info.param.name);
    }
};

} // namespace quillset::test
