#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
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

// Prints a row of a table by its `name` field in a failure. GoogleTest finds a row's printer in
// the row's own namespace, and the tables' rows are declared in each test file's unnamed
// namespace, so the printer is declared there too: one template for them all.
namespace {
template <class Row>
requires requires(const Row& row, std::ostream& out) {
    out << row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}
} // namespace

} // namespace quillset::test
