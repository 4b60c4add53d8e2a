#pragma once
// The in-memory feed: every RSS element and attribute is a text field (UTF-8),
// whatever format the feed was read from. The feed owns its channel, its XML
// document and its entry in the list of known feeds; the channel owns its
// image and its items.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "feed/FeedInfo.h"
#include "feed/LoadStatus.h"
#include "feed/xml/FeedXmlDoc.h"

namespace feed {

struct TFeedItem {
    std::string Title;
    std::string Description;
    std::string Link;
    std::string Author;
    std::string Category;
    std::string CategoryDomain;
    std::string Comments;
    std::string EnclosureUrl;
    std::string EnclosureLength;
    std::string EnclosureType;
    std::string Guid;
    std::string GuidIsPermaLink = "True";  // as read or set; editors read it as a Boolean
    std::string PubDate;
    std::string Source;
    std::string SourceUrl;
};

// Format codes of the picture bytes.
constexpr uint8_t kImageFormatJpeg = 7;
constexpr uint8_t kImageFormatPng = 14;
constexpr uint8_t kImageFormatOther = 0;
constexpr uint8_t kImageFormatNone = 24;

struct TFeedImage {
    std::string Url;
    std::string Title;
    std::string Link;
    std::string Description;
    std::string Width;
    std::string Height;
    std::string ImageData;                  // the picture file's bytes
    uint8_t ImageFormat = kImageFormatNone;  // from the last three letters of where the bytes came from
};

// The picture format code of a file name or address: "jpg" 7, "png" 14, else 0.
uint8_t ImageFormatOf(const std::string& nameOrAddress);

class TFeedChannel {
public:
    TFeedChannel();

    std::string Title;
    std::string Description;
    std::string Link;
    std::string Language;
    std::string Copyright;
    std::string ManagingEditor;
    std::string WebMaster;
    std::string PubDate;
    std::string LastBuildDate;
    std::string Category;
    std::string CategoryDomain;
    std::string Generator;
    std::string Docs;
    std::string CloudDomain;
    std::string CloudPort;
    std::string CloudPath;
    std::string CloudRegisterProcedure;
    std::string CloudProtocol;
    std::string Ttl;
    std::unique_ptr<TFeedImage> Image;
    std::string Rating;
    std::string TextInputTitle;
    std::string TextInputDescription;
    std::string TextInputName;
    std::string TextInputLink;
    std::vector<std::unique_ptr<TFeedItem>> Items;

    static constexpr int kHourCount = 25;  // 0..24; 24 is read but never written
    static constexpr int kDayCount = 7;    // 0 Sunday .. 6 Saturday

    // Throw std::out_of_range for an index outside 0..24 or 0..6.
    bool SkipHours(int hour) const;
    void SetSkipHours(int hour, bool skip);
    bool SkipDays(int day) const;
    void SetSkipDays(int day, bool skip);

private:
    std::array<bool, kHourCount> skipHours_{};
    std::array<bool, kDayCount> skipDays_{};
};

// Day names by skip-day index.
extern const char* const kDayNames[7];

class TFeed {
public:
    using Hook = std::function<void(TFeed&)>;

    TFeed();
    ~TFeed();
    TFeed(const TFeed&) = delete;
    TFeed& operator=(const TFeed&) = delete;

    std::string Version = "2.0";
    std::unique_ptr<TFeedInfo> FeedInfo;
    std::unique_ptr<TFeedXMLDoc> XmlDoc;
    std::unique_ptr<TFeedChannel> Channel;
    std::string VersionName = "RSS2.0";
    Hook OnLoaded;
    Hook OnRepaired;
    Hook OnParsed;

    // A fresh channel, document and entry; the hooks stay.
    void Clear();

    // Loads; each returns a load status.
    LoadStatus LoadFromFile();
    LoadStatus LoadFromFileBytes(std::string bytes);
    LoadStatus LoadFromUrl();
    LoadStatus LoadFromStream(std::string_view streamText);
    LoadStatus LoadFromText(std::string_view text);

    void DetectVersion();
    // The readers fill the model from XmlDoc; the document gives up the texts
    // it hands over, so a large feed is not held twice.
    bool ReadRss();
    bool ReadAtom();

    // Rebuilds XmlDoc from the model, stamping LastBuildDate with the current time.
    void BuildXml();
    // BuildXml, then the readable layout into FeedInfo->LocalFile: 0, or 3.
    LoadStatus SaveToFile();

private:
    enum class Detect { Yes, No };
    LoadStatus FinishLoad(LoadStatus docStatus, Detect detect);
    void BindDocumentEvents();
};

// An attribute of a compound element and the model field that holds it.
template <typename Owner>
struct AttributeField {
    const char* Name;
    std::string Owner::*Member;
};

// The attributes of cloud, textInput and enclosure, in the order they are written.
extern const std::array<AttributeField<TFeedChannel>, 5> kCloudAttributes;
extern const std::array<AttributeField<TFeedChannel>, 4> kTextInputAttributes;
extern const std::array<AttributeField<TFeedItem>, 3> kEnclosureAttributes;

// True when any of the fields is non-empty.
template <typename Owner, size_t N>
bool AnyAttributeSet(const Owner& owner, const std::array<AttributeField<Owner>, N>& fields) {
    for (const auto& f : fields)
        if (!(owner.*f.Member).empty()) return true;
    return false;
}

// One-line summaries of the compound elements, as the editors show them.
std::string CategorySummary(const std::string& category, const std::string& domain);
std::string CloudSummary(const TFeedChannel& channel);
std::string TextInputSummary(const TFeedChannel& channel);
std::string GuidSummary(const TFeedItem& item);
std::string SourceSummary(const TFeedItem& item);
std::string EnclosureSummary(const TFeedItem& item);

// The Boolean meaning of a GuidIsPermaLink text, true when empty or unreadable.
bool PermaLinkValue(const std::string& text);

// Called after each image, item and at the end of a read and a build, so a
// window can keep itself painted. Empty by default.
void SetEventPump(std::function<void()> pump);
void PumpEvents();

}  // namespace feed
