// The engine's own rules, tested on its objects without the agent.
#include "tests/support/CaseName.h"
#include "tests/support/Files.h"
#include "tests/support/MakeArchive.h"
#include "tests/support/RunTool.h"
#include "tests/support/Scratch.h"
#include "unzip/UnzipSettings.h"
#include "unzip32/Cp1252.h"
#include "unzip32/EntryPath.h"
#include "unzip32/LineEnds.h"
#include "unzip32/ReplaceDecision.h"
#include "unzip32/unzip32.h"

#include <gtest/gtest.h>

namespace quillset::test {
namespace {

using namespace unzip32;
using fs::path;

struct NameCase {
    const char* name;
    bool flatten;
    std::vector<std::string> components;
    bool refused;
};

class EntryNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryNames, SplitOrRefuse) {
    const Made<EntryPath> result = MakeEntryPath(GetParam().name, GetParam().flatten, false);
    EXPECT_EQ(result.problem.code, GetParam().refused ? UZ_REFUSED : UZ_OK) << result.problem.text;
    if (!GetParam().refused) {
        EXPECT_EQ(result.value.components, GetParam().components);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, EntryNames,
    ::testing::Values(NameCase{"a/b/c.txt", false, {"a", "b", "c.txt"}, false},
                      NameCase{"./a//b/./c.txt", false, {"a", "b", "c.txt"}, false},
                      NameCase{"win\\style\\name.txt", false, {"win", "style", "name.txt"}, false},
                      NameCase{"a/b/c.txt", true, {"c.txt"}, false},
                      NameCase{"dir/", false, {"dir"}, false},
                      NameCase{"..a/b..", false, {"..a", "b.."}, false},
                      NameCase{"../x", false, {}, true}, NameCase{"a/../../x", false, {}, true},
                      NameCase{"a/..", false, {}, true}, NameCase{"a\\..\\..\\x", true, {}, true},
                      NameCase{"/etc/passwd", false, {}, true},
                      NameCase{"\\server\\x", false, {}, true}, NameCase{"c:evil", false, {}, true},
                      NameCase{"./", false, {}, false}, NameCase{"", false, {}, false}));

TEST(EntryNames, BoundsOnDepthAndLengthHoldExactly) {
    std::string deepest;
    for (std::size_t level = 0; level < kDeepestEntryName; ++level)
        deepest += level == 0 ? "d" : "/d";
    EXPECT_EQ(MakeEntryPath(deepest, false, false).value.components.size(), kDeepestEntryName);
    EXPECT_TRUE(MakeEntryPath(deepest + "/x", false, false).problem);
    EXPECT_TRUE(MakeEntryPath(deepest + "/x", true, false).problem) << "also flattened";

    const std::string longest(kLongestEntryName, 'n');
    EXPECT_FALSE(MakeEntryPath(longest, false, false).problem);
    EXPECT_TRUE(MakeEntryPath(longest + "n", false, false).problem);
}

struct LinkCase {
    std::vector<std::string> link;
    const char* target;
    bool inside;
};

class LinkTargets : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkTargets, StayInsideOrNot) {
    EXPECT_EQ(LinkTargetStaysInside(GetParam().link, GetParam().target), GetParam().inside)
        << GetParam().target;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, LinkTargets,
    ::testing::Values(LinkCase{{"a"}, "b", true}, LinkCase{{"d", "a"}, "../b", true},
                      LinkCase{{"d", "e", "a"}, "../../b/c", true}, LinkCase{{"a"}, ".", true},
                      LinkCase{{"a"}, "../b", false}, LinkCase{{"d", "a"}, "../../b", false},
                      LinkCase{{"a"}, "/etc", false}, LinkCase{{"a"}, "", false},
                      // ".." after a name may climb out through another link, so it is refused.
                      LinkCase{{"d", "a"}, "l/..", false}, LinkCase{{"a"}, "d/l/../..", false}));

struct ReplaceCase {
    const char* name;
    ReplaceRules rules;
    std::optional<time_t> existing;
    std::optional<time_t> entry;
    ReplaceDecision decision;
};

class Replacing : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(Replacing, Decides) {
    EXPECT_EQ(DecideReplace(GetParam().rules, GetParam().existing, GetParam().entry),
              GetParam().decision);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Replacing,
    ::testing::Values(
        ReplaceCase{
            "PromptWinsOverOverwrite", {false, false, true, true}, 10, 20, ReplaceDecision::Ask},
        ReplaceCase{
            "NewerPromptsOnlyForNewer", {false, true, true, true}, 30, 20, ReplaceDecision::Skip},
        ReplaceCase{
            "SameTimeIsNotNewer", {false, true, false, true}, 20, 20, ReplaceDecision::Skip},
        ReplaceCase{"UndatedEntryIsNotNewer",
                    {true, false, false, true},
                    20,
                    std::nullopt,
                    ReplaceDecision::Skip}),
    CaseName());

TEST(LineEnds, PairsSplitAcrossBlocksStayOnePair) {
    CrLfConverter converter;
    std::string out = converter.convert("a\r");
    out += converter.convert("\nb\r");
    out += converter.convert("c\n");
    out += converter.convert("\r");
    out += converter.finish();
    EXPECT_EQ(out, "a\r\nb\r\nc\r\n\r\n");
}

TEST(CodePage, RoundTripsAndReplacesWhatItLacks) {
    EXPECT_EQ(Cp1252ToUtf8("\x80\xe9\x9f"), "\u20ac\u00e9\u0178");
    EXPECT_EQ(Utf8ToCp1252("\u20ac\u00e9\u0178"), "\x80\xe9\x9f");
    EXPECT_EQ(Utf8ToCp1252("\u4e2d|\xff|\xe2\x82"), "?|?|??");
}

// Direct calls of the exported entry points.
std::vector<std::string> listedNames;
void CollectName(uint32_t, uint32_t, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t,
                 char, const char* name, const char*, uint16_t, uint16_t) {
    listedNames.push_back(name);
}
int32_t StopAtOnce(const char*, uint32_t) {
    return 1;
}

class EntryPoints : public ::testing::Test {
protected:
    void SetUp() override {
        listedNames.clear();
        ASSERT_TRUE(MakeArchive("tree", archive));
        options = ToUnzipOptions(UnzipSettings{});
        options.ZipFileName = archiveText.c_str();
        options.ExtractDir = destText.c_str();
        callbacks.Message = &CollectName;
    }

    Scratch scratch;
    path archive = scratch.root() / "tree.zip";
    std::string archiveText = archive.string();
    std::string destText = scratch.dest().string();
    UnzipOptions options{};
    UnzipCallbacks callbacks{};
};

struct FilterCase {
    const char* name;
    std::vector<const char*> include;
    std::vector<const char*> exclude;
    bool caseSensitive;
    std::vector<std::string> listed;
};

class Filtering : public EntryPoints, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(Filtering, IncludeAndExcludePatternsSelectEntries) {
    UnzipNameList include{};
    UnzipNameList exclude{};
    std::copy(GetParam().include.begin(), GetParam().include.end(), include.Names);
    std::copy(GetParam().exclude.begin(), GetParam().exclude.end(), exclude.Names);
    options.ExtractList = 1;
    options.CaseSensitive = GetParam().caseSensitive;
    EXPECT_EQ(Wiz_SingleEntryUnzip(static_cast<int32_t>(GetParam().include.size()), &include,
                                   static_cast<int32_t>(GetParam().exclude.size()), &exclude,
                                   &options, &callbacks),
              UZ_OK);
    EXPECT_EQ(listedNames, GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Filtering,
    ::testing::Values(FilterCase{"AllWithoutPatterns",
                                 {},
                                 {},
                                 true,
                                 {"top.txt", "sub/", "sub/inner.txt", "sub/deeper/run.sh"}},
                      FilterCase{"StarStopsAtSlash", {"*.txt"}, {}, true, {"top.txt"}},
                      FilterCase{"CaseSensitiveMissesOtherCase", {"SUB/*.TXT"}, {}, true, {}},
                      FilterCase{
                          "CaseInsensitiveMatches", {"SUB/*.TXT"}, {}, false, {"sub/inner.txt"}},
                      FilterCase{"ExcludeWins", {"sub/*"}, {"sub/inner.txt"}, true, {"sub/"}}),
    CaseName());

TEST_F(EntryPoints, ServiceCallbackStopsTheUnpack) {
    callbacks.Service = &StopAtOnce;
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &options, &callbacks), UZ_CANCELLED);
    EXPECT_TRUE(TreeBelow(scratch.dest()).empty());
}

TEST_F(EntryPoints, MissingRecordsAreArgumentErrors) {
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, nullptr, &callbacks), UZ_ARGUMENT);
    EXPECT_EQ(Wiz_SingleEntryUnzip(1, nullptr, 0, nullptr, &options, &callbacks), UZ_ARGUMENT);
    options.ZipFileName = nullptr;
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &options, nullptr), UZ_ARGUMENT);
}

TEST_F(EntryPoints, WorksWithoutAnyCallback) {
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &options, nullptr), UZ_OK);
    EXPECT_EQ(ReadAll(scratch.dest() / "sub" / "inner.txt"), "inner\n");
}

TEST(VersionRecord, IsFilledOnlyWhenLongEnough) {
    UnzipVersionInfo version{};
    static_assert(sizeof(UnzipVersionInfo) == 64);
    version.StructLength = 64;
    UzpVersion2(&version);
    EXPECT_EQ(std::string(version.Release, 10), std::string("1.0      \0", 10));
    EXPECT_EQ(version.BuildDate[19], '\0');
    EXPECT_EQ(std::string(version.LibArchive, 2), "3.");

    UnzipVersionInfo shortRecord{};
    shortRecord.StructLength = 40;
    UzpVersion2(&shortRecord);
    EXPECT_EQ(shortRecord.Release[0], '\0');
}

} // namespace
} // namespace quillset::test
