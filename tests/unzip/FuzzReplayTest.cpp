// The fuzz targets' checks, replayed on the seed corpus and on damaged copies of it (cut short,
// bytes changed; fixed seed), so every gcc test run covers what the fuzzers look for.
#include "fuzz/unzip/UnzipFuzzChecks.h"
#include "tests/support/Files.h"
#include "tests/support/MakeArchive.h"
#include "tests/support/RunTool.h"
#include "tests/support/Scratch.h"

#include <gtest/gtest.h>
#include <random>

namespace quillset::test {
namespace {

std::vector<std::pair<std::string, std::string>> SeedCorpus(const fs::path& folder) {
    const QString script = QStringLiteral(QUILLSET_SOURCE_DIR "/fuzz/unzip/make-seeds.sh");
    EXPECT_EQ(RunTool(QStringLiteral("bash"), {script, QString::fromStdString(folder.string())}),
              0);
    std::vector<std::pair<std::string, std::string>> seeds;
    for (const auto& item : fs::directory_iterator(folder))
        seeds.emplace_back(item.path().filename().string(), ReadAll(item.path()));
    std::sort(seeds.begin(), seeds.end());
    return seeds;
}

// The seed itself, eight cuts, and sixteen copies with a few bytes changed.
std::vector<std::string> DamagedCopies(const std::string& seed, std::mt19937& random) {
    std::vector<std::string> copies{seed};
    for (int part = 0; part < 8; ++part)
        copies.push_back(seed.substr(0, seed.size() * part / 8));
    for (int copy = 0; copy < 16 && !seed.empty(); ++copy) {
        std::string damaged = seed;
        for (int change = 0; change < 4; ++change)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        copies.push_back(damaged);
    }
    return copies;
}

TEST(FuzzReplay, SeedsAndDamagedSeedsNeverLandOutsideOrBreakTheListing) {
    Scratch scratch;
    const auto seeds = SeedCorpus(scratch.root() / "seeds");
    ASSERT_GE(seeds.size(), 20u);
    std::mt19937 random(20260);
    for (const auto& [name, seed] : seeds) {
        for (const std::string& input : DamagedCopies(seed, random)) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
            EXPECT_EQ(fuzz::ExtractStaysInside(bytes, input.size()), "") << name;
            EXPECT_EQ(fuzz::ListingLinesStayEightyColumns(bytes, input.size()), "") << name;
        }
    }
}

} // namespace
} // namespace quillset::test
