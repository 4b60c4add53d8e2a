#include "core/ProgramSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ProgramFolder.h"
#include "feed/TestSupport.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using feed::TFeedInfo;
using feed::TFTPInfo;
using feed::test::ReadAll;
using feed::test::TempDir;
using feed::test::WriteAll;

// Each test gets its own program folder.
class ProgramSettingsTest : public testing::Test {
protected:
    void SetUp() override { SetProgramFolder(dir_.Path().string()); }
    void TearDown() override { SetProgramFolder(""); }

    std::string Folder() const { return dir_.Path().string() + "/"; }
    std::string File(const std::string& name) const { return dir_.File(name); }

    // Writes a settings file with the given children of the root and loads it into `s`.
    feed::LoadStatus LoadChildren(TProgramSettings& s, const std::string& children) {
        const std::string path = File("settings");
        WriteAll(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<programSettings>" + children +
                           "</programSettings>\r\n");
        return s.LoadFromFile(path);
    }

    TempDir dir_;
};

// Every field, listed independently of the implementation, so a key the
// settings forget to read or write shows up as a field that did not survive.
const std::vector<std::string TProgramSettings::*> kTextFields = {
    &TProgramSettings::Skin,
    &TProgramSettings::LastOpenPath,
    &TProgramSettings::LastSavePath,
    &TProgramSettings::LastImageOpenPath,
    &TProgramSettings::LastImageSavePath,
    &TProgramSettings::LastExportHtmlTemplate,
    &TProgramSettings::LastExportHtmlOutput,
    &TProgramSettings::LastExportJavaScriptTemplate,
    &TProgramSettings::LastExportJavaScriptOutput,
    &TProgramSettings::LastExportTextTemplate,
    &TProgramSettings::LastExportTextOutput,
    &TProgramSettings::LastExportCsvTemplate,
    &TProgramSettings::LastExportCsvOutput,
    &TProgramSettings::LastFtpServer,
    &TProgramSettings::LastFtpUsername,
    &TProgramSettings::LastFtpPassword,
    &TProgramSettings::LastFtpMode,
    &TProgramSettings::LastFtpPath,
    &TProgramSettings::SpellDictionary,
    &TProgramSettings::DefFeedLanguage,
    &TProgramSettings::DefFeedWebmaster,
    &TProgramSettings::DefFeedManagingEditor,
    &TProgramSettings::DefFeedCopyright,
    &TProgramSettings::DefFeedRating,
    &TProgramSettings::DefFeedCategory,
    &TProgramSettings::DefFeedCategoryDomain,
    &TProgramSettings::DefFeedDocs,
    &TProgramSettings::DefFeedCloudDomain,
    &TProgramSettings::DefFeedCloudPort,
    &TProgramSettings::DefFeedCloudPath,
    &TProgramSettings::DefFeedCloudRegisterProcedure,
    &TProgramSettings::DefFeedCloudProtocol,
    &TProgramSettings::DefFeedTextInputTitle,
    &TProgramSettings::DefFeedTextInputDescription,
    &TProgramSettings::DefFeedTextInputName,
    &TProgramSettings::DefFeedTextInputLink,
    &TProgramSettings::DefFeedTtl,
    &TProgramSettings::DefItemLink,
    &TProgramSettings::DefItemAuthor,
    &TProgramSettings::DefItemGuid,
    &TProgramSettings::DefItemGuidIsPermaLink,
    &TProgramSettings::DefItemCategory,
    &TProgramSettings::DefItemCategoryDomain,
    &TProgramSettings::DefItemSource,
    &TProgramSettings::DefItemSourceUrl,
    &TProgramSettings::DefItemEnclosureUrl,
    &TProgramSettings::DefItemEnclosureLength,
    &TProgramSettings::DefItemEnclosureType,
    &TProgramSettings::DefItemComments,
};
const std::vector<bool TProgramSettings::*> kBoolFields = {
    &TProgramSettings::SpellEnableLive,   &TProgramSettings::SpellIgnoreUpper,
    &TProgramSettings::SpellIgnoreNumber, &TProgramSettings::SpellIgnoreInternet,
    &TProgramSettings::SpellIgnoreQuoted, &TProgramSettings::SpellIgnoreAbbr,
    &TProgramSettings::SpellAutoCorrect,  &TProgramSettings::SpellAutoCorrectCaps,
    &TProgramSettings::DisableSkins,      &TProgramSettings::FeedFilenamesOnly,
};
const std::vector<int TProgramSettings::*> kIntFields = {
    &TProgramSettings::FeedSmartDateDate, &TProgramSettings::FeedSmartDateDateX,
    &TProgramSettings::FeedSmartDateTime, &TProgramSettings::ItemSmartDateDate,
    &TProgramSettings::ItemSmartDateDateX, &TProgramSettings::ItemSmartDateTime,
};
const std::vector<std::string TFeedInfo::*> kFeedTextFields = {
    &TFeedInfo::LocalFile,
    &TFeedInfo::RemoteFile,
    &TFeedInfo::LocalImageFile,
    &TFeedInfo::LastExportHtmlTemplate,
    &TFeedInfo::LastExportHtmlOutput,
    &TFeedInfo::LastExportJavaScriptTemplate,
    &TFeedInfo::LastExportJavaScriptOutput,
    &TFeedInfo::LastExportTextTemplate,
    &TFeedInfo::LastExportTextOutput,
    &TFeedInfo::LastExportCsvTemplate,
    &TFeedInfo::LastExportCsvOutput,
    &TFeedInfo::DefLink,
    &TFeedInfo::DefAuthor,
    &TFeedInfo::DefGuid,
    &TFeedInfo::DefGuidIsPermaLink,
    &TFeedInfo::DefCategory,
    &TFeedInfo::DefCategoryDomain,
    &TFeedInfo::DefSource,
    &TFeedInfo::DefSourceUrl,
    &TFeedInfo::DefEnclosureUrl,
    &TFeedInfo::DefEnclosureLength,
    &TFeedInfo::DefEnclosureType,
    &TFeedInfo::DefComments,
};
const std::vector<int TFeedInfo::*> kFeedIntFields = {
    &TFeedInfo::FeedSmartDateDate, &TFeedInfo::FeedSmartDateDateX, &TFeedInfo::FeedSmartDateTime,
    &TFeedInfo::ItemSmartDateDate, &TFeedInfo::ItemSmartDateDateX, &TFeedInfo::ItemSmartDateTime,
};
const std::vector<std::string TFTPInfo::*> kFtpFields = {
    &TFTPInfo::Server, &TFTPInfo::Username, &TFTPInfo::Password, &TFTPInfo::Mode, &TFTPInfo::Path, &TFTPInfo::Filename,
};
const std::vector<int TWindowPlace::*> kPlaceFields = {
    &TWindowPlace::Top, &TWindowPlace::Left, &TWindowPlace::Height, &TWindowPlace::Width};

// A distinct value for every field, with markup and non-ASCII characters.
std::string Distinct(const std::string& tag, size_t i) {
    return tag + std::to_string(i) + " é€ <&\"'> 日本";
}

void FillFeed(TFeedInfo& info, const std::string& tag, int base) {
    for (size_t i = 0; i < kFeedTextFields.size(); ++i) info.*kFeedTextFields[i] = Distinct(tag, i);
    for (size_t i = 0; i < kFeedIntFields.size(); ++i) info.*kFeedIntFields[i] = base + static_cast<int>(i) + 2;
    for (size_t i = 0; i < kFtpFields.size(); ++i) {
        info.FeedFtp.*kFtpFields[i] = Distinct(tag + "-feedFtp", i);
        info.ImageFtp.*kFtpFields[i] = Distinct(tag + "-imageFtp", i);
    }
    info.AutoPubDate = false;
}

void FillSettings(TProgramSettings& s) {
    for (size_t i = 0; i < kTextFields.size(); ++i) s.*kTextFields[i] = Distinct("s", i);
    s.SpellEnableLive = s.SpellIgnoreUpper = s.SpellIgnoreNumber = s.SpellIgnoreInternet = false;
    s.SpellIgnoreQuoted = s.SpellIgnoreAbbr = s.SpellAutoCorrect = s.SpellAutoCorrectCaps = false;
    s.DisableSkins = true;
    s.FeedFilenamesOnly = false;
    for (size_t i = 0; i < kIntFields.size(); ++i) s.*kIntFields[i] = static_cast<int>(i) + 7;
    s.SetDefFeedSkipDays(1, true);
    s.SetDefFeedSkipDays(6, true);
    s.SetDefFeedSkipHours(0, true);
    s.SetDefFeedSkipHours(13, true);
    s.SetDefFeedSkipHours(23, true);
    int value = -5;
    for (std::string_view prefix : kWindowPrefixes)
        for (int TWindowPlace::*field : kPlaceFields) s.Place(prefix).*field = value++ * 37;
    for (int n = 0; n < 2; ++n) {
        auto info = std::make_unique<TFeedInfo>();
        FillFeed(*info, "feed" + std::to_string(n), n * 10);
        s.Feeds.push_back(std::move(info));
    }
}

void ExpectSameFeed(const TFeedInfo& a, const TFeedInfo& b) {
    for (size_t i = 0; i < kFeedTextFields.size(); ++i) EXPECT_EQ(a.*kFeedTextFields[i], b.*kFeedTextFields[i]) << i;
    for (size_t i = 0; i < kFeedIntFields.size(); ++i) EXPECT_EQ(a.*kFeedIntFields[i], b.*kFeedIntFields[i]) << i;
    for (size_t i = 0; i < kFtpFields.size(); ++i) {
        EXPECT_EQ(a.FeedFtp.*kFtpFields[i], b.FeedFtp.*kFtpFields[i]) << i;
        EXPECT_EQ(a.ImageFtp.*kFtpFields[i], b.ImageFtp.*kFtpFields[i]) << i;
    }
    EXPECT_EQ(a.AutoPubDate, b.AutoPubDate);
}

void ExpectSameSettings(const TProgramSettings& a, const TProgramSettings& b) {
    for (size_t i = 0; i < kTextFields.size(); ++i) EXPECT_EQ(a.*kTextFields[i], b.*kTextFields[i]) << i;
    for (size_t i = 0; i < kBoolFields.size(); ++i) EXPECT_EQ(a.*kBoolFields[i], b.*kBoolFields[i]) << i;
    for (size_t i = 0; i < kIntFields.size(); ++i) EXPECT_EQ(a.*kIntFields[i], b.*kIntFields[i]) << i;
    for (int h = 0; h < TProgramSettings::kHourCount; ++h) EXPECT_EQ(a.DefFeedSkipHours(h), b.DefFeedSkipHours(h)) << h;
    for (int d = 0; d < TProgramSettings::kDayCount; ++d) EXPECT_EQ(a.DefFeedSkipDays(d), b.DefFeedSkipDays(d)) << d;
    for (std::string_view prefix : kWindowPrefixes)
        for (int TWindowPlace::*field : kPlaceFields) EXPECT_EQ(a.Place(prefix).*field, b.Place(prefix).*field) << prefix;
    ASSERT_EQ(a.Feeds.size(), b.Feeds.size());
    for (size_t i = 0; i < a.Feeds.size(); ++i) {
        SCOPED_TRACE("feed " + std::to_string(i));
        ExpectSameFeed(*a.Feeds[i], *b.Feeds[i]);
    }
}

TEST_F(ProgramSettingsTest, EveryKeySurvivesSaveAndLoad) {
    TProgramSettings written;
    FillSettings(written);
    ASSERT_EQ(written.SaveToFile(File("settings")), feed::kLoaded);

    TProgramSettings read;
    ASSERT_EQ(read.LoadFromFile(File("settings")), feed::kLoaded);
    ExpectSameSettings(written, read);

    // Stored as UTF-8 text, escaped by the document only; passwords never in plain.
    const std::string text = ReadAll(File("settings"));
    EXPECT_NE(text.find("<skin>s0 é€ &lt;&amp;&quot;&apos;&gt; 日本</skin>"), std::string::npos);
    EXPECT_EQ(text.find("&#"), std::string::npos);
    EXPECT_EQ(text.find(written.LastFtpPassword), std::string::npos);
    EXPECT_EQ(text.find(written.Feeds[0]->FeedFtp.Password), std::string::npos);
    EXPECT_EQ(text.find(written.Feeds[1]->ImageFtp.Password), std::string::npos);

    // Saving what was read gives the same file.
    ASSERT_EQ(read.SaveToFile(File("again")), feed::kLoaded);
    EXPECT_EQ(ReadAll(File("again")), text);
}

TEST_F(ProgramSettingsTest, DefaultsPointIntoTheProgramFolder) {
    const TProgramSettings s;
    const std::string f = Folder();
    EXPECT_EQ(s.Skin, f + "Skins/Default/skin.ini");
    EXPECT_EQ(s.LastOpenPath, f + "Feeds");
    EXPECT_EQ(s.LastImageSavePath, f + "Feeds");
    EXPECT_EQ(s.LastExportHtmlTemplate, f + "Templates/BasicWebpage.htm");
    EXPECT_EQ(s.LastExportCsvOutput, f + "Export/CSVfile.csv");
    EXPECT_TRUE(s.Feeds.empty());
    for (std::string_view prefix : kWindowPrefixes)
        for (int TWindowPlace::*field : kPlaceFields) EXPECT_EQ(s.Place(prefix).*field, -1) << prefix;
}

TEST_F(ProgramSettingsTest, SetDefaultsRestoresEverythingButTheFeeds) {
    TProgramSettings s;
    FillSettings(s);
    s.SetDefaults();
    const TProgramSettings fresh;
    ASSERT_EQ(s.Feeds.size(), 2u);
    s.Feeds.clear();
    ExpectSameSettings(s, fresh);
}

// The whole file of a default save with one known feed: declaration, order
// of keys, CR LF, two blanks per level, empty values as empty elements.
TEST_F(ProgramSettingsTest, DefaultSaveWritesExactlyThisText) {
    SetProgramFolder("/opt/quorvane");
    TProgramSettings s;
    s.LastFtpServer = "ftp.example.com & <co>";
    auto info = std::make_unique<TFeedInfo>();
    info->LocalFile = "/home/me/news.xml";
    info->FeedFtp.Password = "AB";
    s.Feeds.push_back(std::move(info));
    s.Feeds.push_back(std::make_unique<TFeedInfo>());  // never saved: no line in the file
    ASSERT_EQ(s.SaveToFile(File("settings")), feed::kLoaded);

    std::string expected = R"(<?xml version="1.0" encoding="UTF-8"?>
<programSettings>
  <skin>/opt/quorvane/Skins/Default/skin.ini</skin>
  <lastOpenPath>/opt/quorvane/Feeds</lastOpenPath>
  <lastSavePath>/opt/quorvane/Feeds</lastSavePath>
  <lastImageOpenPath>/opt/quorvane/Feeds</lastImageOpenPath>
  <lastImageSavePath>/opt/quorvane/Feeds</lastImageSavePath>
  <lastExportHtmlTemplate>/opt/quorvane/Templates/BasicWebpage.htm</lastExportHtmlTemplate>
  <lastExportHtmlOutput>/opt/quorvane/Export/Webpage.htm</lastExportHtmlOutput>
  <lastExportJavaScriptTemplate>/opt/quorvane/Templates/BasicJavaScript.js</lastExportJavaScriptTemplate>
  <lastExportJavaScriptOutput>/opt/quorvane/Export/JavaScript.js</lastExportJavaScriptOutput>
  <lastExportTextTemplate>/opt/quorvane/Templates/BasicTextfile.txt</lastExportTextTemplate>
  <lastExportTextOutput>/opt/quorvane/Export/Textfile.txt</lastExportTextOutput>
  <lastExportCsvTemplate>/opt/quorvane/Templates/BasicCSVfile.csv</lastExportCsvTemplate>
  <lastExportCsvOutput>/opt/quorvane/Export/CSVfile.csv</lastExportCsvOutput>
  <lastFtpServer>ftp.example.com &amp; &lt;co&gt;</lastFtpServer>
  <lastFtpUsername></lastFtpUsername>
  <lastFtpPassword></lastFtpPassword>
  <lastFtpMode>pasv</lastFtpMode>
  <lastFtpPath></lastFtpPath>
  <spellEnableLive>-1</spellEnableLive>
  <spellIgnoreUpper>-1</spellIgnoreUpper>
  <spellIgnoreNumber>-1</spellIgnoreNumber>
  <spellIgnoreInternet>-1</spellIgnoreInternet>
  <spellIgnoreQuoted>-1</spellIgnoreQuoted>
  <spellIgnoreAbbr>-1</spellIgnoreAbbr>
  <spellAutoCorrect>-1</spellAutoCorrect>
  <spellAutoCorrectCaps>-1</spellAutoCorrectCaps>
  <spellDictionary>en_US.dic</spellDictionary>
  <feedSmartDateDate>0</feedSmartDateDate>
  <feedSmartDateDateX>1</feedSmartDateDateX>
  <feedSmartDateTime>0</feedSmartDateTime>
  <itemSmartDateDate>0</itemSmartDateDate>
  <itemSmartDateDateX>1</itemSmartDateDateX>
  <itemSmartDateTime>0</itemSmartDateTime>
  <defFeedLanguage></defFeedLanguage>
  <defFeedWebmaster></defFeedWebmaster>
  <defFeedManagingEditor></defFeedManagingEditor>
  <defFeedCopyright></defFeedCopyright>
  <defFeedRating></defFeedRating>
  <defFeedCategory></defFeedCategory>
  <defFeedCategoryDomain></defFeedCategoryDomain>
  <defFeedDocs>https://www.rssboard.org/rss-specification</defFeedDocs>
  <defFeedCloudDomain></defFeedCloudDomain>
  <defFeedCloudPort></defFeedCloudPort>
  <defFeedCloudPath></defFeedCloudPath>
  <defFeedCloudRegisterProcedure></defFeedCloudRegisterProcedure>
  <defFeedCloudProtocol></defFeedCloudProtocol>
  <defFeedTextInputTitle></defFeedTextInputTitle>
  <defFeedTextInputDescription></defFeedTextInputDescription>
  <defFeedTextInputName></defFeedTextInputName>
  <defFeedTextInputLink></defFeedTextInputLink>
  <defFeedTtl></defFeedTtl>
  <defItemLink></defItemLink>
  <defItemAuthor></defItemAuthor>
  <defItemGuid></defItemGuid>
  <defItemGuidIsPermaLink>True</defItemGuidIsPermaLink>
  <defItemCategory></defItemCategory>
  <defItemCategoryDomain></defItemCategoryDomain>
  <defItemSource></defItemSource>
  <defItemSourceUrl></defItemSourceUrl>
  <defItemEnclosureUrl></defItemEnclosureUrl>
  <defItemEnclosureLength></defItemEnclosureLength>
  <defItemEnclosureType></defItemEnclosureType>
  <defItemComments></defItemComments>
  <disableSkins>0</disableSkins>
  <feedFilenamesOnly>-1</feedFilenamesOnly>
  <windows>
    <mainTop>-1</mainTop>
    <mainLeft>-1</mainLeft>
    <mainHeight>-1</mainHeight>
    <mainWidth>-1</mainWidth>
    <htmlEditTop>-1</htmlEditTop>
    <htmlEditLeft>-1</htmlEditLeft>
    <htmlEditHeight>-1</htmlEditHeight>
    <htmlEditWidth>-1</htmlEditWidth>
    <preferencesTop>-1</preferencesTop>
    <preferencesLeft>-1</preferencesLeft>
    <preferencesHeight>-1</preferencesHeight>
    <preferencesWidth>-1</preferencesWidth>
    <aboutTop>-1</aboutTop>
    <aboutLeft>-1</aboutLeft>
    <aboutHeight>-1</aboutHeight>
    <aboutWidth>-1</aboutWidth>
    <searchTop>-1</searchTop>
    <searchLeft>-1</searchLeft>
    <searchHeight>-1</searchHeight>
    <searchWidth>-1</searchWidth>
    <sourceTop>-1</sourceTop>
    <sourceLeft>-1</sourceLeft>
    <sourceHeight>-1</sourceHeight>
    <sourceWidth>-1</sourceWidth>
    <ftpTop>-1</ftpTop>
    <ftpLeft>-1</ftpLeft>
    <ftpHeight>-1</ftpHeight>
    <ftpWidth>-1</ftpWidth>
    <exportTop>-1</exportTop>
    <exportLeft>-1</exportLeft>
    <exportHeight>-1</exportHeight>
    <exportWidth>-1</exportWidth>
    <symbolTop>-1</symbolTop>
    <symbolLeft>-1</symbolLeft>
    <symbolHeight>-1</symbolHeight>
    <symbolWidth>-1</symbolWidth>
  </windows>
  <feed>
    <localFile>/home/me/news.xml</localFile>
    <remoteFile></remoteFile>
    <localImageFile></localImageFile>
    <lastExportHtmlTemplate></lastExportHtmlTemplate>
    <lastExportHtmlOutput></lastExportHtmlOutput>
    <lastExportJavaScriptTemplate></lastExportJavaScriptTemplate>
    <lastExportJavaScriptOutput></lastExportJavaScriptOutput>
    <lastExportTextTemplate></lastExportTextTemplate>
    <lastExportTextOutput></lastExportTextOutput>
    <lastExportCsvTemplate></lastExportCsvTemplate>
    <lastExportCsvOutput></lastExportCsvOutput>
    <feedSmartDateDate>0</feedSmartDateDate>
    <feedSmartDateDateX>1</feedSmartDateDateX>
    <feedSmartDateTime>0</feedSmartDateTime>
    <itemSmartDateDate>0</itemSmartDateDate>
    <itemSmartDateDateX>1</itemSmartDateDateX>
    <itemSmartDateTime>0</itemSmartDateTime>
    <autoPubDate>-1</autoPubDate>
    <defLink></defLink>
    <defAuthor></defAuthor>
    <defGuid></defGuid>
    <defGuidIsPermaLink>True</defGuidIsPermaLink>
    <defCategory></defCategory>
    <defCategoryDomain></defCategoryDomain>
    <defSource></defSource>
    <defSourceUrl></defSourceUrl>
    <defEnclosureUrl></defEnclosureUrl>
    <defEnclosureLength></defEnclosureLength>
    <defEnclosureType></defEnclosureType>
    <defComments></defComments>
    <feedFtpServer></feedFtpServer>
    <feedFtpUsername></feedFtpUsername>
    <feedFtpPassword>066130</feedFtpPassword>
    <feedFtpMode>pasv</feedFtpMode>
    <feedFtpPath></feedFtpPath>
    <feedFtpFilename></feedFtpFilename>
    <imageFtpServer></imageFtpServer>
    <imageFtpUsername></imageFtpUsername>
    <imageFtpPassword></imageFtpPassword>
    <imageFtpMode>pasv</imageFtpMode>
    <imageFtpPath></imageFtpPath>
    <imageFtpFilename></imageFtpFilename>
  </feed>
</programSettings>)";
    std::string crlf;
    for (char c : expected) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(ReadAll(File("settings")), crlf);
}

struct BooleanCase {
    std::string name;
    std::string text;
    bool spell;              // fallback true
    bool disableSkins;       // fallback false
    bool feedFilenamesOnly;  // fallback false
    bool autoPubDate;        // fallback true
};
void PrintTo(const BooleanCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsBooleanTest : public ProgramSettingsTest, public testing::WithParamInterface<BooleanCase> {};

TEST_P(SettingsBooleanTest, ReadsNumbersTrueFalseAndElseTheKeysFallback) {
    const BooleanCase& c = GetParam();
    TProgramSettings s;
    // The opposite of each fallback, so a fallback is told apart from "left alone".
    s.SpellIgnoreAbbr = false;
    s.DisableSkins = true;
    s.FeedFilenamesOnly = true;
    const std::string v = c.text;
    ASSERT_EQ(LoadChildren(s, "<spellIgnoreAbbr>" + v + "</spellIgnoreAbbr><disableSkins>" + v +
                                  "</disableSkins><feedFilenamesOnly>" + v + "</feedFilenamesOnly><feed><autoPubDate>" +
                                  v + "</autoPubDate></feed>"),
              feed::kLoaded);
    EXPECT_EQ(s.SpellIgnoreAbbr, c.spell);
    EXPECT_EQ(s.DisableSkins, c.disableSkins);
    EXPECT_EQ(s.FeedFilenamesOnly, c.feedFilenamesOnly);
    ASSERT_EQ(s.Feeds.size(), 1u);
    EXPECT_EQ(s.Feeds[0]->AutoPubDate, c.autoPubDate);
}

const BooleanCase kBooleanCases[] = {
    {"MinusOne", "-1", true, true, true, true},
    {"Zero", "0", false, false, false, false},
    {"One", "1", true, true, true, true},
    {"UpperTrue", "TRUE", true, true, true, true},
    {"LowerFalse", "false", false, false, false, false},
    {"Yes", "yes", true, false, false, true},
    {"Empty", "", true, false, false, true},
};
INSTANTIATE_TEST_SUITE_P(Values, SettingsBooleanTest, testing::ValuesIn(kBooleanCases),
                         feed::test::CaseName<BooleanCase>);

struct BadValueCase {
    std::string name;
    std::string element;  // stands between a key that is read and one that is not
    std::function<void(const TProgramSettings&)> check;
};
void PrintTo(const BadValueCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsBadValueTest : public ProgramSettingsTest, public testing::WithParamInterface<BadValueCase> {};

TEST_P(SettingsBadValueTest, StopsReadingAtTheValue) {
    const BadValueCase& c = GetParam();
    TProgramSettings s;
    EXPECT_EQ(LoadChildren(s, "<skin>before</skin><feedSmartDateDate>3</feedSmartDateDate>" + c.element +
                                  "<itemSmartDateDate>4</itemSmartDateDate><defFeedLanguage>after</defFeedLanguage>"
                                  "<feed><localFile>late.xml</localFile></feed>"),
              feed::kUnexpected);
    EXPECT_EQ(s.Skin, "before");
    EXPECT_EQ(s.FeedSmartDateDate, 3);
    EXPECT_EQ(s.ItemSmartDateDate, 0);
    EXPECT_EQ(s.DefFeedLanguage, "");
    for (const auto& info : s.Feeds) EXPECT_NE(info->LocalFile, "late.xml");
    if (c.check) c.check(s);
}

const BadValueCase kBadValueCases[] = {
    {"SmartDateWord", "<feedSmartDateDateX>x</feedSmartDateDateX><feedSmartDateTime>5</feedSmartDateTime>",
     [](const TProgramSettings& s) {
         EXPECT_EQ(s.FeedSmartDateDateX, 1);
         EXPECT_EQ(s.FeedSmartDateTime, 0);
     }},
    {"SmartDateEmpty", "<itemSmartDateTime></itemSmartDateTime>", nullptr},
    {"SmartDateFraction", "<itemSmartDateDateX>1.5</itemSmartDateDateX>", nullptr},
    {"SmartDateTooLarge", "<itemSmartDateDateX>99999999999</itemSmartDateDateX>", nullptr},
    {"HourTwentyFive", "<defFeedSkipHours><hour>3</hour><hour>25</hour><hour>5</hour></defFeedSkipHours>",
     [](const TProgramSettings& s) {
         EXPECT_TRUE(s.DefFeedSkipHours(3));
         EXPECT_FALSE(s.DefFeedSkipHours(5));
     }},
    {"HourNegative", "<defFeedSkipHours><hour>-1</hour></defFeedSkipHours>", nullptr},
    {"HourWord", "<defFeedSkipHours><hour>x</hour></defFeedSkipHours>", nullptr},
    {"UnknownDay", "<defFeedSkipDays><day>monday</day><day>Funday</day><day>Friday</day></defFeedSkipDays>",
     [](const TProgramSettings& s) {
         EXPECT_TRUE(s.DefFeedSkipDays(1));
         EXPECT_FALSE(s.DefFeedSkipDays(5));
     }},
    // A feed whose reading stops keeps what was read of it.
    {"InsideAFeed",
     "<feed><localFile>a.xml</localFile><feedSmartDateDateX>2</feedSmartDateDateX>"
     "<itemSmartDateDate>?</itemSmartDateDate><defLink>lost</defLink></feed>",
     [](const TProgramSettings& s) {
         ASSERT_EQ(s.Feeds.size(), 1u);
         EXPECT_EQ(s.Feeds[0]->LocalFile, "a.xml");
         EXPECT_EQ(s.Feeds[0]->FeedSmartDateDateX, 2);
         EXPECT_EQ(s.Feeds[0]->DefLink, "");
     }},
};
INSTANTIATE_TEST_SUITE_P(Values, SettingsBadValueTest, testing::ValuesIn(kBadValueCases),
                         feed::test::CaseName<BadValueCase>);

TEST_F(ProgramSettingsTest, ReadsKeysInAnyCaseLastOneWinsUnknownIgnored) {
    TProgramSettings s;
    const std::string path = File("settings");
    WriteAll(path,
             "<?xml version=\"1.0\"?>\n<anyRoot><SKIN>first</SKIN><skin>second</skin><LASTOPENPATH>p</LASTOPENPATH>"
             "<unknownKey>z</unknownKey><!-- note --><defFeedSkipHours> <hour> 24 </hour> </defFeedSkipHours>"
             "<defFeedSkipDays><!-- none --><DAY>SATURDAY</DAY></defFeedSkipDays>"
             "<Feed><LOCALFILE>x.xml</LOCALFILE><FEEDFTPPASSWORD>066130</FEEDFTPPASSWORD></Feed>"
             "<feed><remoteFile>http://example.com/</remoteFile></feed></anyRoot>");
    EXPECT_EQ(s.LoadFromFile(path), feed::kLoaded);
    EXPECT_EQ(s.Skin, "second");
    EXPECT_EQ(s.LastOpenPath, "p");
    EXPECT_TRUE(s.DefFeedSkipHours(24));
    EXPECT_TRUE(s.DefFeedSkipDays(6));
    ASSERT_EQ(s.Feeds.size(), 2u);
    EXPECT_EQ(s.Feeds[0]->LocalFile, "x.xml");
    EXPECT_EQ(s.Feeds[0]->FeedFtp.Password, "AB");
    // Kept in the list although it has no file.
    EXPECT_EQ(s.Feeds[1]->LocalFile, "");
    EXPECT_EQ(s.Feeds[1]->RemoteFile, "http://example.com/");
}

TEST_F(ProgramSettingsTest, WindowValuesThatAreNoNumbersMeanNoPlace) {
    TProgramSettings s;
    s.MainPlace = {10, 20, 30, 40};
    s.FtpPlace.Width = 50;
    s.SymbolPlace.Height = 60;
    ASSERT_EQ(LoadChildren(s, "<windows><mainTop>abc</mainTop><mainLeft>12</mainLeft><mainHeight>7px</mainHeight>"
                              "<ftpWidth></ftpWidth><symbolHeight>99999999999</symbolHeight>"
                              "<searchTop>-25</searchTop></windows><skin>after</skin>"),
              feed::kLoaded);
    EXPECT_EQ(s.MainPlace.Top, -1);
    EXPECT_EQ(s.MainPlace.Left, 12);
    EXPECT_EQ(s.MainPlace.Height, -1);
    EXPECT_EQ(s.MainPlace.Width, 40);
    EXPECT_EQ(s.FtpPlace.Width, -1);
    EXPECT_EQ(s.SymbolPlace.Height, -1);
    EXPECT_EQ(s.Place("search").Top, -25);
    EXPECT_EQ(s.Skin, "after");
}

TEST_F(ProgramSettingsTest, PlacesAndSkipFlagsCheckTheirNamesAndIndexes) {
    TProgramSettings s;
    EXPECT_EQ(&s.Place("ftp"), &s.FtpPlace);
    EXPECT_EQ(&s.Place("HTMLEDIT"), &s.HtmlEditPlace);
    EXPECT_THROW(s.Place("mainWindow"), std::out_of_range);
    EXPECT_THROW(s.DefFeedSkipHours(25), std::out_of_range);
    EXPECT_THROW(s.SetDefFeedSkipHours(-1, true), std::out_of_range);
    EXPECT_THROW(s.DefFeedSkipDays(7), std::out_of_range);
    EXPECT_THROW(s.SetDefFeedSkipDays(-1, true), std::out_of_range);
    s.SetDefFeedSkipHours(24, true);
    EXPECT_TRUE(s.DefFeedSkipHours(24));
}

struct SkipCase {
    std::string name;
    std::vector<int> days;
    std::vector<int> hours;
    std::string expected;  // the skip elements as written, empty for none
};
void PrintTo(const SkipCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsSkipWriteTest : public ProgramSettingsTest, public testing::WithParamInterface<SkipCase> {};

TEST_P(SettingsSkipWriteTest, WritesOnlyWhatIsSet) {
    const SkipCase& c = GetParam();
    TProgramSettings s;
    for (int d : c.days) s.SetDefFeedSkipDays(d, true);
    for (int h : c.hours) s.SetDefFeedSkipHours(h, true);
    ASSERT_EQ(s.SaveToFile(File("settings")), feed::kLoaded);
    const std::string text = ReadAll(File("settings"));
    const std::string before = "<itemSmartDateTime>0</itemSmartDateTime>\r\n";
    const size_t from = text.find(before);
    const size_t to = text.find("  <defFeedLanguage>");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    EXPECT_EQ(text.substr(from + before.size(), to - from - before.size()), c.expected);
}

const SkipCase kSkipCases[] = {
    {"Nothing", {}, {}, ""},
    {"HourTwentyFourAlone", {}, {24}, ""},
    {"DaysOnly",
     {6, 0},
     {},
     "  <defFeedSkipDays>\r\n    <day>Sunday</day>\r\n    <day>Saturday</day>\r\n  </defFeedSkipDays>\r\n"},
    {"HoursAscendingWithoutTwentyFour",
     {},
     {23, 24, 0, 9},
     "  <defFeedSkipHours>\r\n    <hour>0</hour>\r\n    <hour>9</hour>\r\n    <hour>23</hour>\r\n"
     "  </defFeedSkipHours>\r\n"},
    {"DaysThenHours",
     {3},
     {12},
     "  <defFeedSkipDays>\r\n    <day>Wednesday</day>\r\n  </defFeedSkipDays>\r\n"
     "  <defFeedSkipHours>\r\n    <hour>12</hour>\r\n  </defFeedSkipHours>\r\n"},
};
INSTANTIATE_TEST_SUITE_P(Values, SettingsSkipWriteTest, testing::ValuesIn(kSkipCases), feed::test::CaseName<SkipCase>);

TEST_F(ProgramSettingsTest, FeedWithoutLocalFileIsDroppedOnSave) {
    TProgramSettings s;
    for (const char* file : {"one.xml", "", "three.xml"}) {
        auto info = std::make_unique<TFeedInfo>();
        info->LocalFile = file;
        info->RemoteFile = std::string("http://example.com/") + file;
        s.Feeds.push_back(std::move(info));
    }
    ASSERT_EQ(s.SaveToFile(File("settings")), feed::kLoaded);
    TProgramSettings read;
    ASSERT_EQ(read.LoadFromFile(File("settings")), feed::kLoaded);
    ASSERT_EQ(read.Feeds.size(), 2u);
    EXPECT_EQ(read.Feeds[0]->LocalFile, "one.xml");
    EXPECT_EQ(read.Feeds[1]->LocalFile, "three.xml");
    EXPECT_EQ(read.Feeds[1]->RemoteFile, "http://example.com/three.xml");
}

struct FirstRunCase {
    std::string name;
    std::string settingsBytes;  // empty: no settings file
    bool sample;
};
void PrintTo(const FirstRunCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsFirstRunTest : public ProgramSettingsTest, public testing::WithParamInterface<FirstRunCase> {};

TEST_P(SettingsFirstRunTest, KeepsDefaultsAndFindsTheSample) {
    const FirstRunCase& c = GetParam();
    if (c.sample) {
        fs::create_directories(dir_.Path() / "Feeds");
        WriteAll(File("Feeds/sample.xml"), "<rss version=\"2.0\"><channel></channel></rss>");
    }
    if (!c.settingsBytes.empty()) WriteAll(File("settings"), c.settingsBytes);
    TProgramSettings s;
    EXPECT_EQ(s.LoadFromFile(File("settings")), feed::kUnexpected);
    ExpectSameSettings(s, [&] {
        TProgramSettings fresh;
        if (c.sample) {
            fresh.Feeds.push_back(std::make_unique<TFeedInfo>());
            fresh.Feeds.back()->LocalFile = Folder() + "Feeds/sample.xml";
        }
        return fresh;
    }());
}

const FirstRunCase kFirstRunCases[] = {
    {"NoFileWithSample", "", true},
    {"NoFileWithoutSample", "", false},
    {"UnclosedRootWithSample", "<?xml version=\"1.0\"?>\r\n<programSettings><skin>half</skin>\r\n", true},
    {"NotXmlWithoutSample", "this is no settings file", false},
    {"MismatchedTagsWithSample", "<programSettings><skin>x</lastOpenPath></programSettings>", true},
};
INSTANTIATE_TEST_SUITE_P(Values, SettingsFirstRunTest, testing::ValuesIn(kFirstRunCases),
                         feed::test::CaseName<FirstRunCase>);

TEST_F(ProgramSettingsTest, OldSettingsIniIsRenamedAndRead) {
    WriteAll(File("settings.ini"), "<programSettings><skin>legacy</skin></programSettings>");
    TProgramSettings s;
    EXPECT_TRUE(LoadSettings(s));
    EXPECT_EQ(s.Skin, "legacy");
    EXPECT_TRUE(fs::exists(File("settings")));
    EXPECT_FALSE(fs::exists(File("settings.ini")));
}

TEST_F(ProgramSettingsTest, SettingsIniIsLeftAloneWhenSettingsExist) {
    WriteAll(File("settings.ini"), "<programSettings><skin>legacy</skin></programSettings>");
    WriteAll(File("settings"), "<programSettings><skin>current</skin></programSettings>");
    TProgramSettings s;
    EXPECT_TRUE(LoadSettings(s));
    EXPECT_EQ(s.Skin, "current");
    EXPECT_TRUE(fs::exists(File("settings.ini")));
}

TEST_F(ProgramSettingsTest, GlobalSettingsAreSavedToAndLoadedFromTheProgramFolder) {
    Settings.reset();
    EXPECT_FALSE(SaveSettings());
    EXPECT_FALSE(LoadSettings());

    Settings = std::make_unique<TProgramSettings>();
    Settings->DefFeedTtl = "60";
    EXPECT_TRUE(SaveSettings());
    Settings = std::make_unique<TProgramSettings>();
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(Settings->DefFeedTtl, "60");
    Settings.reset();
}

TEST_F(ProgramSettingsTest, FailedSaveReportsThreeAndLeavesTheTargetAlone) {
    TProgramSettings s;
    EXPECT_EQ(s.SaveToFile(File("missing-folder/settings")), feed::kUnreadable);
    EXPECT_FALSE(fs::exists(File("missing-folder")));

    // A folder in the way cannot be replaced by the file.
    fs::create_directories(dir_.Path() / "settings" / "keep");
    EXPECT_EQ(s.SaveToFile(File("settings")), feed::kUnreadable);
    EXPECT_TRUE(fs::is_directory(dir_.Path() / "settings" / "keep"));
    // No temporary file left behind.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_.Path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST_F(ProgramSettingsTest, SaveReplacesTheWholeOldFile) {
    WriteAll(File("settings"), std::string(100000, 'x'));
    TProgramSettings s;
    ASSERT_EQ(s.SaveToFile(File("settings")), feed::kLoaded);
    TProgramSettings read;
    EXPECT_EQ(read.LoadFromFile(File("settings")), feed::kLoaded);
    EXPECT_EQ(ReadAll(File("settings")).find('x' + std::string(10, 'x')), std::string::npos);
}

TEST_F(ProgramSettingsTest, ReadsAnOlderWindows1252File) {
    // 0xE9 is "é" in Windows-1252; "151" is the scrambled byte 0xE9.
    WriteAll(File("settings"),
             "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<programSettings>\r\n"
             "  <skin>C:\\Caf\xE9\\Skin.ini</skin>\r\n  <lastFtpPassword>151</lastFtpPassword>\r\n"
             "  <defFeedCopyright>\xA9 2005 \x80</defFeedCopyright>\r\n</programSettings>\r\n");
    TProgramSettings s;
    EXPECT_EQ(s.LoadFromFile(File("settings")), feed::kLoaded);
    EXPECT_EQ(s.Skin, "C:\\Café\\Skin.ini");
    EXPECT_EQ(s.LastFtpPassword, "é");
    EXPECT_EQ(s.DefFeedCopyright, "© 2005 €");
}

TEST_F(ProgramSettingsTest, ReadsEightBitBytesWithoutDeclaredEncodingAsWindows1252) {
    WriteAll(File("settings"), "<programSettings><defItemAuthor>Jos\xE9</defItemAuthor></programSettings>");
    TProgramSettings s;
    EXPECT_EQ(s.LoadFromFile(File("settings")), feed::kLoaded);
    EXPECT_EQ(s.DefItemAuthor, "José");
}

TEST(PasswordScrambleTest, ScramblesEachByteReversedLastByteFirst) {
    EXPECT_EQ(ScramblePassword("AB"), "066130");
    EXPECT_EQ(ScramblePassword(""), "");
    EXPECT_EQ(ScramblePassword(std::string(1, '\x01')), "128");
    EXPECT_EQ(ScramblePassword(std::string(1, '\xFF')), "255");
    EXPECT_EQ(ScramblePassword(std::string(1, '\0')), "000");
    // UTF-8 bytes: "é" is C3 A9; A9 reversed is 149, C3 reversed is 195.
    EXPECT_EQ(ScramblePassword("é"), "149195");
}

TEST(PasswordScrambleTest, RoundTrips) {
    for (const std::string password : {"", "A", "secret", "pässwörd", "<&\"'>", "日本語 🙂", "with blank "}) {
        SCOPED_TRACE(password);
        const std::string scrambled = ScramblePassword(password);
        EXPECT_EQ(scrambled.size(), password.size() * 3);
        EXPECT_EQ(UnscramblePassword(scrambled), password);
    }
}

struct UnscrambleCase {
    std::string name;
    std::string scrambled;
    std::string password;
};
void PrintTo(const UnscrambleCase& c, std::ostream* os) {
    *os << c.name;
}

class UnscrambleTest : public testing::TestWithParam<UnscrambleCase> {};

TEST_P(UnscrambleTest, Reads) {
    EXPECT_EQ(UnscramblePassword(GetParam().scrambled), GetParam().password);
}

const UnscrambleCase kUnscrambleCases[] = {
    {"Example", "066130", "AB"},
    {"Empty", "", ""},
    {"ShortOfAGroup", "06", ""},
    {"CharactersAfterTheLastGroupIgnored", "06613012", "AB"},
    {"NoNumberCountsAsZero", "abc130", std::string("A") + '\0'},
    {"AboveByteUsesLowEightBits", "322130", "AB"},  // 322 = 256 + 66
    {"OldWindows1252Byte", "151", "é"},
    {"StrayByteAboveSeven", "999", "ç"},  // 999 & 255 = 0xE7, its own reverse; read as Windows-1252
};
INSTANTIATE_TEST_SUITE_P(Values, UnscrambleTest, testing::ValuesIn(kUnscrambleCases),
                         feed::test::CaseName<UnscrambleCase>);

}  // namespace
}  // namespace core
