// Writes the model as an RSS 2.0 document.

#include <exception>

#include "feed/FeedModel.h"
#include "feed/text/Dates.h"
#include "feed/text/TextRoutines.h"

namespace feed {
namespace {

class Builder {
public:
    explicit Builder(XmlDocument& doc) : doc_(doc) {}

    XmlNode* Element(XmlNode* parent, const char* name, const std::string& text) {
        return doc_.AddElement(parent, name, EncodeNumericRefs(text));
    }
    void ElementIf(XmlNode* parent, const char* name, const std::string& text) {
        if (!text.empty()) Element(parent, name, text);
    }
    static void Attribute(XmlNode* node, const char* name, const std::string& value) {
        XmlDocument::AddAttribute(node, name, EncodeNumericRefs(value));
    }
    // An element without text that carries all the fields as attributes.
    template <typename Owner, size_t N>
    void Compound(XmlNode* parent, const char* name, const Owner& owner,
                  const std::array<AttributeField<Owner>, N>& fields) {
        XmlNode* node = Element(parent, name, {});
        for (const auto& f : fields) Attribute(node, f.Name, owner.*f.Member);
    }

private:
    XmlDocument& doc_;
};

void BuildChannel(XmlDocument& doc, XmlNode* rss, TFeedChannel& ch) {
    Builder b(doc);
    XmlNode* channel = doc.AddElement(rss, "channel");
    b.Element(channel, "title", ch.Title);
    b.Element(channel, "description", ch.Description);
    b.Element(channel, "link", ch.Link);
    if (!ch.Category.empty() || !ch.CategoryDomain.empty()) {
        XmlNode* category = b.Element(channel, "category", ch.Category);
        Builder::Attribute(category, "domain", ch.CategoryDomain);
    }
    if (AnyAttributeSet(ch, kCloudAttributes)) b.Compound(channel, "cloud", ch, kCloudAttributes);
    b.ElementIf(channel, "copyright", ch.Copyright);
    b.ElementIf(channel, "docs", ch.Docs);
    b.ElementIf(channel, "language", ch.Language);
    b.ElementIf(channel, "lastBuildDate", ch.LastBuildDate);
    b.ElementIf(channel, "managingEditor", ch.ManagingEditor);
    b.ElementIf(channel, "pubDate", ch.PubDate);
    b.ElementIf(channel, "rating", ch.Rating);
    bool anyDay = false;
    for (int d = 0; d < TFeedChannel::kDayCount; ++d) anyDay = anyDay || ch.SkipDays(d);
    if (anyDay) {
        XmlNode* days = b.Element(channel, "skipDays", {});
        for (int d = 0; d < TFeedChannel::kDayCount; ++d)
            if (ch.SkipDays(d)) b.Element(days, "day", kDayNames[d]);
    }
    bool anyHour = false;
    for (int h = 0; h < 24; ++h) anyHour = anyHour || ch.SkipHours(h);
    if (anyHour) {
        XmlNode* hours = b.Element(channel, "skipHours", {});
        for (int h = 0; h < 24; ++h)
            if (ch.SkipHours(h)) b.Element(hours, "hour", std::to_string(h));
    }
    if (AnyAttributeSet(ch, kTextInputAttributes)) b.Compound(channel, "textInput", ch, kTextInputAttributes);
    b.ElementIf(channel, "ttl", ch.Ttl);
    b.ElementIf(channel, "webMaster", ch.WebMaster);
    b.Element(channel, "generator", "Quorvane v1.0 (" + FileVersionText("FileVersion") + ")");

    const TFeedImage& img = *ch.Image;
    if (!img.Url.empty() || !img.Title.empty() || !img.Link.empty() || !img.Description.empty()) {
        XmlNode* image = b.Element(channel, "image", {});
        b.ElementIf(image, "url", img.Url);
        b.ElementIf(image, "title", img.Title);
        b.ElementIf(image, "link", img.Link);
        b.ElementIf(image, "description", img.Description);
        b.ElementIf(image, "width", img.Width);
        b.ElementIf(image, "height", img.Height);
    }

    for (const auto& itemPtr : ch.Items) {
        const TFeedItem& it = *itemPtr;
        XmlNode* item = b.Element(channel, "item", {});
        b.Element(item, "title", it.Title);
        b.Element(item, "description", it.Description);
        b.Element(item, "link", it.Link);
        b.ElementIf(item, "author", it.Author);
        if (!it.Category.empty()) {
            XmlNode* category = b.Element(item, "category", it.Category);
            Builder::Attribute(category, "domain", it.CategoryDomain);
        }
        b.ElementIf(item, "comments", it.Comments);
        if (AnyAttributeSet(it, kEnclosureAttributes)) b.Compound(item, "enclosure", it, kEnclosureAttributes);
        if (!it.Guid.empty()) {
            XmlNode* guid = b.Element(item, "guid", it.Guid);
            Builder::Attribute(guid, "isPermaLink", it.GuidIsPermaLink);
        }
        b.ElementIf(item, "pubDate", it.PubDate);
        if (!it.Source.empty()) {
            XmlNode* source = b.Element(item, "source", it.Source);
            Builder::Attribute(source, "url", it.SourceUrl);
        }
    }
}

}  // namespace

void TFeed::BuildXml() {
    Channel->LastBuildDate = FormatRfc822Date(Now());
    XmlDoc->Clear();
    try {
        XmlNode* rss = XmlDoc->CreateRoot("rss");
        XmlDocument::AddAttribute(rss, "version", "2.0");
        BuildChannel(*XmlDoc, rss, *Channel);
    } catch (const std::exception&) {
        // The document keeps what was built so far.
    }
    PumpEvents();
}

LoadStatus TFeed::SaveToFile() {
    try {
        BuildXml();
        return SaveXmlToFile(*XmlDoc, FeedInfo->LocalFile);
    } catch (...) {
        return kUnreadable;
    }
}

}  // namespace feed
