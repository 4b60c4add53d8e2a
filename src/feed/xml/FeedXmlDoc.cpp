#include "feed/xml/FeedXmlDoc.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "feed/FileIo.h"
#include "feed/net/HttpClient.h"
#include "feed/text/Encoding.h"
#include "feed/xml/RepairTags.h"

namespace feed {
namespace {

// Stands in for a missing declaration. A marker only: the repair escapes it
// into text before the root, and without repair it reads as a processing
// instruction; it is never saved.
constexpr std::string_view kDeclarationMarker = "<? xml version=\"1.0\"?>\r\n";

class NotXmlFile : public std::exception {
public:
    const char* what() const noexcept override { return "Not XML - no <xml> tag"; }
};

}  // namespace

std::string_view StripLeadingControls(std::string_view text) {
    size_t i = 0;
    while (text.size() - i > 1 && static_cast<unsigned char>(text[i]) < 32) ++i;
    return text.substr(i);
}

bool HasXmlDeclaration(std::string_view text) {
    // The first ten characters.
    size_t end = 0;
    for (int count = 0; count < 10 && end < text.size(); ++count) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    const std::string_view head = text.substr(0, end);
    if (head.empty() || head[0] != '<') return false;
    const size_t question = head.find('?', 1);
    if (question == std::string_view::npos) return false;
    size_t xml = std::string_view::npos;
    for (size_t i = 0; i + 3 <= head.size(); ++i) {
        if ((head[i] | 0x20) == 'x' && (head[i + 1] | 0x20) == 'm' && (head[i + 2] | 0x20) == 'l') {
            xml = i;
            break;
        }
    }
    return xml != std::string_view::npos && question < xml;
}

std::string JoinLinesCrLf(std::string text) {
    const char* p = text.data();
    const size_t n = text.size();
    // The next CR and LF at or after a position, each looked up again only once
    // the search has passed it (-1: not looked up yet).
    long long nextCr = -1;
    long long nextLf = -1;
    auto findFrom = [&](char c, size_t from) -> long long {
        const void* hit = from < n ? std::memchr(p + from, c, n - from) : nullptr;
        return static_cast<long long>(hit ? static_cast<size_t>(static_cast<const char*>(hit) - p) : n);
    };
    auto nextBreak = [&](size_t from) {
        if (nextCr < static_cast<long long>(from)) nextCr = findFrom('\r', from);
        if (nextLf < static_cast<long long>(from)) nextLf = findFrom('\n', from);
        return static_cast<size_t>(std::min(nextCr, nextLf));
    };
    // Most files need no change: every break is CR LF and the last line has one.
    bool unchanged = n == 0 || (n >= 2 && p[n - 2] == '\r' && p[n - 1] == '\n');
    for (size_t i = 0; unchanged && i < n;) {
        const size_t br = nextBreak(i);
        if (br >= n) break;
        if (p[br] != '\r' || br + 1 >= n || p[br + 1] != '\n') unchanged = false;
        i = br + 2;
    }
    if (unchanged) return text;
    nextCr = nextLf = -1;
    std::string out;
    out.reserve(n + n / 32 + 2);
    size_t i = 0;
    while (i < n) {
        const size_t br = nextBreak(i);
        out.append(p + i, br - i);
        out += "\r\n";
        if (br >= n) break;
        i = br + 1;
        if (p[br] == '\r' && i < n && p[i] == '\n') ++i;
    }
    return out;
}

LoadStatus SaveXmlToFile(const XmlDocument& doc, const std::string& path) {
    try {
        const bool saved = WriteFileAtomically(
            path, [&doc](const ByteSink& sink) { doc.Write(XmlLayout::Readable, sink); });
        return saved ? kLoaded : kUnreadable;
    } catch (...) {
        return kUnreadable;
    }
}

LoadStatus TFeedXMLDoc::SaveToFile(const std::string& path) const {
    return SaveXmlToFile(*this, path);
}

LoadStatus TFeedXMLDoc::LoadFromFile(const std::string& path, bool repair) {
    try {
        auto bytes = ReadFileBytes(path);
        if (!bytes) return kNotRead;
        return LoadFromFileBytes(std::move(*bytes), repair);
    } catch (...) {
        return kUnexpected;
    }
}

LoadStatus TFeedXMLDoc::LoadFromFileBytes(std::string bytes, bool repair) {
    try {
        std::string text = JoinLinesCrLf(DecodeTextBytes(std::move(bytes)));
        return RunPipeline(std::move(text), Source::File, repair);
    } catch (...) {
        return kUnexpected;
    }
}

LoadStatus TFeedXMLDoc::LoadFromUrl(const std::string& address, bool repair) {
    try {
        HttpResult answer = CurrentHttpClient().Get(address);
        if (!answer.Ok) return kNotRead;
        return RunPipeline(DecodeTextBytes(std::move(answer.Body)), Source::Address, repair);
    } catch (...) {
        return kNotRead;
    }
}

LoadStatus TFeedXMLDoc::LoadFromStream(std::string_view streamText, bool repair) {
    try {
        return RunPipeline(EnsureUtf8(std::string(streamText)), Source::Stream, repair);
    } catch (...) {
        return kUnexpected;
    }
}

LoadStatus TFeedXMLDoc::LoadFromText(std::string_view text, bool repair) {
    try {
        return RunPipeline(EnsureUtf8(std::string(text)), Source::Text, repair);
    } catch (...) {
        return kUnexpected;
    }
}

LoadStatus TFeedXMLDoc::RunPipeline(std::string text, Source source, bool repair) {
    const bool fetched = source == Source::File || source == Source::Address;
    if (fetched) {
        RawSource = text;
        if (OnLoaded) OnLoaded(*this);
    }
    // Group two: the text must become something that looks like XML.
    try {
        const std::string_view stripped = StripLeadingControls(text);
        if (stripped.size() != text.size()) text.erase(0, text.size() - stripped.size());
        if (!HasXmlDeclaration(text)) {
            if (source == Source::Text) throw NotXmlFile();
            text.insert(0, kDeclarationMarker);
        }
    } catch (...) {
        return kNotXml;
    }
    if (!fetched && OnLoaded) OnLoaded(*this);
    // Group three: repair and parse.
    try {
        if (repair) {
            text = RepairTags(std::move(text));
            if (OnRepaired) OnRepaired(*this);
        }
        if (!Parse(text)) return kUnreadable;
    } catch (...) {
        return kUnreadable;
    }
    return kLoaded;
}

}  // namespace feed
