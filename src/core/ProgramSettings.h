#pragma once
// Everything the program remembers between runs, and the file "settings" in
// the program folder that keeps it: last folders and export files, the last
// FTP destination, spelling options, smart-date rules, defaults for new feeds
// and items, the skin, window places and the list of known feeds.

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "feed/FeedInfo.h"
#include "feed/LoadStatus.h"

namespace core {

// Where a window was last shown; -1 means no place is stored and the window
// keeps its designed place.
struct TWindowPlace {
    int Top = -1;
    int Left = -1;
    int Height = -1;
    int Width = -1;
};

// The names the window places are stored under, in file order: "main",
// "htmlEdit", "preferences", "about", "search", "source", "ftp", "export",
// "symbol".
extern const std::array<std::string_view, 9> kWindowPrefixes;

class TProgramSettings {
public:
    static constexpr int kHourCount = 25;  // 0..24; 24 is kept but never written
    static constexpr int kDayCount = 7;    // 0 Sunday .. 6 Saturday

    // Every setting at its default, no known feeds.
    TProgramSettings();

    std::string Skin;
    std::string LastOpenPath;
    std::string LastSavePath;
    std::string LastImageOpenPath;
    std::string LastImageSavePath;
    std::string LastExportHtmlTemplate;
    std::string LastExportHtmlOutput;
    std::string LastExportJavaScriptTemplate;
    std::string LastExportJavaScriptOutput;
    std::string LastExportTextTemplate;
    std::string LastExportTextOutput;
    std::string LastExportCsvTemplate;
    std::string LastExportCsvOutput;
    std::string LastFtpServer;
    std::string LastFtpUsername;
    std::string LastFtpPassword;  // plain here, scrambled in the file
    std::string LastFtpMode;
    std::string LastFtpPath;
    bool SpellEnableLive = true;
    bool SpellIgnoreUpper = true;
    bool SpellIgnoreNumber = true;
    bool SpellIgnoreInternet = true;
    bool SpellIgnoreQuoted = true;
    bool SpellIgnoreAbbr = true;
    bool SpellAutoCorrect = true;
    bool SpellAutoCorrectCaps = true;
    std::string SpellDictionary;
    int FeedSmartDateDate = 0;
    int FeedSmartDateDateX = 1;
    int FeedSmartDateTime = 0;
    int ItemSmartDateDate = 0;
    int ItemSmartDateDateX = 1;
    int ItemSmartDateTime = 0;
    std::string DefFeedLanguage;
    std::string DefFeedWebmaster;
    std::string DefFeedManagingEditor;
    std::string DefFeedCopyright;
    std::string DefFeedRating;
    std::string DefFeedCategory;
    std::string DefFeedCategoryDomain;
    std::string DefFeedDocs;
    std::string DefFeedCloudDomain;
    std::string DefFeedCloudPort;
    std::string DefFeedCloudPath;
    std::string DefFeedCloudRegisterProcedure;
    std::string DefFeedCloudProtocol;
    std::string DefFeedTextInputTitle;
    std::string DefFeedTextInputDescription;
    std::string DefFeedTextInputName;
    std::string DefFeedTextInputLink;
    std::string DefFeedTtl;
    std::string DefItemLink;
    std::string DefItemAuthor;
    std::string DefItemGuid;
    std::string DefItemGuidIsPermaLink;
    std::string DefItemCategory;
    std::string DefItemCategoryDomain;
    std::string DefItemSource;
    std::string DefItemSourceUrl;
    std::string DefItemEnclosureUrl;
    std::string DefItemEnclosureLength;
    std::string DefItemEnclosureType;
    std::string DefItemComments;
    bool DisableSkins = false;
    bool FeedFilenamesOnly = true;

    // The known feeds in the order of the feeds list. Each entry lives on the
    // heap, so a pointer or reference to it stays valid when entries are added.
    std::vector<std::unique_ptr<feed::TFeedInfo>> Feeds;

    TWindowPlace MainPlace;
    TWindowPlace HtmlEditPlace;
    TWindowPlace PreferencesPlace;
    TWindowPlace AboutPlace;
    TWindowPlace SearchPlace;
    TWindowPlace SourcePlace;
    TWindowPlace FtpPlace;
    TWindowPlace ExportPlace;
    TWindowPlace SymbolPlace;

    // The place stored under a prefix of kWindowPrefixes (any letter case);
    // throws std::out_of_range for any other name.
    TWindowPlace& Place(std::string_view prefix);
    const TWindowPlace& Place(std::string_view prefix) const;

    // Skip flags for new feeds. Throw std::out_of_range for an index outside
    // 0..24 (hours) or 0..6 (days).
    bool DefFeedSkipHours(int hour) const;
    void SetDefFeedSkipHours(int hour, bool skip);
    bool DefFeedSkipDays(int day) const;
    void SetDefFeedSkipDays(int day, bool skip);

    // Every setting and window place back to its default; the feeds stay.
    void SetDefaults();

    // Reads a settings file into this object: 0 when the whole file was read,
    // 5 otherwise. Keys the file does not name keep their current values, and
    // its feeds are appended to Feeds. A file that is missing or cannot be
    // parsed changes nothing except that the sample feed of the program
    // folder, when there is one, is appended. Reading stops at the first value
    // that cannot be converted; what was read before it stays.
    feed::LoadStatus LoadFromFile(const std::string& path);

    // Writes the settings file as UTF-8 through a temporary file renamed over
    // the target: 0, or 3 on any error (the old file is then untouched).
    // Feeds without a LocalFile are not written.
    feed::LoadStatus SaveToFile(const std::string& path) const;

private:
    std::array<bool, kHourCount> defFeedSkipHours_{};
    std::array<bool, kDayCount> defFeedSkipDays_{};
};

// The password as stored in the file: three decimal digits per UTF-8 byte,
// each the byte with its bits in reverse order, the last byte first. Only
// keeps a password from being read at a glance. Empty for an empty password.
std::string ScramblePassword(std::string_view password);

// The password of a scrambled text. Characters after the last full group of
// three are ignored; a group that is no number counts as 0, and one above 255
// gives its low eight bits. Bytes that do not form UTF-8 are read as
// Windows-1252, as older settings files scrambled those.
std::string UnscramblePassword(std::string_view scrambled);

// The settings of this run; the start-up code creates them.
extern std::unique_ptr<TProgramSettings> Settings;

// Reads the file "settings" of the program folder into the settings (an
// older "settings.ini" takes that name first when "settings" is missing).
// True when the whole file was read.
bool LoadSettings(TProgramSettings& settings);
// The same for Settings; false when there are none.
bool LoadSettings();

// Writes the settings to the file "settings" of the program folder; true on success.
bool SaveSettings(const TProgramSettings& settings);
// The same for Settings; false when there are none.
bool SaveSettings();

}  // namespace core
