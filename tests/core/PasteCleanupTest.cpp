// Paste clean-up: named cases for each kind of break in each mode, and a
// comparison with the same rules written as a chain of whole-text replacements.

#include "core/PasteCleanup.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace core {
namespace {

struct PasteCase {
    std::string name;
    std::string pasted;
    std::string singleLine;
    std::string description;  // multi-line with "<br>" breaks
    std::string multiLine;
};

// clang-format off
const std::vector<PasteCase> kCases = {
    {"Empty", "", "", "", ""},
    {"PlainText", "just text", "just text", "just text", "just text"},
    {"UpperBreakWithCrLfAndClosingParagraph", "a<BR>\r\nb</p>c",
     "a b  c", "a<br>\r\nb<br>\r\n<br>\r\nc", "a\r\nb\r\n\r\nc"},
    {"BreakFollowedByLetterStays", "a<br>b", "a<br>b", "a<br>b", "a<br>b"},
    {"BreakAtEndOfTextStays", "a<br>", "a<br>", "a<br>", "a<br>"},
    {"BreakWithLoneCr", "a<br>\rb", "a b", "a<br>\r\nb", "a\r\nb"},
    {"BreakWithLoneLf", "a<br>\nb", "a b", "a<br>\r\nb", "a\r\nb"},
    {"MixedCaseBreakWithLf", "a<Br>\nb", "a b", "a<br>\r\nb", "a\r\nb"},
    {"BreakWithLfThenCr", "a<br>\n\rb", "a  b", "a<br>\r\n<br>\r\nb", "a\r\n\r\nb"},
    {"BreakWithBlankBeforeLineEndStays", "a<br> \r\nb", "a<br>  b",
     "a<br> <br>\r\nb", "a<br> \r\nb"},
    {"SelfClosingBreak", "a<br/>b", "a b", "a<br>\r\nb", "a\r\nb"},
    {"SelfClosingBreakWithBlankUpper", "a<BR />b", "a b", "a<br>\r\nb", "a\r\nb"},
    {"SelfClosingBreakKeepsItsLineEnd", "a<br/>\r\nb", "a  b",
     "a<br>\r\n<br>\r\nb", "a\r\n\r\nb"},
    {"OpeningParagraph", "<p>a", " a", "<br>\r\na", "\r\na"},
    {"UpperParagraphs", "<P>a</P>", " a  ", "<br>\r\na<br>\r\n<br>\r\n", "\r\na\r\n\r\n"},
    {"ParagraphWithAttributesStays", "<p class=x>a", "<p class=x>a", "<p class=x>a",
     "<p class=x>a"},
    {"LoneCr", "a\rb", "a b", "a<br>\r\nb", "a\r\nb"},
    {"LoneLf", "a\nb", "a b", "a<br>\r\nb", "a\r\nb"},
    {"CrLfIsOneBreak", "a\r\nb", "a b", "a<br>\r\nb", "a\r\nb"},
    {"LfCrIsTwoBreaks", "a\n\rb", "a  b", "a<br>\r\n<br>\r\nb", "a\r\n\r\nb"},
    {"CrCrLf", "a\r\r\nb", "a  b", "a<br>\r\n<br>\r\nb", "a\r\n\r\nb"},
    {"TrailingLineEnd", "line\r\n", "line ", "line<br>\r\n", "line\r\n"},
    {"UnfinishedTagsStay", "a<br a<p b</p", "a<br a<p b</p", "a<br a<p b</p",
     "a<br a<p b</p"},
    {"OtherTagsStay", "<b>bold</b><br >", "<b>bold</b><br >", "<b>bold</b><br >",
     "<b>bold</b><br >"},
    {"ControlCharacterStays", "a\x01" "b", "a\x01" "b", "a\x01" "b", "a\x01" "b"},
    {"NonAsciiKept", "caf\xc3\xa9<br/>\xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac",
     "caf\xc3\xa9<br>\r\n\xe2\x82\xac", "caf\xc3\xa9\r\n\xe2\x82\xac"},
};
// clang-format on

class PasteCleanupTest : public testing::TestWithParam<PasteCase> {};

TEST_P(PasteCleanupTest, SingleLine) {
    EXPECT_EQ(CleanPasteText(GetParam().pasted, PasteMode::SingleLine), GetParam().singleLine);
}

TEST_P(PasteCleanupTest, MultiLineHtmlBreaks) {
    EXPECT_EQ(CleanPasteText(GetParam().pasted, PasteMode::MultiLineHtmlBreaks),
              GetParam().description);
}

TEST_P(PasteCleanupTest, MultiLine) {
    EXPECT_EQ(CleanPasteText(GetParam().pasted, PasteMode::MultiLine), GetParam().multiLine);
}

INSTANTIATE_TEST_SUITE_P(Paste, PasteCleanupTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// ---- The same rules as a chain of whole-text replacements -----------------

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Replaces every `from` (matched ignoring case) by `to`, left to right.
std::string ReplaceAllNoCase(const std::string& text, const std::string& from,
                             const std::string& to) {
    const std::string lower = Lower(text);
    std::string out;
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = lower.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out += to;
        pos = hit + from.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::string ChainedReplacements(std::string text, PasteMode mode) {
    const std::string m = "\x01";
    for (const char* tag : {"<br />", "<br/>", "<p>"}) text = ReplaceAllNoCase(text, tag, m);
    text = ReplaceAllNoCase(text, "</p>", m + m);
    for (const char* tag : {"<br>\r\n", "<br>\r", "<br>\n"}) text = ReplaceAllNoCase(text, tag, m);
    for (const char* end : {"\r\n", "\n", "\r"}) text = ReplaceAllNoCase(text, end, m);
    const char* lineBreak = mode == PasteMode::SingleLine            ? " "
                            : mode == PasteMode::MultiLineHtmlBreaks ? "<br>\r\n"
                                                                      : "\r\n";
    return ReplaceAllNoCase(text, m, lineBreak);
}

// Texts built from the pieces the rules look at, with no marker character in
// them, must come out of the one-pass clean-up as out of the chain.
TEST(PasteCleanupChainTest, AgreesWithChainedReplacementsOnGeneratedTexts) {
    const std::vector<std::string> pieces = {
        "<br>", "<BR>", "<br/>", "<Br />", "<p>", "</P>", "</p>", "\r", "\n", "\r\n",
        "<",    ">",    "/",     "br",     "p",   "a",    " ",    "<br", "<b"};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n) text += pieces[pick(random)];
        for (PasteMode mode :
             {PasteMode::SingleLine, PasteMode::MultiLineHtmlBreaks, PasteMode::MultiLine}) {
            ASSERT_EQ(CleanPasteText(text, mode), ChainedReplacements(text, mode))
                << "mode " << static_cast<int>(mode) << ", text \"" << text << "\"";
        }
    }
}

}  // namespace
}  // namespace core
