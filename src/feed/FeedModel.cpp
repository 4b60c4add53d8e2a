#include "feed/FeedModel.h"

#include <stdexcept>

#include "feed/text/TextRoutines.h"

namespace feed {
namespace {

std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}

void AppendPair(std::string& out, const char* name, const std::string& value) {
    if (!out.empty()) out += "  ";
    out += name;
    out += "=\"";
    out += value;
    out += '"';
}

// Every field as a pair, in order.
template <typename Owner, size_t N>
std::string Pairs(const Owner& owner, const std::array<AttributeField<Owner>, N>& fields) {
    std::string out;
    for (const auto& f : fields) AppendPair(out, f.Name, owner.*f.Member);
    return out;
}

}  // namespace

const std::array<AttributeField<TFeedChannel>, 5> kCloudAttributes = {{
    {"domain", &TFeedChannel::CloudDomain},
    {"port", &TFeedChannel::CloudPort},
    {"path", &TFeedChannel::CloudPath},
    {"registerProcedure", &TFeedChannel::CloudRegisterProcedure},
    {"protocol", &TFeedChannel::CloudProtocol},
}};

const std::array<AttributeField<TFeedChannel>, 4> kTextInputAttributes = {{
    {"title", &TFeedChannel::TextInputTitle},
    {"description", &TFeedChannel::TextInputDescription},
    {"name", &TFeedChannel::TextInputName},
    {"link", &TFeedChannel::TextInputLink},
}};

const std::array<AttributeField<TFeedItem>, 3> kEnclosureAttributes = {{
    {"url", &TFeedItem::EnclosureUrl},
    {"length", &TFeedItem::EnclosureLength},
    {"type", &TFeedItem::EnclosureType},
}};

const char* const kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

void SetEventPump(std::function<void()> pump) {
    Pump() = std::move(pump);
}

void PumpEvents() {
    if (Pump()) Pump()();
}

uint8_t ImageFormatOf(const std::string& nameOrAddress) {
    if (nameOrAddress.size() < 3) return kImageFormatOther;
    const std::string_view last = std::string_view(nameOrAddress).substr(nameOrAddress.size() - 3);
    if (SameText(last, "jpg")) return kImageFormatJpeg;
    if (SameText(last, "png")) return kImageFormatPng;
    return kImageFormatOther;
}

TFeedChannel::TFeedChannel() : Image(std::make_unique<TFeedImage>()) {}

bool TFeedChannel::SkipHours(int hour) const {
    if (hour < 0 || hour >= kHourCount) throw std::out_of_range("skip hour " + std::to_string(hour) + " out of range");
    return skipHours_[static_cast<size_t>(hour)];
}

void TFeedChannel::SetSkipHours(int hour, bool skip) {
    if (hour < 0 || hour >= kHourCount) throw std::out_of_range("skip hour " + std::to_string(hour) + " out of range");
    skipHours_[static_cast<size_t>(hour)] = skip;
}

bool TFeedChannel::SkipDays(int day) const {
    if (day < 0 || day >= kDayCount) throw std::out_of_range("skip day " + std::to_string(day) + " out of range");
    return skipDays_[static_cast<size_t>(day)];
}

void TFeedChannel::SetSkipDays(int day, bool skip) {
    if (day < 0 || day >= kDayCount) throw std::out_of_range("skip day " + std::to_string(day) + " out of range");
    skipDays_[static_cast<size_t>(day)] = skip;
}

TFeed::TFeed()
    : FeedInfo(std::make_unique<TFeedInfo>()),
      XmlDoc(std::make_unique<TFeedXMLDoc>()),
      Channel(std::make_unique<TFeedChannel>()) {}

TFeed::~TFeed() {
    Channel.reset();
    XmlDoc.reset();
    FeedInfo.reset();
}

void TFeed::Clear() {
    Channel.reset();
    XmlDoc.reset();
    FeedInfo.reset();
    Channel = std::make_unique<TFeedChannel>();
    XmlDoc = std::make_unique<TFeedXMLDoc>();
    FeedInfo = std::make_unique<TFeedInfo>();
    Version = "2.0";
    VersionName = "RSS2.0";
}

bool PermaLinkValue(const std::string& text) {
    return BooleanText(text, true);
}

std::string CategorySummary(const std::string& category, const std::string& domain) {
    if (domain.empty()) return category;
    std::string pairs;
    AppendPair(pairs, "domain", domain);
    return category + "  " + pairs;
}

std::string CloudSummary(const TFeedChannel& c) {
    return AnyAttributeSet(c, kCloudAttributes) ? Pairs(c, kCloudAttributes) : std::string();
}

std::string TextInputSummary(const TFeedChannel& c) {
    return AnyAttributeSet(c, kTextInputAttributes) ? Pairs(c, kTextInputAttributes) : std::string();
}

std::string GuidSummary(const TFeedItem& item) {
    if (item.Guid.empty()) return {};
    std::string pairs;
    AppendPair(pairs, "isPermaLink", PermaLinkValue(item.GuidIsPermaLink) ? "true" : "false");
    return item.Guid + "  " + pairs;
}

std::string SourceSummary(const TFeedItem& item) {
    if (item.SourceUrl.empty()) return item.Source;
    std::string pairs;
    AppendPair(pairs, "url", item.SourceUrl);
    return item.Source + "  " + pairs;
}

std::string EnclosureSummary(const TFeedItem& item) {
    return item.EnclosureUrl.empty() ? std::string() : Pairs(item, kEnclosureAttributes);
}

}  // namespace feed
