// quorvane-cli: the format engine for scripts. Converts, inspects and checks
// feeds; all the work is the engine's, this file only reads arguments and prints.

#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "feed/FeedModel.h"
#include "feed/FileIo.h"
#include "feed/Validation.h"
#include "feed/text/Dates.h"
#include "feed/text/TextRoutines.h"

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitIncomplete = 6;

const char* const kUsage =
    "usage: quorvane-cli convert SOURCE [--compact] [--output FILE] [--now YYYY-MM-DDTHH:MM:SS]\n"
    "       quorvane-cli dump    SOURCE\n"
    "       quorvane-cli check   SOURCE\n"
    "       quorvane-cli export  SOURCE --template FILE --output FILE [--kind html|javascript|text|csv] [--now "
    "YYYY-MM-DDTHH:MM:SS]\n"
    "       quorvane-cli --help | --version\n"
    "SOURCE is a file, an http:// or https:// address, or - for standard input.\n";

int UsageError(const std::string& message) {
    std::cerr << "quorvane-cli: " << message << "\n" << kUsage;
    return kExitUsage;
}

struct Options {
    std::string Command;
    std::string Source;
    bool Compact = false;
    std::optional<std::string> Output;
    std::optional<feed::DateTime> Now;
};

std::optional<feed::DateTime> ParseNow(const std::string& text) {
    // YYYY-MM-DDTHH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    auto number = [&](size_t from, size_t len) -> int {
        int v = 0;
        for (size_t i = from; i < from + len; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    feed::DateTime t;
    t.Year = number(0, 4);
    t.Month = number(5, 2);
    t.Day = number(8, 2);
    t.Hour = number(11, 2);
    t.Minute = number(14, 2);
    t.Second = number(17, 2);
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.Year < 1 || t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > kDays[t.Month - 1] || t.Hour < 0 ||
        t.Hour > 23 || t.Minute < 0 || t.Minute > 59 || t.Second < 0 || t.Second > 59)
        return std::nullopt;
    const bool leap = (t.Year % 4 == 0 && t.Year % 100 != 0) || t.Year % 400 == 0;
    if (t.Month == 2 && t.Day == 29 && !leap) return std::nullopt;
    return t;
}

bool IsAddress(const std::string& source) {
    return (source.size() >= 7 && feed::SameText(std::string_view(source).substr(0, 7), "http://")) ||
           (source.size() >= 8 && feed::SameText(std::string_view(source).substr(0, 8), "https://"));
}

// Loads the source into the feed; on failure prints the editor's message and returns the status.
int Load(const std::string& source, feed::TFeed& feed) {
    feed::LoadStatus status;
    const bool address = IsAddress(source);
    if (source == "-") {
        std::string bytes((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        status = std::cin.bad() ? feed::kNotRead : feed.LoadFromFileBytes(std::move(bytes));
    } else if (address) {
        feed.FeedInfo->RemoteFile = source;
        status = feed.LoadFromUrl();
    } else {
        feed.FeedInfo->LocalFile = source;
        status = feed.LoadFromFile();
    }
    switch (status) {
        case feed::kLoaded: return 0;
        case feed::kNotRead:
            std::cerr << (address ? "The file could not be downloaded." : "The file could not be opened.") << "\n";
            break;
        case feed::kNotXml: std::cerr << "The file is not a RSS/XML file.\n"; break;
        case feed::kUnreadable:
        case feed::kNotAFeed:
            std::cerr << "The file is in an unreadable format.\n";
            if (!feed.XmlDoc->ParseErrorMessage.empty()) std::cerr << feed.XmlDoc->ParseErrorMessage << "\n";
            break;
        default: std::cerr << "An unexpected error stopped the load of the feed.\n"; break;
    }
    return status;
}

int Convert(const Options& opt, feed::TFeed& feed) {
    feed.BuildXml();
    const std::string text =
        feed.XmlDoc->WriteToString(opt.Compact ? feed::XmlLayout::Compact : feed::XmlLayout::Readable);
    if (opt.Output) {
        if (!feed::WriteFileAtomically(*opt.Output, text)) {
            std::cerr << "The file could not be saved: " << *opt.Output << "\n";
            return feed::kUnreadable;
        }
        return 0;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : feed::kUnreadable;
}

int Dump(feed::TFeed& feed) {
    using Json = nlohmann::ordered_json;
    const feed::TFeedChannel& ch = *feed.Channel;
    Json channel;
    channel["Title"] = ch.Title;
    channel["Description"] = ch.Description;
    channel["Link"] = ch.Link;
    channel["Language"] = ch.Language;
    channel["Copyright"] = ch.Copyright;
    channel["ManagingEditor"] = ch.ManagingEditor;
    channel["WebMaster"] = ch.WebMaster;
    channel["PubDate"] = ch.PubDate;
    channel["LastBuildDate"] = ch.LastBuildDate;
    channel["Category"] = ch.Category;
    channel["CategoryDomain"] = ch.CategoryDomain;
    channel["Generator"] = ch.Generator;
    channel["Docs"] = ch.Docs;
    channel["CloudDomain"] = ch.CloudDomain;
    channel["CloudPort"] = ch.CloudPort;
    channel["CloudPath"] = ch.CloudPath;
    channel["CloudRegisterProcedure"] = ch.CloudRegisterProcedure;
    channel["CloudProtocol"] = ch.CloudProtocol;
    channel["Ttl"] = ch.Ttl;
    channel["Rating"] = ch.Rating;
    channel["TextInputTitle"] = ch.TextInputTitle;
    channel["TextInputDescription"] = ch.TextInputDescription;
    channel["TextInputName"] = ch.TextInputName;
    channel["TextInputLink"] = ch.TextInputLink;
    Json hours = Json::array();
    for (int h = 0; h < feed::TFeedChannel::kHourCount; ++h)
        if (ch.SkipHours(h)) hours.push_back(h);
    Json days = Json::array();
    for (int d = 0; d < feed::TFeedChannel::kDayCount; ++d)
        if (ch.SkipDays(d)) days.push_back(d);
    channel["SkipHours"] = std::move(hours);
    channel["SkipDays"] = std::move(days);
    const feed::TFeedImage& img = *ch.Image;
    channel["Image"] = Json{{"Url", img.Url},     {"Title", img.Title}, {"Link", img.Link},
                            {"Description", img.Description}, {"Width", img.Width}, {"Height", img.Height}};

    Json items = Json::array();
    for (const auto& p : ch.Items) {
        const feed::TFeedItem& it = *p;
        items.push_back(Json{{"Title", it.Title},
                             {"Description", it.Description},
                             {"Link", it.Link},
                             {"Author", it.Author},
                             {"Category", it.Category},
                             {"CategoryDomain", it.CategoryDomain},
                             {"Comments", it.Comments},
                             {"EnclosureUrl", it.EnclosureUrl},
                             {"EnclosureLength", it.EnclosureLength},
                             {"EnclosureType", it.EnclosureType},
                             {"Guid", it.Guid},
                             {"GuidIsPermaLink", it.GuidIsPermaLink},
                             {"PubDate", it.PubDate},
                             {"Source", it.Source},
                             {"SourceUrl", it.SourceUrl}});
    }
    Json out;
    out["status"] = 0;
    out["versionName"] = feed.VersionName;
    out["version"] = feed.Version;
    out["channel"] = std::move(channel);
    out["items"] = std::move(items);
    const std::string text = out.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 ? 0 : feed::kUnexpected;
}

int Check(const feed::TFeed& feed) {
    const std::string problems = feed::FeedValidationProblems(feed);
    if (problems.empty()) return 0;
    std::string lines;
    for (size_t i = 0; i < problems.size(); ++i) {
        if (problems[i] == '\r' && i + 1 < problems.size() && problems[i + 1] == '\n') continue;
        lines.push_back(problems[i]);
    }
    std::cout << lines << "\n";
    return kExitIncomplete;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return UsageError("no command given");
    if (args[0] == "--help" || args[0] == "-h") {
        if (args.size() != 1) return UsageError("--help takes no arguments");
        std::cout << kUsage;
        return 0;
    }
    if (args[0] == "--version") {
        if (args.size() != 1) return UsageError("--version takes no arguments");
        std::cout << "quorvane-cli " << feed::FileVersionText("FileVersion") << "\n";
        return 0;
    }

    Options opt;
    opt.Command = args[0];
    if (opt.Command == "export") return UsageError("export is not available in this version");
    if (opt.Command != "convert" && opt.Command != "dump" && opt.Command != "check")
        return UsageError("unknown command '" + opt.Command + "'");

    bool haveSource = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            (void)name;
            return args[++i];
        };
        if (a == "--compact" && opt.Command == "convert") {
            opt.Compact = true;
        } else if (a == "--output" && opt.Command == "convert") {
            opt.Output = value("--output");
            if (!opt.Output || opt.Output->empty()) return UsageError("--output needs a file name");
        } else if (a == "--now") {
            const auto text = value("--now");
            if (!text) return UsageError("--now needs a date and time");
            opt.Now = ParseNow(*text);
            if (!opt.Now) return UsageError("--now wants YYYY-MM-DDTHH:MM:SS, not '" + *text + "'");
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            return UsageError("unknown option '" + a + "' for " + opt.Command);
        } else if (!haveSource) {
            opt.Source = a;
            haveSource = true;
        } else {
            return UsageError("more than one SOURCE given");
        }
    }
    if (!haveSource || opt.Source.empty()) return UsageError(opt.Command + " needs a SOURCE");

    if (opt.Now) {
        const feed::DateTime fixed = *opt.Now;
        feed::SetClock([fixed] { return fixed; });
    }

    feed::TFeed feed;
    if (const int status = Load(opt.Source, feed); status != 0) return status;
    if (opt.Command == "convert") return Convert(opt, feed);
    if (opt.Command == "dump") return Dump(feed);
    return Check(feed);
}
