// Feeds arbitrary bytes through the whole life of a feed file: load, build,
// save in the readable layout and load the saved text again. A feed that
// loads must save to a text that loads too; anything else traps. The same
// bytes also go through the reference decoder (checked against the replace
// passes it promises to match) and the date normaliser.
//
//   build-fuzz/bin/fuzz_load -dict=fuzz/feed.dict -max_len=8192 CORPUS_DIR fuzz/corpus
//
// Every input that once failed is kept in tests/feed/data/fuzz and replayed
// by FuzzRegressionTest through the same steps.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "feed/FeedModel.h"
#include "feed/text/Dates.h"
#include "feed/text/TextRoutines.h"

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_load: %s\n%s\n", what.c_str(), detail.c_str());
    std::abort();
}

void CheckLoadSaveReload(std::string_view bytes) {
    feed::TFeed first;
    const feed::LoadStatus status = first.LoadFromFileBytes(std::string(bytes));
    if (status < feed::kLoaded || status > feed::kUnexpected) Fail("load status out of range", std::to_string(status));
    if (status != feed::kLoaded) return;

    first.BuildXml();
    const std::string saved = first.XmlDoc->WriteToString(feed::XmlLayout::Readable);

    feed::TFeed second;
    const feed::LoadStatus again = second.LoadFromFileBytes(saved);
    if (again != feed::kLoaded)
        Fail("the saved feed does not load again: status " + std::to_string(again) + ", " +
                 second.XmlDoc->ParseErrorMessage,
             saved);
}

// The decoded text, or nothing when the decoder raises.
template <typename Decode>
std::optional<std::string> Outcome(Decode decode, std::string_view text) {
    try {
        return decode(text);
    } catch (const feed::ConversionError&) {
        return std::nullopt;
    }
}

std::string Shown(const std::optional<std::string>& outcome) {
    return outcome ? *outcome : std::string("(ConversionError)");
}

void CheckTextRoutines(std::string_view bytes) {
    const auto fast = Outcome([](std::string_view t) { return feed::DecodeNumericRefs(t); }, bytes);
    const auto slow = Outcome([](std::string_view t) { return feed::DecodeNumericRefsByPasses(t); }, bytes);
    if (fast != slow)
        Fail("DecodeNumericRefs and DecodeNumericRefsByPasses differ", Shown(fast) + "\n---\n" + Shown(slow));
    (void)feed::NormalizeRfc822Date(bytes.substr(0, 64));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A fixed clock, so a run and its replays see the same build dates.
    feed::SetClock([] { return feed::DateTime{2024, 6, 15, 12, 0, 0}; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckLoadSaveReload(bytes);
    CheckTextRoutines(bytes);
    return 0;
}
