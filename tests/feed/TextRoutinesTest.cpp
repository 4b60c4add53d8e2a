// Escaping layers, numeric references, name lookup and the reading of bytes.

#include "feed/text/TextRoutines.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "feed/text/Encoding.h"

namespace feed {
namespace {

using test::CaseName;

struct TextCase {
    std::string name;
    std::string input;
    std::string expected;
};

class EncodeNumericRefsTest : public testing::TestWithParam<TextCase> {};

TEST_P(EncodeNumericRefsTest, Encodes) {
    EXPECT_EQ(EncodeNumericRefs(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, EncodeNumericRefsTest,
    testing::ValuesIn(std::vector<TextCase>{
        {"LatinSmallEAcute", "Caf\xC3\xA9", "Caf&#233;"},
        {"TabBecomesReference", "a\tb", "a&#9;b"},
        {"CrLfStays", "a\r\nb", "a\r\nb"},
        {"OtherLowControlsStay", "\x0E\x1F", "\x0E\x1F"},
        {"NulVerticalTabFormFeedDel", std::string("\0\x0B\x0C\x7F", 4), "&#0;&#11;&#12;&#127;"},
        {"EuroUsesCodePageByte", "\xE2\x82\xAC", "&#128;"},
        {"CurlyQuotesUseCodePageBytes", "\xE2\x80\x9C" "x" "\xE2\x80\x9D", "&#147;x&#148;"},
        {"CharacterOutsideCodePageUsesCodePoint", "\xE6\xBC\xA2", "&#28450;"},
        {"EmojiUsesCodePoint", "\xF0\x9F\x98\x80", "&#128512;"},
        {"MarkupUntouched", "<a href='x'>&amp;</a>", "<a href='x'>&amp;</a>"},
    }),
    CaseName<TextCase>);

// ---- Numeric references -------------------------------------------------------

// The decoder written as the plain loop of whole-text replacements, independent
// of the library's own slow path.
std::optional<std::string> ReferenceDecode(std::string text) {
    size_t amp = text.find("&#");
    while (amp != std::string::npos) {
        const size_t semi = text.find(';', amp + 1);
        if (semi == std::string::npos) break;
        const size_t distance = semi - amp;
        if (distance >= 4) {
            std::string ref = text.substr(amp, distance + 1);
            for (char& c : ref) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const bool hex = ref[2] == 'x';
            const std::string digits = ref.substr(hex ? 3 : 2, ref.size() - (hex ? 4 : 3));
            bool number = !digits.empty();
            unsigned long long value = 0;
            for (char c : digits) {
                const bool ok = hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c));
                if (!ok) number = false;
                else if (value < 0x200000) value = value * (hex ? 16 : 10) + static_cast<unsigned long long>(std::stoi(std::string(1, c), nullptr, 16));
            }
            const bool shortRef = distance <= 7;
            std::optional<char32_t> ch;
            if (number && (shortRef || value > 255)) {
                if (value < 128) ch = static_cast<char32_t>(value);
                else if (value < 160) {
                    const char32_t c = Cp1252ToUnicode(static_cast<unsigned char>(value));
                    if (c >= 0xA0) ch = c;
                } else if (value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF)) {
                    ch = static_cast<char32_t>(value);
                }
            }
            if (ch) {
                std::string with;
                AppendUtf8(with, *ch);
                std::string out;
                for (size_t i = 0; i < text.size();) {
                    std::string piece = text.substr(i, ref.size());
                    for (char& c : piece) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                    if (piece == ref) {
                        out += with;
                        i += ref.size();
                    } else {
                        out.push_back(text[i++]);
                    }
                }
                text = out;
            }
        }
        amp = text.find("&#", amp + 1);
    }
    return text;
}

std::optional<std::string> LibraryDecode(const std::string& text) {
    try {
        return DecodeNumericRefs(text);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

class DecodeNumericRefsTest : public testing::TestWithParam<TextCase> {};

TEST_P(DecodeNumericRefsTest, Decodes) {
    EXPECT_EQ(DecodeNumericRefs(GetParam().input), GetParam().expected);
    EXPECT_EQ(ReferenceDecode(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, DecodeNumericRefsTest,
    testing::ValuesIn(std::vector<TextCase>{
        {"Decimal", "&#65;", "A"},
        {"Hex", "&#x41;", "A"},
        {"HexUpperCase", "&#X41;", "A"},
        {"FourCharactersStayText", "&#9;", "&#9;"},
        {"TooLongAndNoCharacterStaysText", "&#12345678;", "&#12345678;"},
        {"LongButSmallStaysText", "&#0000065;", "&#0000065;"},
        {"EuroFromCodePageByte", "&#128;", "\xE2\x82\xAC"},
        {"UnassignedCodePageByteStaysText", "&#129;", "&#129;"},
        {"LatinOne", "Caf&#233;", "Caf\xC3\xA9"},
        {"EmojiOfOurOwnWriterRoundTrips", "&#128512;", "\xF0\x9F\x98\x80"},
        {"HexEmoji", "&#x1F600;", "\xF0\x9F\x98\x80"},
        {"SurrogateStaysText", "&#55357;", "&#55357;"},
        {"AmpersandAloneIsText", "a & b; c", "a & b; c"},
        {"EveryOccurrenceReplaced", "&#233;x&#233;", "\xC3\xA9x\xC3\xA9"},
        {"DecodedAmpersandDoesNotStartANewReference", "&#38;#65;", "&#65;"},
        {"LaterReplaceAllReachesCreatedReference", "&#38;#65; &#65;", "A A"},
        {"NoReference", "plain text", "plain text"},
    }),
    CaseName<TextCase>);

TEST(DecodeNumericRefsTextTest, DigitsThatAreNoNumberStayText) {
    for (const char* text : {"&#abc;", "&#x4G;", "&#-65;", "x &#1a2; y", "&#a;", "&#abcdefgh;", "&#bull;"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(DecodeNumericRefs(text), text);
    }
    // What our writer makes of "&#" before a character it spells as a reference.
    EXPECT_EQ(DecodeNumericRefs("&#&#233;"), "&#\xC3\xA9");
    EXPECT_EQ(DecodeNumericRefs("&#128;&#1&#128;;"), "\xE2\x82\xAC&#1\xE2\x82\xAC;");
}

TEST(DecodeNumericRefsDifferentialTest, FastDecoderMatchesReplacePasses) {
    static const std::vector<std::string> kTokens = {
        "&#", "&", "#", ";", "x", "X", "0", "3", "5", "6", "8", "9", "A", "f", "g", "&#38;", "&#35;", "&#59;",
        "&#53;", "&#120;", "&#65;", "&#x41;", "&#233;", "&#128;", "&#128512;", " ", "é", "&#38;#", "&#x26;"};
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const size_t n = rng() % 24;
        for (size_t k = 0; k < n; ++k) text += kTokens[rng() % kTokens.size()];
        ASSERT_EQ(LibraryDecode(text), ReferenceDecode(text)) << "input #" << i << ": " << text;
        ASSERT_EQ(LibraryDecode(text), [&]() -> std::optional<std::string> {
            try {
                return DecodeNumericRefsByPasses(text);
            } catch (const ConversionError&) {
                return std::nullopt;
            }
        }()) << "slow path, input #" << i << ": " << text;
    }
}

// ---- Markup escaper and lookup ---------------------------------------------------

class EscapeMarkupTest : public testing::TestWithParam<TextCase> {};

TEST_P(EscapeMarkupTest, Escapes) {
    EXPECT_EQ(EscapeMarkup(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, EscapeMarkupTest,
    testing::ValuesIn(std::vector<TextCase>{
        {"AmpersandsOutsideEntities", "a & b &amp; c & d", "a &amp; b &amp; c &amp; d"},
        {"AngleBracketsAndApostrophe", "<a href='x'>", "&lt;a href=&apos;x&apos;&gt;"},
        {"DoubleQuotesUntouched", "\"q\"", "\"q\""},
        {"SemicolonLastInReach", "&abcdef;", "&abcdef;"},
        {"SemicolonOneTooFar", "&abcdefg;", "&amp;abcdefg;"},
        {"ExpandedBracketBringsSemicolonInReach", "& <", "& &lt;"},
        {"WindowCountsCharactersNotBytes", "&ééééé;", "&ééééé;"},
    }),
    CaseName<TextCase>);

TEST(IndexOfTextTest, FindsWithoutRegardToCase) {
    const std::vector<std::string> list = {"title", "webMaster", "WEBMASTER"};
    EXPECT_EQ(IndexOfText("WEBMASTER", list), 1);
    EXPECT_EQ(IndexOfText("webmaster", list), 1);
    EXPECT_EQ(IndexOfText("web", list), -1);
    EXPECT_EQ(IndexOfText("", {}), -1);
}

TEST(BooleanTextTest, ReadsNumbersAndWordsElseTheFallback) {
    struct Case {
        const char* text;
        bool fallback;
        bool expected;
    };
    for (const Case& c : std::vector<Case>{{"True", false, true},   {"FALSE", true, false}, {"0", true, false},
                                           {"-1", false, true},     {"00", true, false},    {"7", false, true},
                                           {"", true, true},        {"", false, false},     {"yes", false, false},
                                           {" true", false, false}, {"+", true, true},      {"1.0", false, false}}) {
        SCOPED_TRACE(std::string("'") + c.text + "' fallback " + (c.fallback ? "true" : "false"));
        EXPECT_EQ(BooleanText(c.text, c.fallback), c.expected);
    }
}

TEST(FileVersionTextTest, KnowsTheFileVersion) {
    EXPECT_EQ(FileVersionText("FileVersion"), "1.0.2.0");
    EXPECT_EQ(FileVersionText("NoSuchString"), "");
}

// ---- Reading bytes ------------------------------------------------------------------

class DecodeTextBytesTest : public testing::TestWithParam<TextCase> {};

TEST_P(DecodeTextBytesTest, DecodesToUtf8) {
    EXPECT_EQ(DecodeTextBytes(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, DecodeTextBytesTest,
    testing::ValuesIn(std::vector<TextCase>{
        {"Utf8WithoutDeclaration", "<a>Caf\xC3\xA9</a>", "<a>Caf\xC3\xA9</a>"},
        {"Utf8ByteOrderMarkDropped", "\xEF\xBB\xBF<a>\xC3\xA9</a>", "<a>\xC3\xA9</a>"},
        {"DeclaredWindows1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>Caf\xE9 \x80</a>",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>Caf\xC3\xA9 \xE2\x82\xAC</a>"},
        {"DeclaredLatin1ReadAsCodePage", "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9</a>",
         "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xC3\xA9</a>"},
        {"DeclarationWinsOverValidUtf8Look", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\xC3\xA9",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\xC3\x83\xC2\xA9"},
        {"UndeclaredInvalidUtf8IsCodePage", "<a>Caf\xE9</a>", "<a>Caf\xC3\xA9</a>"},
        {"DeclaredUtf8WithStrayByte", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\xE9\xC3\xA9",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\xC3\xA9\xC3\xA9"},
        {"Utf16LittleEndianWithMark", std::string("\xFF\xFE<\0\xE9\0", 6), "<\xC3\xA9"},
        {"Utf16BigEndianSurrogatePair", std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6), "\xF0\x9F\x98\x80"},
    }),
    CaseName<TextCase>);

}  // namespace
}  // namespace feed

namespace feed {
namespace {

// A text that makes every reference need a whole-text pass of its own still
// decodes in about linear time, and the result is what the references say.
TEST(DecodeNumericRefsDifferentialTest, ManyDistinctReferencesAfterAnAmpersandStayTractable) {
    std::string text = "&#38;";
    std::string expected = "&";
    for (int i = 0; i < 50000; ++i) {  // stays below the surrogates
        text += "&#" + std::to_string(1000 + i) + ";";
        AppendUtf8(expected, static_cast<char32_t>(1000 + i));
    }
    EXPECT_EQ(DecodeNumericRefs(text), expected);
}

}  // namespace
}  // namespace feed
