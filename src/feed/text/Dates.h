#pragma once
// Date texts of the feed formats: RFC 822 dates as feeds carry them, the
// normaliser the tag repair and the editors use, and the Atom date conversion.
// Local time follows the C library's idea of the zone (TZ honoured); the
// current time comes from a replaceable clock so tests and `--now` can fix it.

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace feed {

// A calendar date and clock time without a zone (a local time unless said otherwise).
struct DateTime {
    int Year = 1899;
    int Month = 12;   // 1..12
    int Day = 30;     // 1..31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    bool operator==(const DateTime&) const = default;
};

// The clock seam: returns the current local date and time.
using ClockFn = std::function<DateTime()>;
// Replaces the clock; an empty function restores the real one.
void SetClock(ClockFn clock);
// The current local date and time from the clock in force.
DateTime Now();

// Local date and time of an instant (seconds since the epoch).
DateTime LocalFromInstant(std::time_t instant);
// Offset from UTC in seconds that is in force at the given local time.
long LocalOffsetAt(const DateTime& local);

// 'Wed, 9 Dec 2026 16:09:09 +0100': the day name and the offset are those in
// force at that local date and time.
std::string FormatRfc822Date(const DateTime& local);

// A date read from an internet (RFC 822 style) date text.
struct InternetDate {
    DateTime Clock;                      // the date and clock time as written
    std::optional<int> ZoneMinutes;      // the zone's offset east of UTC, when one is written
};

// Reads 'Tue 01 Jun 2004 10:00:00 GMT'-style texts (commas already turned into
// blanks by the caller if wanted); nothing when the text does not have that shape.
std::optional<InternetDate> ReadInternetDate(std::string_view text);

// Texts longer than this are never read as dates, so normalising stays cheap
// whatever a feed holds.
inline constexpr size_t kLongestDateText = 1024;

// The RFC 822 text of a date text: a date with a zone keeps its instant and is
// shown in local time; a date without a zone keeps its clock time. A text that
// is no date comes back trimmed of blanks and control characters; empty stays empty.
std::string NormalizeRfc822Date(std::string_view text);

// The RFC 822 local text of an Atom date ('2004-06-01T10:00:00Z'). Zone offsets
// written in the text are honoured; a text without one is taken as UTC. A text
// that is no date gives the current local time.
std::string AtomDateToRfc822(std::string_view text);

}  // namespace feed
