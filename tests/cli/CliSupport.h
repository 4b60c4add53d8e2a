#pragma once
// Fixtures and helpers shared by the black-box tests of quorvane-cli.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "CliRunner.h"

namespace quorvane::cli::test {

using Json = nlohmann::ordered_json;

inline const std::string kData = std::string(QUORVANE_TEST_DIR) + "/cli/data/";

// A failing case is named by its name, not by its bytes.
template <typename Case>
requires requires(const Case& c) {
    std::string(c.name);
}
inline void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// The fixed build time of most conversions, and what it reads as at UTC.
inline const std::string kNow = "2026-12-09T16:09:09";
inline const std::string kNowAtUtc = "Wed, 9 Dec 2026 16:09:09 +0000";

inline const std::string kUtc = "UTC0";
// Central Europe with its summer-time rule spelled out, so no zone database is needed.
inline const std::string kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

inline const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";
inline const std::string kGenerator = "<generator>Quorvane v1.0 (1.0.2.0)</generator>";

// ---------------------------------------------------------------------------
// Feeds

// A small RSS 2.0 document around the given channel content.
inline std::string Rss(const std::string& channelContent, const std::string& version = "2.0") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"" + version + "\"><channel>" + channelContent +
           "</channel></rss>\n";
}

// Standard output of a successful dump as JSON; a test failure and null otherwise.
inline Json ParseDump(const Outcome& o) {
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(o.err, "");
    try {
        return Json::parse(o.out);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "dump is not one JSON value: " << e.what() << "\n" << Describe(o);
        return Json();
    }
}

inline std::string HelpText() {
    static const std::string text = RunCli({"--help"}).out;
    return text;
}

// Standard output of a conversion at the fixed build time, checked to succeed.
inline std::string Convert(const std::string& source, bool compact = false) {
    std::vector<std::string> args = {"convert", source, "--now", kNow};
    if (compact) args.push_back("--compact");
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(o.err, "");
    return o.out;
}

}  // namespace quorvane::cli::test
