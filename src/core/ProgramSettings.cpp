#include "core/ProgramSettings.h"

#include <climits>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>

#include "core/ProgramFolder.h"
#include "feed/FeedModel.h"
#include "feed/text/Encoding.h"
#include "feed/text/TextRoutines.h"
#include "feed/xml/FeedXmlDoc.h"

namespace core {

const std::array<std::string_view, 9> kWindowPrefixes = {
    "main", "htmlEdit", "preferences", "about", "search", "source", "ftp", "export", "symbol"};

std::unique_ptr<TProgramSettings> Settings;

namespace {

using feed::TFeedInfo;
using feed::TFTPInfo;
using feed::XmlDocument;
using feed::XmlNode;

constexpr std::string_view kRootName = "programSettings";
constexpr std::string_view kDefaultDocs = "https://www.rssboard.org/rss-specification";

// The place records in the order of kWindowPrefixes.
constexpr std::array<TWindowPlace TProgramSettings::*, 9> kPlaceMembers = {
    &TProgramSettings::MainPlace,    &TProgramSettings::HtmlEditPlace, &TProgramSettings::PreferencesPlace,
    &TProgramSettings::AboutPlace,   &TProgramSettings::SearchPlace,   &TProgramSettings::SourcePlace,
    &TProgramSettings::FtpPlace,     &TProgramSettings::ExportPlace,   &TProgramSettings::SymbolPlace};

std::string_view TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A decimal integer (optional sign, digits, blanks around it) that fits an
// int, or nothing.
std::optional<int> ParseInt(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return std::nullopt;
    return static_cast<int>(value);
}

// A value that must be a number; anything else ends the reading.
int RequiredInt(const std::string& text) {
    const std::optional<int> value = ParseInt(text);
    if (!value) throw feed::ConversionError("'" + text + "' is not a valid integer value");
    return *value;
}

// One key of an element's children: how its element is read, and how it is
// written under a parent (possibly not at all, or several times).
template <class Owner>
struct Key {
    std::string Name;
    std::function<void(Owner&, const XmlNode&)> Read;
    std::function<void(const Owner&, XmlDocument&, XmlNode*, const std::string& name)> Write;
};

template <class Owner>
using Keys = std::vector<Key<Owner>>;

template <class Owner>
Key<Owner> ValueKey(std::string name, std::function<std::string(const Owner&)> get,
                    std::function<void(Owner&, const std::string&)> set) {
    return {std::move(name), [set](Owner& o, const XmlNode& node) { set(o, node.Value); },
            [get](const Owner& o, XmlDocument& doc, XmlNode* parent, const std::string& n) {
                doc.AddElement(parent, n, get(o));
            }};
}

template <class Owner>
Key<Owner> TextKey(std::string name, std::string Owner::*field) {
    return ValueKey<Owner>(
        std::move(name), [field](const Owner& o) { return o.*field; },
        [field](Owner& o, const std::string& value) { o.*field = value; });
}

template <class Owner>
Key<Owner> PasswordKey(std::string name, std::string Owner::*field) {
    return ValueKey<Owner>(
        std::move(name), [field](const Owner& o) { return ScramblePassword(o.*field); },
        [field](Owner& o, const std::string& value) { o.*field = UnscramblePassword(value); });
}

template <class Owner>
Key<Owner> BooleanKey(std::string name, bool Owner::*field, bool fallback) {
    return ValueKey<Owner>(
        std::move(name), [field](const Owner& o) { return std::string(o.*field ? "-1" : "0"); },
        [field, fallback](Owner& o, const std::string& value) { o.*field = feed::BooleanText(value, fallback); });
}

template <class Owner>
Key<Owner> IntegerKey(std::string name, int Owner::*field) {
    return ValueKey<Owner>(
        std::move(name), [field](const Owner& o) { return std::to_string(o.*field); },
        [field](Owner& o, const std::string& value) { o.*field = RequiredInt(value); });
}

// A window coordinate: unlike the other integers, a value that is no number
// only means "no place stored".
Key<TWindowPlace> PlaceKey(std::string name, int TWindowPlace::*field) {
    return ValueKey<TWindowPlace>(
        std::move(name), [field](const TWindowPlace& p) { return std::to_string(p.*field); },
        [field](TWindowPlace& p, const std::string& value) { p.*field = ParseInt(value).value_or(-1); });
}

// The keys of a part record under the owner, each name with the prefix in front.
template <class Owner, class Part>
void AddNested(Keys<Owner>& keys, const std::string& prefix, Part Owner::*part, const Keys<Part>& partKeys) {
    for (const Key<Part>& k : partKeys) {
        keys.push_back({prefix + k.Name, [part, read = k.Read](Owner& o, const XmlNode& node) { read(o.*part, node); },
                        [part, write = k.Write](const Owner& o, XmlDocument& doc, XmlNode* parent,
                                                const std::string& n) { write(o.*part, doc, parent, n); }});
    }
}

template <class Owner>
void ReadChildren(Owner& owner, const XmlNode& node, const Keys<Owner>& keys) {
    for (const XmlNode* child : node.Children) {
        if (!child->IsElement()) continue;
        for (const Key<Owner>& k : keys) {
            if (feed::SameText(child->Name, k.Name)) {
                k.Read(owner, *child);
                break;
            }
        }
    }
}

template <class Owner>
void WriteChildren(const Owner& owner, XmlDocument& doc, XmlNode* parent, const Keys<Owner>& keys) {
    for (const Key<Owner>& k : keys) k.Write(owner, doc, parent, k.Name);
}

const Keys<TFTPInfo>& FtpKeys() {
    static const Keys<TFTPInfo> keys = {
        TextKey("Server", &TFTPInfo::Server), TextKey("Username", &TFTPInfo::Username),
        PasswordKey("Password", &TFTPInfo::Password), TextKey("Mode", &TFTPInfo::Mode),
        TextKey("Path", &TFTPInfo::Path), TextKey("Filename", &TFTPInfo::Filename),
    };
    return keys;
}

// The 42 keys of a feed entry in file order.
const Keys<TFeedInfo>& FeedKeys() {
    static const Keys<TFeedInfo> keys = [] {
        using F = TFeedInfo;
        Keys<F> k = {
            TextKey("localFile", &F::LocalFile),
            TextKey("remoteFile", &F::RemoteFile),
            TextKey("localImageFile", &F::LocalImageFile),
            TextKey("lastExportHtmlTemplate", &F::LastExportHtmlTemplate),
            TextKey("lastExportHtmlOutput", &F::LastExportHtmlOutput),
            TextKey("lastExportJavaScriptTemplate", &F::LastExportJavaScriptTemplate),
            TextKey("lastExportJavaScriptOutput", &F::LastExportJavaScriptOutput),
            TextKey("lastExportTextTemplate", &F::LastExportTextTemplate),
            TextKey("lastExportTextOutput", &F::LastExportTextOutput),
            TextKey("lastExportCsvTemplate", &F::LastExportCsvTemplate),
            TextKey("lastExportCsvOutput", &F::LastExportCsvOutput),
            IntegerKey("feedSmartDateDate", &F::FeedSmartDateDate),
            IntegerKey("feedSmartDateDateX", &F::FeedSmartDateDateX),
            IntegerKey("feedSmartDateTime", &F::FeedSmartDateTime),
            IntegerKey("itemSmartDateDate", &F::ItemSmartDateDate),
            IntegerKey("itemSmartDateDateX", &F::ItemSmartDateDateX),
            IntegerKey("itemSmartDateTime", &F::ItemSmartDateTime),
            BooleanKey("autoPubDate", &F::AutoPubDate, true),
            TextKey("defLink", &F::DefLink),
            TextKey("defAuthor", &F::DefAuthor),
            TextKey("defGuid", &F::DefGuid),
            TextKey("defGuidIsPermaLink", &F::DefGuidIsPermaLink),
            TextKey("defCategory", &F::DefCategory),
            TextKey("defCategoryDomain", &F::DefCategoryDomain),
            TextKey("defSource", &F::DefSource),
            TextKey("defSourceUrl", &F::DefSourceUrl),
            TextKey("defEnclosureUrl", &F::DefEnclosureUrl),
            TextKey("defEnclosureLength", &F::DefEnclosureLength),
            TextKey("defEnclosureType", &F::DefEnclosureType),
            TextKey("defComments", &F::DefComments),
        };
        AddNested(k, "feedFtp", &F::FeedFtp, FtpKeys());
        AddNested(k, "imageFtp", &F::ImageFtp, FtpKeys());
        return k;
    }();
    return keys;
}

// The 36 keys of the windows element: four per window, window by window.
const Keys<TProgramSettings>& WindowKeys() {
    static const Keys<TProgramSettings> keys = [] {
        const Keys<TWindowPlace> placeKeys = {
            PlaceKey("Top", &TWindowPlace::Top), PlaceKey("Left", &TWindowPlace::Left),
            PlaceKey("Height", &TWindowPlace::Height), PlaceKey("Width", &TWindowPlace::Width)};
        Keys<TProgramSettings> k;
        for (size_t i = 0; i < kWindowPrefixes.size(); ++i)
            AddNested(k, std::string(kWindowPrefixes[i]), kPlaceMembers[i], placeKeys);
        return k;
    }();
    return keys;
}

Key<TProgramSettings> SkipDaysKey() {
    return {"defFeedSkipDays",
            [](TProgramSettings& s, const XmlNode& node) {
                const std::vector<std::string> names(std::begin(feed::kDayNames), std::end(feed::kDayNames));
                for (const XmlNode* day : node.Children) {
                    if (!day->IsElement()) continue;
                    const int index = feed::IndexOfText(TrimBlanks(day->Value), names);
                    if (index < 0) throw feed::ConversionError("'" + day->Value + "' is not a day name");
                    s.SetDefFeedSkipDays(index, true);
                }
            },
            [](const TProgramSettings& s, XmlDocument& doc, XmlNode* parent, const std::string& name) {
                XmlNode* days = nullptr;
                for (int i = 0; i < TProgramSettings::kDayCount; ++i) {
                    if (!s.DefFeedSkipDays(i)) continue;
                    if (!days) days = doc.AddElement(parent, name);
                    doc.AddElement(days, "day", feed::kDayNames[i]);
                }
            }};
}

Key<TProgramSettings> SkipHoursKey() {
    return {"defFeedSkipHours",
            [](TProgramSettings& s, const XmlNode& node) {
                for (const XmlNode* hour : node.Children) {
                    if (!hour->IsElement()) continue;
                    s.SetDefFeedSkipHours(RequiredInt(hour->Value), true);  // throws outside 0..24
                }
            },
            [](const TProgramSettings& s, XmlDocument& doc, XmlNode* parent, const std::string& name) {
                // Hour 24 is no hour of the day, so it alone writes nothing.
                XmlNode* hours = nullptr;
                for (int i = 0; i < 24; ++i) {
                    if (!s.DefFeedSkipHours(i)) continue;
                    if (!hours) hours = doc.AddElement(parent, name);
                    doc.AddElement(hours, "hour", std::to_string(i));
                }
            }};
}

Key<TProgramSettings> WindowsKey() {
    return {"windows", [](TProgramSettings& s, const XmlNode& node) { ReadChildren(s, node, WindowKeys()); },
            [](const TProgramSettings& s, XmlDocument& doc, XmlNode* parent, const std::string& name) {
                WriteChildren(s, doc, doc.AddElement(parent, name), WindowKeys());
            }};
}

Key<TProgramSettings> FeedKey() {
    return {"feed",
            [](TProgramSettings& s, const XmlNode& node) {
                // Appended before it is read, so an entry whose reading stops
                // half-way keeps what was read and is not lost from the list.
                TFeedInfo& info = *s.Feeds.emplace_back(std::make_unique<TFeedInfo>());
                ReadChildren(info, node, FeedKeys());
            },
            [](const TProgramSettings& s, XmlDocument& doc, XmlNode* parent, const std::string& name) {
                for (const auto& info : s.Feeds) {
                    if (!info || info->LocalFile.empty()) continue;
                    WriteChildren(*info, doc, doc.AddElement(parent, name), FeedKeys());
                }
            }};
}

// The children of the root in file order.
const Keys<TProgramSettings>& SettingsKeys() {
    static const Keys<TProgramSettings> keys = [] {
        using S = TProgramSettings;
        return Keys<S>{
            TextKey("skin", &S::Skin),
            TextKey("lastOpenPath", &S::LastOpenPath),
            TextKey("lastSavePath", &S::LastSavePath),
            TextKey("lastImageOpenPath", &S::LastImageOpenPath),
            TextKey("lastImageSavePath", &S::LastImageSavePath),
            TextKey("lastExportHtmlTemplate", &S::LastExportHtmlTemplate),
            TextKey("lastExportHtmlOutput", &S::LastExportHtmlOutput),
            TextKey("lastExportJavaScriptTemplate", &S::LastExportJavaScriptTemplate),
            TextKey("lastExportJavaScriptOutput", &S::LastExportJavaScriptOutput),
            TextKey("lastExportTextTemplate", &S::LastExportTextTemplate),
            TextKey("lastExportTextOutput", &S::LastExportTextOutput),
            TextKey("lastExportCsvTemplate", &S::LastExportCsvTemplate),
            TextKey("lastExportCsvOutput", &S::LastExportCsvOutput),
            TextKey("lastFtpServer", &S::LastFtpServer),
            TextKey("lastFtpUsername", &S::LastFtpUsername),
            PasswordKey("lastFtpPassword", &S::LastFtpPassword),
            TextKey("lastFtpMode", &S::LastFtpMode),
            TextKey("lastFtpPath", &S::LastFtpPath),
            BooleanKey("spellEnableLive", &S::SpellEnableLive, true),
            BooleanKey("spellIgnoreUpper", &S::SpellIgnoreUpper, true),
            BooleanKey("spellIgnoreNumber", &S::SpellIgnoreNumber, true),
            BooleanKey("spellIgnoreInternet", &S::SpellIgnoreInternet, true),
            BooleanKey("spellIgnoreQuoted", &S::SpellIgnoreQuoted, true),
            BooleanKey("spellIgnoreAbbr", &S::SpellIgnoreAbbr, true),
            BooleanKey("spellAutoCorrect", &S::SpellAutoCorrect, true),
            BooleanKey("spellAutoCorrectCaps", &S::SpellAutoCorrectCaps, true),
            TextKey("spellDictionary", &S::SpellDictionary),
            IntegerKey("feedSmartDateDate", &S::FeedSmartDateDate),
            IntegerKey("feedSmartDateDateX", &S::FeedSmartDateDateX),
            IntegerKey("feedSmartDateTime", &S::FeedSmartDateTime),
            IntegerKey("itemSmartDateDate", &S::ItemSmartDateDate),
            IntegerKey("itemSmartDateDateX", &S::ItemSmartDateDateX),
            IntegerKey("itemSmartDateTime", &S::ItemSmartDateTime),
            SkipDaysKey(),
            SkipHoursKey(),
            TextKey("defFeedLanguage", &S::DefFeedLanguage),
            TextKey("defFeedWebmaster", &S::DefFeedWebmaster),
            TextKey("defFeedManagingEditor", &S::DefFeedManagingEditor),
            TextKey("defFeedCopyright", &S::DefFeedCopyright),
            TextKey("defFeedRating", &S::DefFeedRating),
            TextKey("defFeedCategory", &S::DefFeedCategory),
            TextKey("defFeedCategoryDomain", &S::DefFeedCategoryDomain),
            TextKey("defFeedDocs", &S::DefFeedDocs),
            TextKey("defFeedCloudDomain", &S::DefFeedCloudDomain),
            TextKey("defFeedCloudPort", &S::DefFeedCloudPort),
            TextKey("defFeedCloudPath", &S::DefFeedCloudPath),
            TextKey("defFeedCloudRegisterProcedure", &S::DefFeedCloudRegisterProcedure),
            TextKey("defFeedCloudProtocol", &S::DefFeedCloudProtocol),
            TextKey("defFeedTextInputTitle", &S::DefFeedTextInputTitle),
            TextKey("defFeedTextInputDescription", &S::DefFeedTextInputDescription),
            TextKey("defFeedTextInputName", &S::DefFeedTextInputName),
            TextKey("defFeedTextInputLink", &S::DefFeedTextInputLink),
            TextKey("defFeedTtl", &S::DefFeedTtl),
            TextKey("defItemLink", &S::DefItemLink),
            TextKey("defItemAuthor", &S::DefItemAuthor),
            TextKey("defItemGuid", &S::DefItemGuid),
            TextKey("defItemGuidIsPermaLink", &S::DefItemGuidIsPermaLink),
            TextKey("defItemCategory", &S::DefItemCategory),
            TextKey("defItemCategoryDomain", &S::DefItemCategoryDomain),
            TextKey("defItemSource", &S::DefItemSource),
            TextKey("defItemSourceUrl", &S::DefItemSourceUrl),
            TextKey("defItemEnclosureUrl", &S::DefItemEnclosureUrl),
            TextKey("defItemEnclosureLength", &S::DefItemEnclosureLength),
            TextKey("defItemEnclosureType", &S::DefItemEnclosureType),
            TextKey("defItemComments", &S::DefItemComments),
            BooleanKey("disableSkins", &S::DisableSkins, false),
            BooleanKey("feedFilenamesOnly", &S::FeedFilenamesOnly, false),
            WindowsKey(),
            FeedKey(),
        };
    }();
    return keys;
}

unsigned char ReverseBits(unsigned char b) {
    unsigned char r = 0;
    for (int i = 0; i < 8; ++i) {
        r = static_cast<unsigned char>((r << 1) | (b & 1));
        b = static_cast<unsigned char>(b >> 1);
    }
    return r;
}

size_t PlaceIndex(std::string_view prefix) {
    for (size_t i = 0; i < kWindowPrefixes.size(); ++i)
        if (feed::SameText(prefix, kWindowPrefixes[i])) return i;
    throw std::out_of_range("no window place named " + std::string(prefix));
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

TProgramSettings::TProgramSettings() {
    SetDefaults();
}

TWindowPlace& TProgramSettings::Place(std::string_view prefix) {
    return this->*kPlaceMembers[PlaceIndex(prefix)];
}

const TWindowPlace& TProgramSettings::Place(std::string_view prefix) const {
    return this->*kPlaceMembers[PlaceIndex(prefix)];
}

bool TProgramSettings::DefFeedSkipHours(int hour) const {
    if (hour < 0 || hour >= kHourCount) throw std::out_of_range("skip hour " + std::to_string(hour) + " out of range");
    return defFeedSkipHours_[static_cast<size_t>(hour)];
}

void TProgramSettings::SetDefFeedSkipHours(int hour, bool skip) {
    if (hour < 0 || hour >= kHourCount) throw std::out_of_range("skip hour " + std::to_string(hour) + " out of range");
    defFeedSkipHours_[static_cast<size_t>(hour)] = skip;
}

bool TProgramSettings::DefFeedSkipDays(int day) const {
    if (day < 0 || day >= kDayCount) throw std::out_of_range("skip day " + std::to_string(day) + " out of range");
    return defFeedSkipDays_[static_cast<size_t>(day)];
}

void TProgramSettings::SetDefFeedSkipDays(int day, bool skip) {
    if (day < 0 || day >= kDayCount) throw std::out_of_range("skip day " + std::to_string(day) + " out of range");
    defFeedSkipDays_[static_cast<size_t>(day)] = skip;
}

void TProgramSettings::SetDefaults() {
    const std::string f = ProgramFolder();
    Skin = f + "Skins/Default/skin.ini";
    LastOpenPath = f + "Feeds";
    LastSavePath = f + "Feeds";
    LastImageOpenPath = f + "Feeds";
    LastImageSavePath = f + "Feeds";
    LastExportHtmlTemplate = f + "Templates/BasicWebpage.htm";
    LastExportHtmlOutput = f + "Export/Webpage.htm";
    LastExportJavaScriptTemplate = f + "Templates/BasicJavaScript.js";
    LastExportJavaScriptOutput = f + "Export/JavaScript.js";
    LastExportTextTemplate = f + "Templates/BasicTextfile.txt";
    LastExportTextOutput = f + "Export/Textfile.txt";
    LastExportCsvTemplate = f + "Templates/BasicCSVfile.csv";
    LastExportCsvOutput = f + "Export/CSVfile.csv";
    LastFtpServer.clear();
    LastFtpUsername.clear();
    LastFtpPassword.clear();
    LastFtpMode = "pasv";
    LastFtpPath.clear();
    SpellEnableLive = true;
    SpellIgnoreUpper = true;
    SpellIgnoreNumber = true;
    SpellIgnoreInternet = true;
    SpellIgnoreQuoted = true;
    SpellIgnoreAbbr = true;
    SpellAutoCorrect = true;
    SpellAutoCorrectCaps = true;
    SpellDictionary = "en_US.dic";
    FeedSmartDateDate = 0;
    FeedSmartDateDateX = 1;
    FeedSmartDateTime = 0;
    ItemSmartDateDate = 0;
    ItemSmartDateDateX = 1;
    ItemSmartDateTime = 0;
    defFeedSkipHours_.fill(false);
    defFeedSkipDays_.fill(false);
    DefFeedLanguage.clear();
    DefFeedWebmaster.clear();
    DefFeedManagingEditor.clear();
    DefFeedCopyright.clear();
    DefFeedRating.clear();
    DefFeedCategory.clear();
    DefFeedCategoryDomain.clear();
    DefFeedDocs = kDefaultDocs;
    DefFeedCloudDomain.clear();
    DefFeedCloudPort.clear();
    DefFeedCloudPath.clear();
    DefFeedCloudRegisterProcedure.clear();
    DefFeedCloudProtocol.clear();
    DefFeedTextInputTitle.clear();
    DefFeedTextInputDescription.clear();
    DefFeedTextInputName.clear();
    DefFeedTextInputLink.clear();
    DefFeedTtl.clear();
    DefItemLink.clear();
    DefItemAuthor.clear();
    DefItemGuid.clear();
    DefItemGuidIsPermaLink = "True";
    DefItemCategory.clear();
    DefItemCategoryDomain.clear();
    DefItemSource.clear();
    DefItemSourceUrl.clear();
    DefItemEnclosureUrl.clear();
    DefItemEnclosureLength.clear();
    DefItemEnclosureType.clear();
    DefItemComments.clear();
    DisableSkins = false;
    FeedFilenamesOnly = true;
    for (TWindowPlace TProgramSettings::*place : kPlaceMembers) this->*place = TWindowPlace{};
}

feed::LoadStatus TProgramSettings::LoadFromFile(const std::string& path) {
    try {
        feed::TFeedXMLDoc doc;
        if (doc.LoadFromFile(path, false) != feed::kLoaded || !doc.Root()) {
            // First run, or a file that is no settings file: start from the sample feed.
            const std::string sample = ProgramFolder() + "Feeds/sample.xml";
            if (IsFile(sample)) {
                auto info = std::make_unique<TFeedInfo>();
                info->LocalFile = sample;
                Feeds.push_back(std::move(info));
            }
            return feed::kUnexpected;
        }
        ReadChildren(*this, *doc.Root(), SettingsKeys());
        return feed::kLoaded;
    } catch (...) {
        return feed::kUnexpected;
    }
}

feed::LoadStatus TProgramSettings::SaveToFile(const std::string& path) const {
    try {
        feed::TFeedXMLDoc doc;
        doc.DeclarationVersion = "1.0";
        doc.DeclarationEncoding = "UTF-8";
        XmlNode* root = doc.CreateRoot(std::string(kRootName));
        WriteChildren(*this, doc, root, SettingsKeys());
        return doc.SaveToFile(path) == feed::kLoaded ? feed::kLoaded : feed::kUnreadable;
    } catch (...) {
        return feed::kUnreadable;
    }
}

std::string ScramblePassword(std::string_view password) {
    std::string out;
    out.reserve(password.size() * 3);
    // Each byte's group goes in front of the ones before it, so the last byte comes first.
    for (auto it = password.rbegin(); it != password.rend(); ++it) {
        const unsigned value = ReverseBits(static_cast<unsigned char>(*it));
        out.push_back(static_cast<char>('0' + value / 100));
        out.push_back(static_cast<char>('0' + value / 10 % 10));
        out.push_back(static_cast<char>('0' + value % 10));
    }
    return out;
}

std::string UnscramblePassword(std::string_view scrambled) {
    const size_t groups = scrambled.size() / 3;
    std::string bytes;
    bytes.reserve(groups);
    for (size_t g = groups; g-- > 0;) {
        const int value = ParseInt(scrambled.substr(g * 3, 3)).value_or(0);
        bytes.push_back(static_cast<char>(ReverseBits(static_cast<unsigned char>(value & 0xFF))));
    }
    return feed::EnsureUtf8(std::move(bytes));
}

bool LoadSettings(TProgramSettings& settings) {
    const std::string folder = ProgramFolder();
    const std::string path = folder + "settings";
    const std::string legacy = folder + "settings.ini";
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec)) && IsFile(legacy))
        std::filesystem::rename(legacy, path, ec);
    return settings.LoadFromFile(path) == feed::kLoaded;
}

bool LoadSettings() {
    return Settings && LoadSettings(*Settings);
}

bool SaveSettings(const TProgramSettings& settings) {
    return settings.SaveToFile(ProgramFolder() + "settings") == feed::kLoaded;
}

bool SaveSettings() {
    return Settings && SaveSettings(*Settings);
}

}  // namespace core
