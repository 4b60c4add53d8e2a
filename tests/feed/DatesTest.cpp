#include "feed/text/Dates.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <ostream>
#include <string>

namespace feed {
namespace {

using test::CaseName;
using test::ScopedClock;
using test::ScopedTimeZone;
using test::kUtc;
using test::kPlusTwo;
using test::kHelsinki;
using test::kBerlin;
using test::kNewYork;
using test::kIndia;


struct FormatCase {
    const char* name;
    const char* zone;
    DateTime local;
    const char* expected;
};

const FormatCase kFormatCases[] = {
    {"UtcWithPlusForZero", kUtc, {2026, 12, 9, 16, 9, 9}, "Wed, 9 Dec 2026 16:09:09 +0000"},
    {"WinterOffset", kBerlin, {2026, 1, 15, 8, 5, 3}, "Thu, 15 Jan 2026 08:05:03 +0100"},
    {"SummerOffset", kBerlin, {2026, 7, 1, 12, 0, 0}, "Wed, 1 Jul 2026 12:00:00 +0200"},
    {"WestOfUtc", kNewYork, {2004, 6, 1, 10, 0, 0}, "Tue, 1 Jun 2004 10:00:00 -0400"},
    {"HalfHourOffsetOnLeapDay", kIndia, {2020, 2, 29, 23, 59, 59}, "Sat, 29 Feb 2020 23:59:59 +0530"},
    {"DayNameFarFromToday", kUtc, {1900, 1, 1, 0, 0, 0}, "Mon, 1 Jan 1900 00:00:00 +0000"},
    {"FieldsOutOfRangeCarryOver", kUtc, {2004, 12, 31, 23, 59, 60}, "Sat, 1 Jan 2005 00:00:00 +0000"},
};

// A failing case prints its name rather than its bytes.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class DatesFormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(DatesFormatTest, WritesDayNameAndOffsetOfThatDate) {
    const FormatCase& c = GetParam();
    ScopedTimeZone zone(c.zone);
    EXPECT_EQ(FormatRfc822Date(c.local), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Dates, DatesFormatTest, testing::ValuesIn(kFormatCases),
                         CaseName<FormatCase>);


struct ReadCase {
    const char* name;
    const char* text;
    std::optional<DateTime> clock;  // nothing: the text is no date
    std::optional<int> zoneMinutes;
};

const ReadCase kReadCases[] = {
    {"Rfc822WithGmt", "Tue 01 Jun 2004 10:00:00 GMT", DateTime{2004, 6, 1, 10, 0, 0}, 0},
    {"FullDayNameMonthFirst", "tuesday Jun 01 2004 10:00", DateTime{2004, 6, 1, 10, 0, 0}, {}},
    {"HyphensAndShortYear", "01-Jun-04", DateTime{2004, 6, 1, 0, 0, 0}, {}},
    {"ShortYear79IsThisCentury", "1 JAN 79", DateTime{2079, 1, 1, 0, 0, 0}, {}},
    {"ShortYear80IsLastCentury", "1 jan 80 23:59:59", DateTime{1980, 1, 1, 23, 59, 59}, {}},
    {"FullMonthNameOneDigitTime", "5 September 2021 7:08", DateTime{2021, 9, 5, 7, 8, 0}, {}},
    {"RunsOfBlanks", "  Tue   01  Jun   2004   10:00:00   UT ", DateTime{2004, 6, 1, 10, 0, 0}, 0},
    {"PositiveOffset", "01 Jun 2004 10:00:00 +0530", DateTime{2004, 6, 1, 10, 0, 0}, 330},
    {"NegativeOffsetWithColon", "01 Jun 2004 10:00 -05:00", DateTime{2004, 6, 1, 10, 0, 0}, -300},
    {"OffsetAfterGmt", "01 Jun 2004 10:00:00 GMT+0200", DateTime{2004, 6, 1, 10, 0, 0}, 120},
    {"Zulu", "01 Jun 2004 10:00:00 Z", DateTime{2004, 6, 1, 10, 0, 0}, 0},
    {"UsSummerZone", "01 Jun 2004 10:00:00 PDT", DateTime{2004, 6, 1, 10, 0, 0}, -7 * 60},
    {"UsWinterZone", "01 Jan 2004 10:00:00 cst", DateTime{2004, 1, 1, 10, 0, 0}, -6 * 60},
    {"ZoneWithoutTime", "01 Jun 2004 EST", DateTime{2004, 6, 1, 0, 0, 0}, -5 * 60},
    {"UnknownZoneIgnored", "01 Jun 2004 10:00:00 CEST", DateTime{2004, 6, 1, 10, 0, 0}, {}},
    {"TrailingWordsIgnored", "01 Jun 2004 10:00:00 GMT (UTC)", DateTime{2004, 6, 1, 10, 0, 0}, 0},
    {"LeapDay", "29 Feb 2004", DateTime{2004, 2, 29, 0, 0, 0}, {}},
    {"NoLeapDay", "29 Feb 2003", {}, {}},
    {"DayPastMonthEnd", "31 Apr 2004", {}, {}},
    {"DayZero", "0 Jun 2004", {}, {}},
    {"Hour24", "01 Jun 2004 24:00", {}, {}},
    {"Minute60", "01 Jun 2004 10:60", {}, {}},
    {"GarbledTime", "01 Jun 2004 10:00:00123", {}, {}},
    {"NumberThatIsNoTime", "01 Jun 2004 10", {}, {}},
    {"ThreeDigitYear", "01 Jun 204", {}, {}},
    {"NoYear", "Tue 01 Jun", {}, {}},
    {"UnknownMonth", "01 Foo 2004", {}, {}},
    {"CommaLeftInPlace", "Tue, 01 Jun 2004", {}, {}},
    {"IsoDate", "2004-06-01", {}, {}},
    {"Empty", "", {}, {}},
};

// A failing case prints its name rather than its bytes.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class DatesReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(DatesReadTest, ReadsClockAndZone) {
    const ReadCase& c = GetParam();
    const std::optional<InternetDate> date = ReadInternetDate(c.text);
    ASSERT_EQ(date.has_value(), c.clock.has_value());
    if (!date)
        return;
    EXPECT_EQ(date->Clock, *c.clock);
    EXPECT_EQ(date->ZoneMinutes, c.zoneMinutes);
}

INSTANTIATE_TEST_SUITE_P(Dates, DatesReadTest, testing::ValuesIn(kReadCases), CaseName<ReadCase>);


struct NormalizeCase {
    const char* name;
    const char* zone;
    std::string text;
    std::string expected;
};

const NormalizeCase kNormalizeCases[] = {
    // A zone keeps the instant; no zone keeps the clock time.
    {"GmtKeepsInstant", kPlusTwo, "Tue, 01 Jun 2004 10:00:00 GMT", "Tue, 1 Jun 2004 12:00:00 +0200"},
    {"NoZoneKeepsClock", kPlusTwo, "Tue, 01 Jun 2004 10:00:00", "Tue, 1 Jun 2004 10:00:00 +0200"},
    {"OffsetCrossesMonth", kUtc, "Mon, 31 May 2004 23:30:00 -0100", "Tue, 1 Jun 2004 00:30:00 +0000"},
    {"UsZoneName", kUtc, "Tue, 01 Jun 2004 10:00:00 EDT", "Tue, 1 Jun 2004 14:00:00 +0000"},
    {"WrongDayNameReplaced", kUtc, "Mon, 01 Jun 2004", "Tue, 1 Jun 2004 00:00:00 +0000"},
    {"BlanksAroundShortDate", kUtc, "  01-Jun-04 ", "Tue, 1 Jun 2004 00:00:00 +0000"},
    // The offset is the one in force at the date, whatever today's is.
    {"SummerDateSummerOffset", kHelsinki, "Thu, 01 Jul 2004 10:00:00 GMT", "Thu, 1 Jul 2004 13:00:00 +0300"},
    {"WinterDateWinterOffset", kHelsinki, "Thu, 01 Jan 2004 10:00:00 GMT", "Thu, 1 Jan 2004 12:00:00 +0200"},
    {"SummerClockKept", kHelsinki, "01 Jul 2004 10:00:00", "Thu, 1 Jul 2004 10:00:00 +0300"},
    {"RepeatedHourEarlier", kBerlin, "25 Oct 2026 00:30:00 GMT", "Sun, 25 Oct 2026 02:30:00 +0200"},
    {"RepeatedHourLater", kBerlin, "25 Oct 2026 01:30:00 GMT", "Sun, 25 Oct 2026 02:30:00 +0100"},
    // ISO forms.
    {"IsoDateOnly", kPlusTwo, "2004-06-01", "Tue, 1 Jun 2004 00:00:00 +0200"},
    {"IsoBlankTime", kPlusTwo, "2004-06-01 10:00", "Tue, 1 Jun 2004 10:00:00 +0200"},
    {"IsoZulu", kPlusTwo, "2004-06-01T10:00:00.250Z", "Tue, 1 Jun 2004 12:00:00 +0200"},
    {"IsoOffset", kPlusTwo, "2004-06-01T10:00:00+02:00", "Tue, 1 Jun 2004 10:00:00 +0200"},
    {"IsoCompactOffset", kPlusTwo, "2004-06-01T10:00:00-0130", "Tue, 1 Jun 2004 13:30:00 +0200"},
    {"IsoBefore1900", kUtc, "1899-12-30", "1899-12-30"},
    {"IsoInvalidHour", kUtc, "2004-06-01T25:00", "2004-06-01T25:00"},
    // Words in front of the date, and digits stuck to the seconds.
    {"LeadingWords", kUtc, "Published: 01 Jun 2004 10:00 GMT", "Tue, 1 Jun 2004 10:00:00 +0000"},
    {"DigitsAfterSeconds", kUtc, "01 Jun 2004 10:00:00123", "Tue, 1 Jun 2004 10:00:00 +0000"},
    // Texts that are no date come back trimmed.
    {"Word", kUtc, "soon", "soon"},
    {"Empty", kUtc, "", ""},
    {"OnlyBlanks", kUtc, " \t\r\n ", ""},
    {"ControlCharactersTrimmed", kUtc, std::string("\x01 later\r\n"), "later"},
    {"UpperHalfBytesKept", kUtc, "\xC3\xA9t\xC3\xA9 ", "\xC3\xA9t\xC3\xA9"},
    {"DayOutOfRange", kUtc, "Mon, 32 Jan 2004", "Mon, 32 Jan 2004"},
    {"ClockWithoutDate", kUtc, "12:30:45", "12:30:45"},
    {"ThreeCharacters", kUtc, "n/a", "n/a"},
};

// A failing case prints its name rather than its bytes.
void PrintTo(const NormalizeCase& c, std::ostream* os) { *os << c.name; }

class DatesNormalizeTest : public testing::TestWithParam<NormalizeCase> {};

TEST_P(DatesNormalizeTest, GivesDateTextOrTrimmedInput) {
    const NormalizeCase& c = GetParam();
    ScopedTimeZone zone(c.zone);
    const std::string once = NormalizeRfc822Date(c.text);
    EXPECT_EQ(once, c.expected);
    // A normalised text is its own normal form.
    EXPECT_EQ(NormalizeRfc822Date(once), once);
}

INSTANTIATE_TEST_SUITE_P(Dates, DatesNormalizeTest, testing::ValuesIn(kNormalizeCases),
                         CaseName<NormalizeCase>);


const DateTime kFixedNow{2026, 12, 9, 16, 9, 9};
constexpr const char* kFixedNowText = "Wed, 9 Dec 2026 16:09:09 +0000";

struct AtomCase {
    const char* name;
    const char* zone;
    const char* text;
    const char* expected;
};

const AtomCase kAtomCases[] = {
    {"Zulu", kPlusTwo, "2004-06-01T10:00:00Z", "Tue, 1 Jun 2004 12:00:00 +0200"},
    {"OffsetHonoured", kPlusTwo, "2004-06-01T10:00:00+02:00", "Tue, 1 Jun 2004 10:00:00 +0200"},
    {"CompactNegativeOffset", kPlusTwo, "2004-06-01T10:00:00-0500", "Tue, 1 Jun 2004 17:00:00 +0200"},
    {"FractionBeforeOffset", kPlusTwo, "2004-06-01T10:00:00.123-01:00", "Tue, 1 Jun 2004 13:00:00 +0200"},
    {"NoZoneIsUtc", kPlusTwo, "2004-06-01T10:00:00", "Tue, 1 Jun 2004 12:00:00 +0200"},
    {"NoSeconds", kPlusTwo, "2004-06-01T10:30Z", "Tue, 1 Jun 2004 12:30:00 +0200"},
    {"NoSecondsNoZone", kPlusTwo, "2004-06-01T10:30", "Tue, 1 Jun 2004 12:30:00 +0200"},
    {"DateOnlyIsMidnightUtc", kPlusTwo, "2004-06-01", "Tue, 1 Jun 2004 02:00:00 +0200"},
    {"SecondsNotANumber", kPlusTwo, "2004-06-01T10:00:xxZ", "Tue, 1 Jun 2004 12:00:00 +0200"},
    {"CrossesNewYear", kNewYork, "2005-01-01T02:00:00Z", "Fri, 31 Dec 2004 21:00:00 -0500"},
    {"SummerOffsetOfThatDate", kHelsinki, "2004-07-01T10:00:00Z", "Thu, 1 Jul 2004 13:00:00 +0300"},
    {"WinterOffsetOfThatDate", kHelsinki, "2004-01-01T10:00:00Z", "Thu, 1 Jan 2004 12:00:00 +0200"},
    // No date: the current local time.
    {"Empty", kUtc, "", kFixedNowText},
    {"Words", kUtc, "yesterday afternoon", kFixedNowText},
    {"MonthOutOfRange", kUtc, "2004-13-01T10:00:00Z", kFixedNowText},
    {"NoSuchDay", kUtc, "2003-02-29", kFixedNowText},
    {"HourOutOfRange", kUtc, "2004-06-01T25:00:00Z", kFixedNowText},
    {"HourNotANumber", kUtc, "2004-06-01Txx:00:00Z", kFixedNowText},
    {"ShortFields", kUtc, "2004-6-1", kFixedNowText},
};

// A failing case prints its name rather than its bytes.
void PrintTo(const AtomCase& c, std::ostream* os) { *os << c.name; }

class DatesAtomTest : public testing::TestWithParam<AtomCase> {};

TEST_P(DatesAtomTest, ConvertsInstantToLocalText) {
    const AtomCase& c = GetParam();
    ScopedTimeZone zone(c.zone);
    ScopedClock clock(kFixedNow);
    EXPECT_EQ(AtomDateToRfc822(c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Dates, DatesAtomTest, testing::ValuesIn(kAtomCases), CaseName<AtomCase>);


TEST(DatesLocalTest, InstantAndOffsetFollowTheZoneRules) {
    struct Case {
        const char* name;
        const char* zone;
        std::time_t instant;
        DateTime local;
        long offset;
    };
    const Case cases[] = {
        {"Epoch", kUtc, 0, {1970, 1, 1, 0, 0, 0}, 0},
        {"Summer", kHelsinki, 1088676000, {2004, 7, 1, 13, 0, 0}, 3 * 3600},   // 2004-07-01 10:00 UTC
        {"Winter", kHelsinki, 1072951200, {2004, 1, 1, 12, 0, 0}, 2 * 3600},   // 2004-01-01 10:00 UTC
        {"West", kNewYork, 1072951200, {2004, 1, 1, 5, 0, 0}, -5 * 3600},
        {"BeforeEpoch", kIndia, -86400, {1969, 12, 31, 5, 30, 0}, 5 * 3600 + 30 * 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(LocalFromInstant(c.instant), c.local);
        EXPECT_EQ(LocalOffsetAt(c.local), c.offset);
    }
}

TEST(DatesClockTest, FixedClockAnswersUntilRestored) {
    const DateTime fixed{1999, 12, 31, 23, 59, 59};
    {
        ScopedClock clock(fixed);
        EXPECT_EQ(Now(), fixed);
        EXPECT_EQ(Now(), fixed);
    }
    // The real clock again: it is past the fixed moment.
    EXPECT_GT(Now().Year, 2000);
}

}  // namespace
}  // namespace feed
