// Inputs the load fuzzer found, and a few of its starting feeds, replayed
// through the fuzz target's steps: load, build, save, load the saved text
// again. Every file of data/fuzz is one case; a new finding is a new file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "feed/FeedModel.h"
#include "feed/text/Dates.h"
#include "feed/text/TextRoutines.h"

namespace feed {
namespace {

using test::ScopedClock;

struct FuzzFile {
    std::string name;
    std::string path;
};

// Failure messages name the file rather than dump the object's bytes.
void PrintTo(const FuzzFile& file, std::ostream* os) {
    *os << file.path;
}

// The files of data/fuzz by name, each with a test name made of its letters and digits.
std::vector<FuzzFile> FuzzFiles() {
    std::vector<FuzzFile> files;
    const std::filesystem::path folder = std::filesystem::path(QUORVANE_TEST_DATA) / "fuzz";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file()) continue;
        std::string name;
        for (char c : entry.path().filename().string())
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        files.push_back({name, entry.path().string()});
    }
    std::sort(files.begin(), files.end(), [](const FuzzFile& a, const FuzzFile& b) { return a.name < b.name; });
    return files;
}

// The decoded text, or "!" and the error for a reference that is no number.
template <typename Decode>
std::string Outcome(Decode decode, std::string_view text) {
    try {
        return decode(text);
    } catch (const ConversionError& e) {
        return std::string("!") + e.what();
    }
}

class FuzzRegressionTest : public testing::TestWithParam<FuzzFile> {};

TEST(FuzzRegressionFolder, HoldsFiles) {
    EXPECT_FALSE(FuzzFiles().empty()) << QUORVANE_TEST_DATA "/fuzz is empty or missing";
}

TEST_P(FuzzRegressionTest, LoadsAndReloadsWhatItSaves) {
    const ScopedClock clock({2024, 6, 15, 12, 0, 0});
    const std::string bytes = test::ReadAll(GetParam().path);

    TFeed first;
    const LoadStatus status = first.LoadFromFileBytes(bytes);
    EXPECT_GE(status, kLoaded);
    EXPECT_LE(status, kUnexpected);
    if (status != kLoaded) return;

    first.BuildXml();
    const std::string saved = first.XmlDoc->WriteToString(XmlLayout::Readable);
    TFeed second;
    EXPECT_EQ(second.LoadFromFileBytes(saved), kLoaded)
        << "the saved feed does not load again: " << second.XmlDoc->ParseErrorMessage << "\n"
        << saved;
}

TEST_P(FuzzRegressionTest, DecodesReferencesAsTheReplacePassesDo) {
    const std::string bytes = test::ReadAll(GetParam().path);
    EXPECT_EQ(Outcome([](std::string_view t) { return DecodeNumericRefs(t); }, bytes),
              Outcome([](std::string_view t) { return DecodeNumericRefsByPasses(t); }, bytes));
    (void)NormalizeRfc822Date(std::string_view(bytes).substr(0, 64));
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FuzzRegressionTest, testing::ValuesIn(FuzzFiles()),
                         [](const testing::TestParamInfo<FuzzFile>& info) { return info.param.name; });

}  // namespace
}  // namespace feed
