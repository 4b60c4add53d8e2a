// The feed loads and the readers that turn a parsed document into the model.

#include <cstring>
#include <exception>

#include "feed/FeedModel.h"
#include "feed/text/Dates.h"
#include "feed/text/TextRoutines.h"

namespace feed {
namespace {

// Element text as the model stores it: trimmed, numeric references decoded.
std::string Clean(std::string_view raw) {
    const std::string_view t = TrimControls(raw);
    if (t.find("&#") == std::string_view::npos) return std::string(t);
    return DecodeNumericRefs(t);
}

// The element's text for the model. The document gives up its copy when the
// text needs no change: a read happens once, and a large feed then is not held twice.
std::string TextOf(XmlNode& node) {
    const std::string_view t = TrimControls(node.Value);
    if (t.size() == node.Value.size() && t.find("&#") == std::string_view::npos) return std::move(node.Value);
    return Clean(node.Value);
}

std::string AttributeOf(const XmlNode& node, std::string_view name) {
    return Clean(node.AttributeByName(name));
}

// Every field of a compound element from its attribute (a missing one gives empty text).
template <typename Owner, size_t N>
void ReadAttributes(const XmlNode& node, Owner& owner, const std::array<AttributeField<Owner>, N>& fields) {
    for (const auto& f : fields) owner.*f.Member = AttributeOf(node, f.Name);
}

// Reads a decimal integer the whole text must consist of (an optional sign, then digits).
int StrictInt(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) throw ConversionError("'" + text + "' is not a valid integer value");
    long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') throw ConversionError("'" + text + "' is not a valid integer value");
        value = value * 10 + (text[i] - '0');
        if (value > 1000000) value = 1000000;
    }
    return static_cast<int>(negative ? -value : value);
}

// Children of the channel, by their lower-case name.
enum class Field {
    None, Category, Cloud, Copyright, Description, Docs, Generator, Language, LastBuildDate, Link, ManagingEditor,
    PubDate, Rating, SkipDays, SkipHours, TextInput, Title, Ttl, WebMaster, Image, Item,
    // item and Atom children
    Author, Comments, Enclosure, Guid, Source, Url, Width, Height,
    Contributor, Tagline, Id, Info, Modified, Entry, Issued, Created, Summary, Content,
};

struct NamedField {
    const char* Name;
    Field Value;
};

constexpr NamedField kFields[] = {
    {"category", Field::Category}, {"cloud", Field::Cloud}, {"copyright", Field::Copyright},
    {"description", Field::Description}, {"docs", Field::Docs}, {"generator", Field::Generator},
    {"language", Field::Language}, {"lastbuilddate", Field::LastBuildDate}, {"link", Field::Link},
    {"managingeditor", Field::ManagingEditor}, {"pubdate", Field::PubDate}, {"rating", Field::Rating},
    {"skipdays", Field::SkipDays}, {"skiphours", Field::SkipHours}, {"textinput", Field::TextInput},
    {"title", Field::Title}, {"ttl", Field::Ttl}, {"webmaster", Field::WebMaster}, {"image", Field::Image},
    {"item", Field::Item}, {"author", Field::Author}, {"comments", Field::Comments},
    {"enclosure", Field::Enclosure}, {"guid", Field::Guid}, {"source", Field::Source}, {"url", Field::Url},
    {"width", Field::Width}, {"height", Field::Height}, {"contributor", Field::Contributor},
    {"tagline", Field::Tagline}, {"id", Field::Id}, {"info", Field::Info}, {"modified", Field::Modified},
    {"entry", Field::Entry}, {"issued", Field::Issued}, {"created", Field::Created},
    {"summary", Field::Summary}, {"content", Field::Content},
};

Field FieldOf(const XmlNode& node) {
    if (!node.IsElement() || node.Name.size() > 15) return Field::None;
    char lower[16];
    const size_t n = node.Name.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = node.Name[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    for (const NamedField& f : kFields)
        if (std::strlen(f.Name) == n && std::memcmp(f.Name, lower, n) == 0) return f.Value;
    return Field::None;
}

std::string CanonicalRssVersion(std::string_view attribute) {
    static const char* const kTable[][3] = {
        {"0.9", ".9", "0.9"},   {"0.91", ".91", "0.91"}, {"0.92", ".92", "0.92"}, {"0.93", ".93", "0.93"},
        {"0.94", ".94", "0.94"}, {"1.0", "1", "1.0"},     {"2.0", "2", "2.0"},
    };
    const std::string_view v = TrimControls(attribute);
    for (const auto& row : kTable)
        if (SameText(v, row[0]) || SameText(v, row[1])) return row[2];
    return "Unknown";
}

void ReadRssItem(XmlNode& node, TFeedItem& item) {
    for (XmlNode* child : node.Children) {
        switch (FieldOf(*child)) {
            case Field::Author: item.Author = TextOf(*child); break;
            case Field::Category:
                item.Category = TextOf(*child);
                item.CategoryDomain = AttributeOf(*child, "domain");
                break;
            case Field::Comments: item.Comments = TextOf(*child); break;
            case Field::Description: item.Description = TextOf(*child); break;
            case Field::Enclosure: ReadAttributes(*child, item, kEnclosureAttributes); break;
            case Field::Guid:
                item.Guid = TextOf(*child);
                item.GuidIsPermaLink = AttributeOf(*child, "isPermaLink");
                break;
            case Field::Link: item.Link = TextOf(*child); break;
            case Field::PubDate: item.PubDate = TextOf(*child); break;
            case Field::Source:
                item.Source = TextOf(*child);
                item.SourceUrl = AttributeOf(*child, "url");
                break;
            case Field::Title: item.Title = TextOf(*child); break;
            default: break;
        }
    }
}

void ReadImage(XmlNode& node, TFeedImage& image) {
    for (XmlNode* child : node.Children) {
        switch (FieldOf(*child)) {
            case Field::Url: image.Url = TextOf(*child); break;
            case Field::Title: image.Title = TextOf(*child); break;
            case Field::Link: image.Link = TextOf(*child); break;
            case Field::Description: image.Description = TextOf(*child); break;
            case Field::Width: image.Width = TextOf(*child); break;
            case Field::Height: image.Height = TextOf(*child); break;
            default: break;
        }
    }
}

// The first email element inside an Atom author, or nothing.
XmlNode* EmailOf(XmlNode& node) {
    return const_cast<XmlNode*>(node.FindFirst("email"));
}

}  // namespace

LoadStatus TFeed::LoadFromFile() {
    BindDocumentEvents();
    return FinishLoad(XmlDoc->LoadFromFile(FeedInfo->LocalFile, true), Detect::Yes);
}

LoadStatus TFeed::LoadFromFileBytes(std::string bytes) {
    BindDocumentEvents();
    return FinishLoad(XmlDoc->LoadFromFileBytes(std::move(bytes), true), Detect::Yes);
}

LoadStatus TFeed::LoadFromUrl() {
    BindDocumentEvents();
    return FinishLoad(XmlDoc->LoadFromUrl(FeedInfo->RemoteFile, true), Detect::Yes);
}

LoadStatus TFeed::LoadFromStream(std::string_view streamText) {
    BindDocumentEvents();
    return FinishLoad(XmlDoc->LoadFromStream(streamText, true), Detect::No);
}

LoadStatus TFeed::LoadFromText(std::string_view text) {
    BindDocumentEvents();
    return FinishLoad(XmlDoc->LoadFromText(text, true), Detect::No);
}

void TFeed::BindDocumentEvents() {
    XmlDoc->OnLoaded = [this](TFeedXMLDoc&) {
        if (OnLoaded) OnLoaded(*this);
    };
    XmlDoc->OnRepaired = [this](TFeedXMLDoc&) {
        if (OnRepaired) OnRepaired(*this);
    };
}

LoadStatus TFeed::FinishLoad(LoadStatus docStatus, Detect detect) {
    if (docStatus != kLoaded) return docStatus;
    LoadStatus status = kLoaded;
    try {
        if (detect == Detect::No) {
            status = ReadRss() ? kLoaded : kNotAFeed;
        } else {
            DetectVersion();
            if (VersionName == "Atom 0.3") {
                status = ReadAtom() ? kLoaded : kNotAFeed;
            } else if (VersionName == "RSS 0.9" || VersionName == "RSS 1.0") {
                status = kNotAFeed;
            } else if (VersionName.rfind("RSS ", 0) == 0) {
                // Known versions, and an rss root of an unknown version, are read as RSS.
                status = ReadRss() ? kLoaded : kNotAFeed;
            } else {
                status = kNotAFeed;  // a root that no reader understands
            }
        }
    } catch (...) {
        status = kUnexpected;
    }
    if (OnParsed) OnParsed(*this);
    return status;
}

void TFeed::DetectVersion() {
    const XmlNode* root = XmlDoc->Root();
    if (!root || root->Name.size() < 3) return;
    const std::string_view prefix = std::string_view(root->Name).substr(0, 3);
    if (SameText(prefix, "rss")) {
        VersionName = "RSS " + CanonicalRssVersion(root->AttributeByName("version"));
    } else if (SameText(prefix, "fee")) {
        VersionName = "Atom " + std::string(TrimControls(root->AttributeByName("version")));
    } else if (SameText(prefix, "rdf")) {
        VersionName = "RSS 1.0";
    }
}

bool TFeed::ReadRss() {
    try {
        XmlNode* root = XmlDoc->Root();
        if (!root) return false;
        Version = root->AttributeByName("version");
        auto* channelNode = const_cast<XmlNode*>(root->FindFirst("channel"));
        if (!channelNode) return false;
        TFeedChannel& ch = *Channel;
        for (XmlNode* child : channelNode->Children) {
            XmlNode& n = *child;
            switch (FieldOf(n)) {
                case Field::Category:
                    ch.Category = TextOf(n);
                    ch.CategoryDomain = AttributeOf(n, "domain");
                    break;
                case Field::Cloud: ReadAttributes(n, ch, kCloudAttributes); break;
                case Field::Copyright: ch.Copyright = TextOf(n); break;
                case Field::Description: ch.Description = TextOf(n); break;
                case Field::Docs: ch.Docs = TextOf(n); break;
                case Field::Generator: ch.Generator = TextOf(n); break;
                case Field::Language: ch.Language = TextOf(n); break;
                case Field::LastBuildDate: ch.LastBuildDate = TextOf(n); break;
                case Field::Link: ch.Link = TextOf(n); break;
                case Field::ManagingEditor: ch.ManagingEditor = TextOf(n); break;
                case Field::PubDate: ch.PubDate = TextOf(n); break;
                case Field::Rating: ch.Rating = TextOf(n); break;
                case Field::SkipDays:
                    // Only elements count; comments and the like between them are no days.
                    for (const XmlNode* day : n.Children) {
                        if (!day->IsElement()) continue;
                        int index = -1;
                        for (int d = 0; d < 7; ++d)
                            if (SameText(day->Value, kDayNames[d])) index = d;
                        ch.SetSkipDays(index, true);
                    }
                    break;
                case Field::SkipHours:
                    for (const XmlNode* hour : n.Children) {
                        if (!hour->IsElement()) continue;
                        ch.SetSkipHours(StrictInt(hour->Value), true);
                    }
                    break;
                case Field::TextInput: ReadAttributes(n, ch, kTextInputAttributes); break;
                case Field::Title: ch.Title = TextOf(n); break;
                case Field::Ttl: ch.Ttl = TextOf(n); break;
                case Field::WebMaster: ch.WebMaster = TextOf(n); break;
                case Field::Image:
                    ReadImage(n, *ch.Image);
                    PumpEvents();
                    break;
                case Field::Item: {
                    auto item = std::make_unique<TFeedItem>();
                    ReadRssItem(n, *item);
                    ch.Items.push_back(std::move(item));
                    PumpEvents();
                    break;
                }
                default: break;
            }
        }
        PumpEvents();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TFeed::ReadAtom() {
    try {
        XmlNode* root = XmlDoc->Root();
        if (!root) return false;
        Version = root->AttributeByName("version");
        TFeedChannel& ch = *Channel;
        for (XmlNode* child : root->Children) {
            XmlNode& n = *child;
            switch (FieldOf(n)) {
                case Field::Title: ch.Title = TextOf(n); break;
                case Field::Link: ch.Link = AttributeOf(n, "href"); break;
                case Field::Author:
                    if (XmlNode* email = EmailOf(n)) ch.ManagingEditor = TextOf(*email);
                    break;
                case Field::Tagline: ch.Description = TextOf(n); break;
                case Field::Generator: ch.Generator = TextOf(n); break;
                case Field::Copyright: ch.Copyright = TextOf(n); break;
                case Field::Info: ch.Docs = TextOf(n); break;
                case Field::Modified:
                    ch.LastBuildDate = Clean(AtomDateToRfc822(n.Value));
                    ch.PubDate = ch.LastBuildDate;
                    break;
                case Field::Entry: {
                    auto item = std::make_unique<TFeedItem>();
                    for (XmlNode* e : n.Children) {
                        switch (FieldOf(*e)) {
                            case Field::Title: item->Title = TextOf(*e); break;
                            case Field::Link: item->Link = AttributeOf(*e, "href"); break;
                            case Field::Author:
                                if (XmlNode* email = EmailOf(*e)) item->Author = TextOf(*email);
                                break;
                            case Field::Id: item->Guid = TextOf(*e); break;
                            case Field::Issued: item->PubDate = Clean(AtomDateToRfc822(e->Value)); break;
                            case Field::Summary: {
                                // An empty summary does not wipe out content read before it.
                                std::string summary = TextOf(*e);
                                if (!summary.empty() || item->Description.empty()) item->Description = std::move(summary);
                                break;
                            }
                            case Field::Content:
                                if (item->Description.empty()) item->Description = TextOf(*e);
                                break;
                            default: break;
                        }
                    }
                    ch.Items.push_back(std::move(item));
                    PumpEvents();
                    break;
                }
                default: break;
            }
        }
        PumpEvents();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace feed
