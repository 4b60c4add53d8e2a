#pragma once
// Small helpers shared by the engine's tests.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "feed/text/Dates.h"

namespace feed::test {

// Zones written as POSIX TZ rules, so results do not depend on the machine's
// zone database or its own setting.
constexpr const char* kUtc = "UTC0";
constexpr const char* kPlusTwo = "EET-2";                          // +0200 all year
constexpr const char* kHelsinki = "EET-2EEST,M3.5.0/3,M10.5.0/4";  // +0200, +0300 in summer
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";      // +0100, +0200 in summer
constexpr const char* kNewYork = "EST5EDT,M3.2.0,M11.1.0";         // -0500, -0400 in summer
constexpr const char* kIndia = "IST-5:30";                         // +0530

// Sets TZ for the lifetime of the object and puts the previous value back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* previous = std::getenv("TZ")) previous_ = previous;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (previous_) setenv("TZ", previous_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> previous_;
};

// Fixes the clock for the lifetime of the object, then restores the real one.
class ScopedClock {
public:
    explicit ScopedClock(DateTime now) { SetClock([now] { return now; }); }
    ~ScopedClock() { SetClock({}); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Names parameterised cases after their `name` member.
template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

}  // namespace feed::test
