// quorvane-cli: the format engine for scripts. Converts, inspects and checks
// feeds; all the work is the engine's, this file only reads arguments and prints.

#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "feed/FeedModel.h"
#include "feed/FileIo.h"
#include "feed/Validation.h"
#include "feed/net/HttpClient.h"
#include "feed/text/Dates.h"
#include "feed/text/Scan.h"
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


// Loads the source into the feed; on failure prints the editor's message and returns the status.
int Load(const std::string& source, feed::TFeed& feed) {
    feed::LoadStatus status;
    const bool address = feed::HasHttpScheme(source);
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
    const auto layout = opt.Compact ? feed::XmlLayout::Compact : feed::XmlLayout::Readable;
    if (opt.Output) {
        const bool saved = feed::WriteFileAtomically(
            *opt.Output, [&](const feed::ByteSink& sink) { feed.XmlDoc->Write(layout, sink); });
        if (!saved) {
            std::cerr << "The file could not be saved: " << *opt.Output << "\n";
            return feed::kUnreadable;
        }
        return 0;
    }
    bool written = true;
    feed.XmlDoc->Write(layout, [&](std::string_view piece) {
        written = written && std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
    });
    return written && std::fflush(stdout) == 0 ? 0 : feed::kUnreadable;
}

// Writes the JSON text in pieces, so a large feed needs no second copy in memory.
class JsonOut {
public:
    ~JsonOut() { Flush(); }
    JsonOut& Raw(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() > (1u << 20)) Flush();
        return *this;
    }
    // A JSON string: quotes, backslashes and control characters escaped, the
    // rest as it stands (the model's text is always valid UTF-8).
    JsonOut& String(std::string_view text) {
        buffer_ += '"';
        size_t from = 0;
        for (size_t i = NextSpecial(text, 0); i < text.size(); i = NextSpecial(text, i + 1)) {
            const auto c = static_cast<unsigned char>(text[i]);
            buffer_.append(text, from, i - from);
            switch (c) {
                case '"': buffer_ += "\\\""; break;
                case '\\': buffer_ += "\\\\"; break;
                case '\n': buffer_ += "\\n"; break;
                case '\r': buffer_ += "\\r"; break;
                case '\t': buffer_ += "\\t"; break;
                default: {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\u%04x", c);
                    buffer_ += hex;
                }
            }
            from = i + 1;
        }
        buffer_.append(text, from, std::string_view::npos);
        buffer_ += '"';
        return Raw({});
    }
    JsonOut& Field(const char* name, std::string_view value, bool last = false) {
        String(name).Raw(":").String(value);
        return Raw(last ? "" : ",");
    }
    bool Flush() {
        const bool ok = std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) == buffer_.size();
        buffer_.clear();
        return ok;
    }

private:
    // The next quote, backslash or control character at or after `from`, or the end.
    static size_t NextSpecial(std::string_view text, size_t from) {
        static constexpr char kQuoteAndBackslash[] = {'"', '\\'};
        return feed::FindControlOrAnyOf(text.data(), from, text.size(), kQuoteAndBackslash);
    }

    std::string buffer_;
};

std::string IndexList(int count, const std::function<bool(int)>& isSet) {
    std::string out = "[";
    for (int i = 0; i < count; ++i) {
        if (!isSet(i)) continue;
        if (out.size() > 1) out += ',';
        out += std::to_string(i);
    }
    return out + "]";
}

int Dump(feed::TFeed& feed) {
    const feed::TFeedChannel& ch = *feed.Channel;
    JsonOut out;
    out.Raw("{\"status\":0,").Field("versionName", feed.VersionName).Field("version", feed.Version);
    out.Raw("\"channel\":{")
        .Field("Title", ch.Title)
        .Field("Description", ch.Description)
        .Field("Link", ch.Link)
        .Field("Language", ch.Language)
        .Field("Copyright", ch.Copyright)
        .Field("ManagingEditor", ch.ManagingEditor)
        .Field("WebMaster", ch.WebMaster)
        .Field("PubDate", ch.PubDate)
        .Field("LastBuildDate", ch.LastBuildDate)
        .Field("Category", ch.Category)
        .Field("CategoryDomain", ch.CategoryDomain)
        .Field("Generator", ch.Generator)
        .Field("Docs", ch.Docs)
        .Field("CloudDomain", ch.CloudDomain)
        .Field("CloudPort", ch.CloudPort)
        .Field("CloudPath", ch.CloudPath)
        .Field("CloudRegisterProcedure", ch.CloudRegisterProcedure)
        .Field("CloudProtocol", ch.CloudProtocol)
        .Field("Ttl", ch.Ttl)
        .Field("Rating", ch.Rating)
        .Field("TextInputTitle", ch.TextInputTitle)
        .Field("TextInputDescription", ch.TextInputDescription)
        .Field("TextInputName", ch.TextInputName)
        .Field("TextInputLink", ch.TextInputLink);
    out.Raw("\"SkipHours\":").Raw(IndexList(feed::TFeedChannel::kHourCount, [&](int h) { return ch.SkipHours(h); }));
    out.Raw(",\"SkipDays\":").Raw(IndexList(feed::TFeedChannel::kDayCount, [&](int d) { return ch.SkipDays(d); }));
    const feed::TFeedImage& img = *ch.Image;
    out.Raw(",\"Image\":{")
        .Field("Url", img.Url)
        .Field("Title", img.Title)
        .Field("Link", img.Link)
        .Field("Description", img.Description)
        .Field("Width", img.Width)
        .Field("Height", img.Height, true)
        .Raw("}},\"items\":[");
    bool first = true;
    for (const auto& p : ch.Items) {
        const feed::TFeedItem& it = *p;
        out.Raw(first ? "{" : ",{")
            .Field("Title", it.Title)
            .Field("Description", it.Description)
            .Field("Link", it.Link)
            .Field("Author", it.Author)
            .Field("Category", it.Category)
            .Field("CategoryDomain", it.CategoryDomain)
            .Field("Comments", it.Comments)
            .Field("EnclosureUrl", it.EnclosureUrl)
            .Field("EnclosureLength", it.EnclosureLength)
            .Field("EnclosureType", it.EnclosureType)
            .Field("Guid", it.Guid)
            .Field("GuidIsPermaLink", it.GuidIsPermaLink)
            .Field("PubDate", it.PubDate)
            .Field("Source", it.Source)
            .Field("SourceUrl", it.SourceUrl, true)
            .Raw("}");
        first = false;
    }
    out.Raw("]}\n");
    const bool written = out.Flush();
    return written && std::fflush(stdout) == 0 ? 0 : feed::kUnexpected;
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

    // The model lives until the process ends: freeing a large feed piece by
    // piece only to exit would cost more than the rest of a small command.
    auto* model = new feed::TFeed;
    int status = Load(opt.Source, *model);
    if (status == 0) {
        if (opt.Command == "convert") status = Convert(opt, *model);
        else if (opt.Command == "dump") status = Dump(*model);
        else status = Check(*model);
    }
    std::cout.flush();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
