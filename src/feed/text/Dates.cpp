#include "feed/text/Dates.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace feed {
namespace {

constexpr const char* kDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kFullMonthNames[12] = {"january", "february", "march",     "april",
                                             "may",     "june",     "july",      "august",
                                             "september", "october", "november", "december"};

// Calendar arithmetic (proleptic Gregorian, any year).

constexpr long long FloorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Days from 1970-01-01 to the given date; the month must be 1..12, the day may
// run over or under its month and simply counts on.
constexpr long long DaysFromCivil(long long year, int month, long long day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = FloorDiv(year, 400);
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
    long long Year;
    int Month;
    int Day;
};

constexpr CivilDate CivilFromDays(long long days) {
    days += 719468;
    const long long era = FloorDiv(days, 146097);
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

constexpr bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int DaysInMonth(int year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValid(const DateTime& d) {
    return d.Month >= 1 && d.Month <= 12 && d.Day >= 1 && d.Day <= DaysInMonth(d.Year, d.Month) &&
           d.Hour >= 0 && d.Hour <= 23 && d.Minute >= 0 && d.Minute <= 59 && d.Second >= 0 &&
           d.Second <= 59;
}

// Seconds since 1970-01-01 00:00:00 of a date and time read as if it were UTC.
// Fields out of their range carry over, as mktime would do.
long long SerialSeconds(const DateTime& d) {
    const long long monthIndex = static_cast<long long>(d.Month) - 1;
    const long long year = d.Year + FloorDiv(monthIndex, 12);
    const int month = static_cast<int>(monthIndex - FloorDiv(monthIndex, 12) * 12) + 1;
    return DaysFromCivil(year, month, d.Day) * 86400 + static_cast<long long>(d.Hour) * 3600 +
           static_cast<long long>(d.Minute) * 60 + d.Second;
}

struct BrokenDown {
    DateTime Clock;
    int Weekday = 0;  // 0 = Sunday
};

BrokenDown BreakDown(long long serial) {
    const long long days = FloorDiv(serial, 86400);
    const long long secondOfDay = serial - days * 86400;
    const CivilDate date = CivilFromDays(days);
    BrokenDown result;
    result.Clock = {static_cast<int>(date.Year), date.Month, date.Day,
                    static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                    static_cast<int>(secondOfDay % 60)};
    result.Weekday = static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);  // 1970-01-01 was a Thursday
    return result;
}

// Local time through the C library.

// The current offset, for the rare local time the C library cannot place.
long CurrentOffset() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    return localtime_r(&now, &parts) ? parts.tm_gmtoff : 0;
}

// Writes the text with an offset already known, so an instant in the repeated
// hour of an autumn change keeps the offset it really had.
std::string FormatWithOffset(const DateTime& local, long offsetSeconds) {
    const BrokenDown parts = BreakDown(SerialSeconds(local));
    const DateTime& d = parts.Clock;
    const long magnitude = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
    char text[128];
    const int length = std::snprintf(
        text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDayNames[parts.Weekday],
        d.Day, kMonthNames[d.Month - 1], d.Year, d.Hour, d.Minute, d.Second,
        offsetSeconds < 0 ? '-' : '+', magnitude / 3600, magnitude / 60 % 60);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The local text of an instant, with the offset in force at that instant.
std::string FormatInstant(long long instant) {
    const std::time_t t = static_cast<std::time_t>(instant);
    std::tm parts{};
    if (!localtime_r(&t, &parts))
        return FormatWithOffset(BreakDown(instant).Clock, 0);
    const DateTime local{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                         parts.tm_hour,        parts.tm_min,     parts.tm_sec};
    return FormatWithOffset(local, parts.tm_gmtoff);
}

// The clock.

std::mutex& ClockMutex() {
    static std::mutex mutex;
    return mutex;
}

ClockFn& ClockSlot() {
    static ClockFn clock;
    return clock;
}

// Scanning.

constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A cursor over a text: each reader consumes what it recognises and leaves the
// position untouched when it does not.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    std::size_t Position() const { return pos_; }
    void Reset(std::size_t pos) { pos_ = pos; }

    bool Take(char c) {
        if (Peek() != c || AtEnd())
            return false;
        ++pos_;
        return true;
    }

    // Skips a run of blanks; true when there was at least one.
    bool SkipBlanks() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsBlank(text_[pos_]))
            ++pos_;
        return pos_ > start;
    }

    std::string_view Word() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsLetter(text_[pos_]))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    // A run of digits as a number, with the count of digits; 0 digits when none.
    int Number(int& digits) {
        int value = 0;
        digits = 0;
        while (!AtEnd() && IsDigit(text_[pos_])) {
            if (digits < 9)
                value = value * 10 + (text_[pos_] - '0');
            ++digits;
            ++pos_;
        }
        return value;
    }

    // Exactly `count` digits, not followed by another digit.
    std::optional<int> Digits(int count) {
        const std::size_t start = pos_;
        int digits = 0;
        const int value = Number(digits);
        if (digits != count) {
            pos_ = start;
            return std::nullopt;
        }
        return value;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::optional<int> MonthFromName(std::string_view word) {
    for (int i = 0; i < 12; ++i)
        if (EqualsNoCase(word, kMonthNames[i]) || EqualsNoCase(word, kFullMonthNames[i]))
            return i + 1;
    return std::nullopt;
}

bool IsDayName(std::string_view word) {
    if (word.size() < 3)
        return false;
    for (const char* name : kDayNames)
        if (EqualsNoCase(word.substr(0, 3), name))
            return true;
    return false;
}

// '+hhmm', '+hh:mm' or '+hh' (or with a minus), in minutes east of UTC.
std::optional<int> ReadNumericOffset(Scanner& in) {
    const std::size_t start = in.Position();
    const char sign = in.Peek();
    if (sign != '+' && sign != '-')
        return std::nullopt;
    in.Take(sign);
    int digits = 0;
    int hours = in.Number(digits);
    int minutes = 0;
    if (digits == 4) {
        minutes = hours % 100;
        hours /= 100;
    } else if (digits == 2) {
        if (in.Take(':')) {
            const std::optional<int> mm = in.Digits(2);
            if (!mm) {
                in.Reset(start);
                return std::nullopt;
            }
            minutes = *mm;
        }
    } else {
        in.Reset(start);
        return std::nullopt;
    }
    if (hours > 23 || minutes > 59) {
        in.Reset(start);
        return std::nullopt;
    }
    const int total = hours * 60 + minutes;
    return sign == '-' ? -total : total;
}

// A zone name or numeric offset, in minutes east of UTC; nothing (and the
// position kept) when the text there is not one.
std::optional<int> ReadZone(Scanner& in) {
    if (std::optional<int> offset = ReadNumericOffset(in))
        return offset;
    const std::size_t start = in.Position();
    const std::string_view word = in.Word();
    if (word.empty() || IsDigit(in.Peek())) {
        in.Reset(start);
        return std::nullopt;
    }
    struct NamedZone {
        const char* Name;
        int Minutes;
    };
    static constexpr NamedZone kZones[] = {
        {"GMT", 0},         {"UT", 0},          {"UTC", 0},         {"Z", 0},
        {"EST", -5 * 60},   {"EDT", -4 * 60},   {"CST", -6 * 60},   {"CDT", -5 * 60},
        {"MST", -7 * 60},   {"MDT", -6 * 60},   {"PST", -8 * 60},   {"PDT", -7 * 60},
    };
    for (const NamedZone& zone : kZones) {
        if (!EqualsNoCase(word, zone.Name))
            continue;
        // 'GMT+0200' and the like: the offset written after the name counts.
        if (zone.Minutes == 0)
            if (std::optional<int> offset = ReadNumericOffset(in))
                return offset;
        return zone.Minutes;
    }
    in.Reset(start);
    return std::nullopt;
}

// 'hh:mm[:ss][.fff]' with one or two digits per field; false (position kept)
// when the text there does not have that shape. The values are checked later.
bool ReadClock(Scanner& in, DateTime& into) {
    const std::size_t start = in.Position();
    int digits = 0;
    const int hour = in.Number(digits);
    if (digits < 1 || digits > 2 || !in.Take(':')) {
        in.Reset(start);
        return false;
    }
    const int minute = in.Number(digits);
    if (digits < 1 || digits > 2) {
        in.Reset(start);
        return false;
    }
    int second = 0;
    if (in.Take(':')) {
        second = in.Number(digits);
        if (digits < 1 || digits > 2) {
            in.Reset(start);
            return false;
        }
        if (in.Peek() == '.' && IsDigit(in.Peek(1))) {
            in.Take('.');
            in.Number(digits);
        }
    }
    into.Hour = hour;
    into.Minute = minute;
    into.Second = second;
    return true;
}

// Between day, month and year: a run of blanks or one hyphen.
bool TakeDateSeparator(Scanner& in) {
    return in.Take('-') || in.SkipBlanks();
}

std::optional<int> ReadDayOfMonth(Scanner& in) {
    int digits = 0;
    const int day = in.Number(digits);
    if (digits < 1 || digits > 2)
        return std::nullopt;
    return day;
}

// 'YYYY-MM-DD', 'YYYY-MM-DD HH:MM[:SS]' and 'YYYY-MM-DDTHH:MM[:SS][.fff][zone]'.
std::optional<InternetDate> ReadIsoDate(std::string_view text) {
    Scanner in(Trim(text));
    InternetDate result;
    DateTime& d = result.Clock;
    const std::optional<int> year = in.Digits(4);
    if (!year || !in.Take('-'))
        return std::nullopt;
    const std::optional<int> month = in.Digits(2);
    if (!month || !in.Take('-'))
        return std::nullopt;
    const std::optional<int> day = in.Digits(2);
    if (!day)
        return std::nullopt;
    d = {*year, *month, *day, 0, 0, 0};
    if (!in.AtEnd()) {
        if (!in.Take('T') && !in.Take('t') && !in.SkipBlanks())
            return std::nullopt;
        if (!ReadClock(in, d))
            return std::nullopt;
        in.SkipBlanks();
        result.ZoneMinutes = ReadZone(in);
        in.SkipBlanks();
        if (!in.AtEnd())
            return std::nullopt;
    }
    if (d.Year < 1900 || !IsValid(d))
        return std::nullopt;
    return result;
}

// The text of a date that was read: a zone makes it an instant shown in local
// time; without one the clock time stays as written.
std::string FormatRead(const InternetDate& date) {
    if (date.ZoneMinutes)
        return FormatInstant(SerialSeconds(date.Clock) - static_cast<long long>(*date.ZoneMinutes) * 60);
    return FormatRfc822Date(date.Clock);
}

// A field of the Atom conversion: the characters at a fixed place, all digits.
std::optional<int> FixedNumber(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (!IsDigit(text[i]))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

void SetClock(ClockFn clock) {
    const std::lock_guard lock(ClockMutex());
    ClockSlot() = std::move(clock);
}

DateTime Now() {
    ClockFn clock;
    {
        const std::lock_guard lock(ClockMutex());
        clock = ClockSlot();
    }
    if (clock)
        return clock();
    return LocalFromInstant(std::time(nullptr));
}

DateTime LocalFromInstant(std::time_t instant) {
    std::tm parts{};
    if (!localtime_r(&instant, &parts))
        return BreakDown(static_cast<long long>(instant)).Clock;
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

long LocalOffsetAt(const DateTime& local) {
    std::tm parts{};
    parts.tm_year = local.Year - 1900;
    parts.tm_mon = local.Month - 1;
    parts.tm_mday = local.Day;
    parts.tm_hour = local.Hour;
    parts.tm_min = local.Minute;
    parts.tm_sec = local.Second;
    parts.tm_isdst = -1;
    parts.tm_wday = -1;  // mktime sets it on success; -1 can be a valid result
    std::mktime(&parts);
    if (parts.tm_wday < 0)
        return CurrentOffset();
    return parts.tm_gmtoff;
}

std::string FormatRfc822Date(const DateTime& local) {
    const DateTime normal = BreakDown(SerialSeconds(local)).Clock;
    return FormatWithOffset(normal, LocalOffsetAt(normal));
}

std::optional<InternetDate> ReadInternetDate(std::string_view text) {
    Scanner in(Trim(text));
    InternetDate result;
    DateTime& d = result.Clock;

    // An optional day name, which the date itself overrules.
    if (IsLetter(in.Peek())) {
        const std::size_t start = in.Position();
        if (IsDayName(in.Word())) {
            if (!in.SkipBlanks())
                return std::nullopt;
        } else {
            in.Reset(start);
        }
    }

    // Day and month, in either order.
    std::optional<int> day;
    std::optional<int> month;
    if (IsDigit(in.Peek())) {
        day = ReadDayOfMonth(in);
        if (!day || !TakeDateSeparator(in))
            return std::nullopt;
        month = MonthFromName(in.Word());
    } else {
        month = MonthFromName(in.Word());
        if (!month || !TakeDateSeparator(in))
            return std::nullopt;
        day = ReadDayOfMonth(in);
    }
    if (!day || !month || !TakeDateSeparator(in))
        return std::nullopt;

    int digits = 0;
    int year = in.Number(digits);
    if (digits == 2)
        year += year < 80 ? 2000 : 1900;
    else if (digits != 4)
        return std::nullopt;
    d = {year, *month, *day, 0, 0, 0};

    // An optional time, then an optional zone; anything else is left unread.
    // Digits after the year must make a time, so a garbled one is not lost.
    in.SkipBlanks();
    if (IsDigit(in.Peek())) {
        if (!ReadClock(in, d))
            return std::nullopt;
        in.SkipBlanks();
    }
    result.ZoneMinutes = ReadZone(in);

    if (!IsValid(d))
        return std::nullopt;
    return result;
}

std::string NormalizeRfc822Date(std::string_view text) {
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty())
        return {};
    if (trimmed.size() > kLongestDateText)
        return std::string(trimmed);
    try {
        std::string work(trimmed);
        for (char& c : work)
            if (c == ',')
                c = ' ';

        if (const std::optional<InternetDate> date = ReadInternetDate(work))
            return FormatRead(*date);
        if (const std::optional<InternetDate> date = ReadIsoDate(work))
            return FormatRead(*date);

        // Words in front of the date ('Published: 01 Jun 2004').
        std::size_t front = 0;
        while (work.size() - front > 1 && !IsDigit(work[front]))
            ++front;
        work.erase(0, front);
        if (const std::optional<InternetDate> date = ReadInternetDate(work))
            return FormatRead(*date);

        // Something stuck to the seconds ('10:00:00123'): keep up to the seconds.
        const std::size_t first = work.find(':', 1);
        if (first != std::string::npos && first + 2 < work.size()) {
            const std::size_t second = work.find(':', first + 1);
            if (second != std::string::npos && second + 2 < work.size()) {
                work.resize(second + 3);
                if (const std::optional<InternetDate> date = ReadInternetDate(work))
                    return FormatRead(*date);
            }
        }
        return std::string(trimmed);
    } catch (...) {
        return std::string(trimmed);
    }
}

std::string AtomDateToRfc822(std::string_view text) {
    const std::optional<int> year = FixedNumber(text, 0, 4);
    const std::optional<int> month = FixedNumber(text, 5, 2);
    const std::optional<int> day = FixedNumber(text, 8, 2);
    if (!year || !month || !day)
        return FormatRfc822Date(Now());
    DateTime d{*year, *month, *day, 0, 0, 0};
    int zoneMinutes = 0;

    // 'hh:mm' ends at the sixteenth character, so a text of that length has a time.
    if (text.size() >= 16) {
        const std::optional<int> hour = FixedNumber(text, 11, 2);
        const std::optional<int> minute = FixedNumber(text, 14, 2);
        if (!hour || !minute)
            return FormatRfc822Date(Now());
        d.Hour = *hour;
        d.Minute = *minute;
        d.Second = FixedNumber(text, 17, 2).value_or(0);

        // The zone follows the seconds and their fraction, if any.
        Scanner in(text);
        in.Reset(16);
        if (in.Take(':')) {
            int digits = 0;
            in.Number(digits);
            if (in.Take('.'))
                in.Number(digits);
        }
        in.SkipBlanks();
        zoneMinutes = ReadZone(in).value_or(0);
    }
    if (!IsValid(d))
        return FormatRfc822Date(Now());
    return FormatInstant(SerialSeconds(d) - static_cast<long long>(zoneMinutes) * 60);
}

}  // namespace feed
