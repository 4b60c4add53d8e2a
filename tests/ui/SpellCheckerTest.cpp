// Live spell checking: what is underlined in attached fields under each
// option, the dictionary search, and the corrections made while typing, with
// small dictionaries of our own (tests/ui/data/spell).

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/ProgramFolder.h"
#include "core/ProgramSettings.h"
#include "ui/SpellChecker.h"
#include "ui/TextField.h"

namespace {

const QString kDataDir = QStringLiteral(QUORVANE_TEST_DIR "/ui/data/spell/");
const QString kTestDictionary = kDataDir + QStringLiteral("test.dic");
const QString kLatin1Dictionary = kDataDir + QStringLiteral("latin1.dic");

using OptionChange = std::function<void(TSpellOptions&)>;

void NoChange(TSpellOptions&) {}

// Texts are compared as UTF-8 so that failures print them as texts (a
// printer for QString is not reliably ours: other test files instantiate
// gtest's printer for it too).
using Words = std::vector<std::string>;

std::string Utf8(const QString& text) {
    return text.toStdString();
}

// The words of `text` at `ranges`.
Words WordsAt(const QString& text, const QList<TSpellRange>& ranges) {
    Words words;
    for (const TSpellRange& range : ranges)
        words.push_back(Utf8(text.mid(range.Start, range.Length)));
    return words;
}

// The words a field shows with the spelling underline, in order.
Words Underlined(const TRichField* field) {
    Words words;
    for (QTextBlock block = field->document()->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                words.push_back(Utf8(block.text().mid(range.start, range.length)));
        }
    }
    return words;
}

class SpellCheckerTest : public testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        title = new TRichField(window.get());
        description = new TRichField(window.get());
        description->SetMode(FieldMode::MultiLineHtmlBreaks);
        layout->addWidget(title);
        layout->addWidget(description);
        window->resize(400, 300);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(checker.LoadDictionary(kTestDictionary));
        checker.Attach(title);
        checker.Attach(description);
    }

    void TearDown() override {
        core::SetProgramFolder("");
        QApplication::clipboard()->clear();
    }

    void ChangeOptions(const OptionChange& change) {
        TSpellOptions options;
        change(options);
        checker.SetOptions(options);
    }

    // Types `keys` at the end of `field`, which starts out holding `before`.
    void TypeInto(TRichField* field, const QString& before, const QString& keys) {
        field->SetText(before);
        field->setFocus(Qt::OtherFocusReason);
        field->moveCursor(QTextCursor::End);
        QTest::keyClicks(field, keys);
    }

    TSpellChecker checker;
    std::unique_ptr<QWidget> window;
    TRichField* title = nullptr;
    TRichField* description = nullptr;
};

// ---- Underlines in fields ---------------------------------------------------

TEST_F(SpellCheckerTest, UnderlinesMisspelledWordsInRedWaves) {
    description->SetText(QStringLiteral("The quick brwn fox<br>\r\njumps ovr the lazy dog"));
    EXPECT_EQ(Underlined(description), (Words{"brwn", "ovr"}));

    const QTextLayout::FormatRange range =
        description->document()->begin().layout()->formats().first();
    EXPECT_EQ(range.format.underlineStyle(), QTextCharFormat::SpellCheckUnderline);
    EXPECT_EQ(range.format.underlineColor(), QColor(Qt::red));
}

TEST_F(SpellCheckerTest, ChecksWhatIsTyped) {
    TypeInto(title, QString(), QStringLiteral("the wrld"));
    EXPECT_EQ(Underlined(title), Words{"wrld"});
    QTest::keyClicks(title, QStringLiteral("x"));
    EXPECT_EQ(Underlined(title), Words{"wrldx"});
}

TEST_F(SpellCheckerTest, LiveOffUnderlinesNothingAndOnAgainRechecks) {
    description->SetText(QStringLiteral("teh feed"));
    title->SetText(QStringLiteral("wrld"));
    ChangeOptions([](TSpellOptions& o) { o.Live = false; });
    EXPECT_TRUE(Underlined(description).empty());
    EXPECT_TRUE(Underlined(title).empty());
    ChangeOptions(NoChange);
    EXPECT_EQ(Underlined(description), Words{"teh"});
    EXPECT_EQ(Underlined(title), Words{"wrld"});
}

TEST_F(SpellCheckerTest, NewOptionsRecheckEveryFieldWithoutAnEdit) {
    description->SetText(QStringLiteral("NASA feeds"));
    title->SetText(QStringLiteral("mp3 feeds"));
    EXPECT_TRUE(Underlined(description).empty());
    ChangeOptions([](TSpellOptions& o) {
        o.IgnoreUpper = false;
        o.IgnoreNumbers = false;
    });
    EXPECT_EQ(Underlined(description), Words{"NASA"});
    EXPECT_EQ(Underlined(title), Words{"mp3"});
}

// Main window fields mark the feed changed on a change of their text; checking
// again must not look like one.
TEST_F(SpellCheckerTest, RecheckingIsNoChangeOfText) {
    description->SetText(QStringLiteral("teh feed"));
    QSignalSpy textChanges(description, &QTextEdit::textChanged);
    ChangeOptions([](TSpellOptions& o) { o.IgnoreUpper = false; });
    ASSERT_TRUE(checker.LoadDictionary(kTestDictionary));
    EXPECT_EQ(textChanges.count(), 0);
    EXPECT_FALSE(description->document()->isModified());
    EXPECT_FALSE(description->document()->isUndoAvailable());
    EXPECT_EQ(Underlined(description), Words{"teh"});
    checker.Detach(description);
    EXPECT_EQ(textChanges.count(), 0);
}

TEST_F(SpellCheckerTest, FieldHoldingTextIsCheckedAsItIsAttached) {
    TRichField field(window.get());
    field.SetText(QStringLiteral("teh feed<br>\r\nwrld"));
    QSignalSpy textChanges(&field, &QTextEdit::textChanged);
    checker.Attach(&field);
    EXPECT_EQ(Underlined(&field), (Words{"teh", "wrld"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(textChanges.count(), 0);
    EXPECT_EQ(Underlined(&field), (Words{"teh", "wrld"}));
}

TEST_F(SpellCheckerTest, MissingDictionaryTurnsCheckingOffQuietly) {
    description->SetText(QStringLiteral("teh feed"));
    ASSERT_EQ(Underlined(description), Words{"teh"});
    for (const QString& name : {QStringLiteral("nosuch.dic"), QStringLiteral("american.adm"),
                                kDataDir + QStringLiteral("nosuch.dic")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(checker.LoadDictionary(name));
        EXPECT_FALSE(checker.HasDictionary());
        EXPECT_TRUE(checker.DictionaryPath().isEmpty());
        EXPECT_TRUE(Underlined(description).empty());
        EXPECT_FALSE(checker.IsMisspelled(QStringLiteral("teh")));
        EXPECT_TRUE(checker.Suggestions(QStringLiteral("teh")).isEmpty());
        TypeInto(title, QString(), QStringLiteral("teh "));
        EXPECT_EQ(Utf8(title->Text()), "teh ");
    }
}

TEST_F(SpellCheckerTest, DetachedFieldLosesItsUnderlinesAndCorrections) {
    description->SetText(QStringLiteral("teh feed"));
    checker.Detach(description);
    EXPECT_FALSE(checker.IsAttached(description));
    EXPECT_TRUE(checker.IsAttached(title));
    EXPECT_TRUE(Underlined(description).empty());
    TypeInto(description, QString(), QStringLiteral("teh "));
    EXPECT_EQ(Utf8(description->Text()), "teh ");
    EXPECT_TRUE(Underlined(description).empty());
}

TEST_F(SpellCheckerTest, AttachingTwiceChecksOnce) {
    checker.Attach(title);
    title->SetText(QStringLiteral("wrld"));
    EXPECT_EQ(Underlined(title), Words{"wrld"});
    checker.Detach(title);
    EXPECT_FALSE(checker.IsAttached(title));
    EXPECT_TRUE(Underlined(title).empty());
}

TEST_F(SpellCheckerTest, FieldsAndCheckerMayGoInEitherOrder) {
    delete title;
    title = nullptr;
    EXPECT_FALSE(checker.IsAttached(nullptr));
    ChangeOptions([](TSpellOptions& o) { o.IgnoreUpper = false; });

    auto early = std::make_unique<TSpellChecker>();
    ASSERT_TRUE(early->LoadDictionary(kTestDictionary));
    TRichField field;
    early->Attach(&field);
    field.SetText(QStringLiteral("wrld"));
    ASSERT_EQ(Underlined(&field), Words{"wrld"});
    early.reset();
    EXPECT_TRUE(Underlined(&field).empty());
    field.moveCursor(QTextCursor::End);
    QTest::keyClicks(&field, QStringLiteral("teh "));
    EXPECT_EQ(Utf8(field.Text()), "wrldteh ");
}

// ---- What is checked --------------------------------------------------------

struct ParagraphCase {
    std::string name;
    OptionChange options;  // applied to the defaults, where every ignore option is on
    QString text;
    Words misspelled;
};

void PrintTo(const ParagraphCase& c, std::ostream* os) {
    *os << c.name;
}

class SpellParagraphTest : public SpellCheckerTest,
                           public testing::WithParamInterface<ParagraphCase> {};

TEST_P(SpellParagraphTest, UnderlinesTheMisspelledWords) {
    const ParagraphCase& c = GetParam();
    ChangeOptions(c.options);
    EXPECT_EQ(WordsAt(c.text, checker.Misspellings(c.text)), c.misspelled);
    description->SetText(c.text);
    EXPECT_EQ(Underlined(description), c.misspelled);
}

const auto kAllIgnoresOff = [](TSpellOptions& o) {
    o.IgnoreUpper = o.IgnoreNumbers = o.IgnoreInternet = o.IgnoreQuoted = o.IgnoreAbbreviations =
        false;
};

INSTANTIATE_TEST_SUITE_P(
    Spell, SpellParagraphTest,
    testing::ValuesIn(std::vector<ParagraphCase>{
        {"CorrectWords", NoChange, "The quick brown fox jumps over the lazy dog", {}},
        {"MisspelledWords", NoChange, "The quikc brown fxo", {"quikc", "fxo"}},
        {"SuffixOfTheDictionary", NoChange, "feeds titles feedz", {"feedz"}},
        {"UpperIgnored", NoChange, "NASA and THE feeds", {}},
        {"UpperChecked",
         [](TSpellOptions& o) { o.IgnoreUpper = false; },
         "NASA and THE feeds",
         {"NASA"}},
        {"NumbersIgnored", NoChange, "mp3 feeds in 2024", {}},
        {"NumbersChecked",
         [](TSpellOptions& o) { o.IgnoreNumbers = false; },
         "mp3 feeds in 2024",
         {"mp3"}},
        {"InternetIgnored",
         NoChange,
         "see http://exampel.info/pth or me@exampel.info or www.exampel.info",
         {}},
        {"InternetChecked",
         [](TSpellOptions& o) { o.IgnoreInternet = false; },
         "see http://exampel.info/pth or me@exampel.info",
         {"http", "exampel", "info", "pth", "me", "exampel", "info"}},
        {"AtWithoutDotIsNoAddress", NoChange, "wrld@home", {"wrld", "home"}},
        {"QuotedIgnored", NoChange, "he said \"teh wrld\" and 'quikc fxo' here", {}},
        {"TypographicQuotesIgnored",
         NoChange,
         "he said \u201cteh\u201d and \u2018wrld\u2019 and \u00abfxo\u00bb",
         {}},
        {"QuotedChecked",
         [](TSpellOptions& o) { o.IgnoreQuoted = false; },
         "he said \"teh wrld\" and 'quikc fxo' here",
         {"teh", "wrld", "quikc", "fxo"}},
        {"UnclosedQuoteQuotesNothing", NoChange, "he said \"teh wrld", {"teh", "wrld"}},
        {"ApostrophesQuoteNothing", NoChange, "the dogs' feed and 'teh", {"teh"}},
        {"QuotesInsideTagsDoNotCount", NoChange, "<a href=\"x\">teh</a> said \"wrld\"", {"teh"}},
        {"AbbreviationsIgnored", NoChange, "Dept. and e.g. Ph.D. more teh.", {"teh"}},
        {"AbbreviationsChecked",
         [](TSpellOptions& o) { o.IgnoreAbbreviations = false; },
         "Dept. and e.g. Ph.D. more teh.",
         {"Dept", "e", "g", "Ph", "teh"}},
        {"DictionaryKnowsThePeriod", kAllIgnoresOff, "etc. and etc", {"etc"}},
        {"TagsAndReferencesSkipped",
         kAllIgnoresOff,
         "<a href=\"http://exampel.info\" title='wrld'>the feed</a> &amp; &nbsp; &#233; &#xE9; "
         "teh<br />",
         {"teh"}},
        {"LoneAngleBracketsAreText", NoChange, "teh < wrld and <fxo", {"teh", "wrld", "fxo"}},
        {"UnknownReferenceIsText", NoChange, "&wrld feed &amp", {"wrld", "amp"}},
        {"Utf8Words", NoChange, "caf\u00e9 na\u00efve cafe", {"cafe"}},
        {"DecomposedAccents", NoChange, "cafe\u0301 feed", {}},
        {"TypographicApostrophe", NoChange, "don\u2019t don't teh", {"teh"}},
        {"OverlongRunNotChecked", NoChange, QString(120, QLatin1Char('x')) + " teh", {"teh"}},
    }),
    [](const auto& info) { return info.param.name; });

struct WordCase {
    std::string name;
    QString text;
    bool misspelled;
};

TEST_F(SpellCheckerTest, IsMisspelledAppliesTheIgnoreRules) {
    const std::vector<WordCase> cases = {
        {"Misspelled", "teh", true},
        {"Correct", "the", false},
        {"Capitalised", "The", false},
        {"KnownWithPeriod", "etc.", false},
        {"Quoted", "\"teh\"", false},
        {"Upper", "NASA", false},
        {"Address", "www.teh.info", false},
        {"Empty", "", false},
        {"NoLetters", "2024", false},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(checker.IsMisspelled(c.text), c.misspelled);
    }
}

TEST_F(SpellCheckerTest, SuggestsFromTheDictionary) {
    EXPECT_EQ(Utf8(checker.Suggestions(QStringLiteral("teh")).value(0)), "the");
    EXPECT_TRUE(checker.Suggestions(QStringLiteral("cafe")).contains(QStringLiteral("caf\u00e9")));
    EXPECT_TRUE(checker.Suggestions(QString()).isEmpty());
}

// The same words in a dictionary kept in ISO 8859-1: words go to it and
// suggestions come back in its encoding.
TEST_F(SpellCheckerTest, EightBitDictionary) {
    ASSERT_TRUE(checker.LoadDictionary(kLatin1Dictionary));
    const QString text = QStringLiteral("caf\u00e9 na\u00efve cafe \u03a9mega");
    EXPECT_EQ(WordsAt(text, checker.Misspellings(text)), (Words{"cafe", "\u03a9mega"}));
    EXPECT_TRUE(checker.Suggestions(QStringLiteral("cafe")).contains(QStringLiteral("caf\u00e9")));
    TypeInto(title, QStringLiteral("caf\u00e9"), QStringLiteral("s teh "));
    EXPECT_EQ(Utf8(title->Text()), "caf\u00e9s the ");
}

// ISO 8859-15 goes through the system's conversion rather than Qt's own.
TEST_F(SpellCheckerTest, OtherEightBitEncoding) {
    ASSERT_TRUE(checker.LoadDictionary(kDataDir + QStringLiteral("latin9.dic")));
    const QString text = QStringLiteral("c\u0153ur feed coeur \u03a9mega");
    EXPECT_EQ(WordsAt(text, checker.Misspellings(text)), (Words{"coeur", "\u03a9mega"}));
    EXPECT_EQ(Utf8(checker.Suggestions(QStringLiteral("c\u0153r")).value(0)), "c\u0153ur");
}

// ---- Finding dictionaries ---------------------------------------------------

class SpellDictionaryFolderTest : public SpellCheckerTest {
protected:
    void SetUp() override {
        SpellCheckerTest::SetUp();
        ASSERT_TRUE(programFolder.isValid());
        const QString folder = programFolder.path() + QStringLiteral("/Dictionaries/");
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QFile::copy(kDataDir + "test.dic", folder + "en_US.dic"));
        ASSERT_TRUE(QFile::copy(kDataDir + "test.aff", folder + "en_US.aff"));
        ASSERT_TRUE(QFile::copy(kDataDir + "test.dic", folder + "lonely.dic"));
        core::SetProgramFolder(programFolder.path().toStdString());
    }

    QString Local(const QString& name) const {
        return QDir(programFolder.path() + "/Dictionaries").absoluteFilePath(name);
    }

    QTemporaryDir programFolder;
};

TEST_F(SpellDictionaryFolderTest, ProgramFolderComesFirst) {
    EXPECT_EQ(Utf8(TSpellChecker::DictionaryFolders().value(0)),
              Utf8(programFolder.path() + QStringLiteral("/Dictionaries/")));
    for (const QString& name : {QStringLiteral("en_US.dic"), QStringLiteral("en_US"), QString()}) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(checker.LoadDictionary(name));
        EXPECT_EQ(Utf8(checker.DictionaryPath()), Utf8(Local("en_US.dic")));
        // Only our small dictionary lacks this word.
        EXPECT_TRUE(checker.IsMisspelled(QStringLiteral("receive")));
    }
}

TEST_F(SpellDictionaryFolderTest, DictionaryNeedsItsAffixFile) {
    EXPECT_FALSE(checker.LoadDictionary(QStringLiteral("lonely.dic")));
    const QStringList names = TSpellChecker::DictionaryNames();
    EXPECT_TRUE(names.contains(QStringLiteral("en_US.dic")));
    EXPECT_FALSE(names.contains(QStringLiteral("lonely.dic")));
}

TEST_F(SpellDictionaryFolderTest, SettingsGiveDictionaryAndOptions) {
    core::TProgramSettings settings;
    settings.SpellDictionary = "en_US.dic";
    settings.SpellIgnoreUpper = false;
    EXPECT_FALSE(checker.LoadDictionary(QStringLiteral("nosuch.dic")));
    description->SetText(QStringLiteral("NASA feeds"));
    checker.ApplySettings(settings);
    EXPECT_EQ(Utf8(checker.DictionaryPath()), Utf8(Local("en_US.dic")));
    EXPECT_FALSE(checker.Options().IgnoreUpper);
    EXPECT_EQ(Underlined(description), Words{"NASA"});

    settings.SpellEnableLive = false;
    checker.ApplySettings(settings);
    EXPECT_TRUE(Underlined(description).empty());
}

TEST(SpellOptions, EachSettingSetsItsOwnOption) {
    struct Link {
        std::string name;
        bool core::TProgramSettings::*setting;
        bool TSpellOptions::*option;
    };
    using S = core::TProgramSettings;
    using O = TSpellOptions;
    const std::vector<Link> links = {
        {"Live", &S::SpellEnableLive, &O::Live},
        {"Upper", &S::SpellIgnoreUpper, &O::IgnoreUpper},
        {"Numbers", &S::SpellIgnoreNumber, &O::IgnoreNumbers},
        {"Internet", &S::SpellIgnoreInternet, &O::IgnoreInternet},
        {"Quoted", &S::SpellIgnoreQuoted, &O::IgnoreQuoted},
        {"Abbreviations", &S::SpellIgnoreAbbr, &O::IgnoreAbbreviations},
        {"AutoCorrect", &S::SpellAutoCorrect, &O::AutoCorrect},
        {"AutoCorrectCaps", &S::SpellAutoCorrectCaps, &O::AutoCorrectCaps},
    };
    for (const Link& link : links) {
        SCOPED_TRACE(link.name);
        core::TProgramSettings settings;
        settings.*link.setting = false;
        TSpellOptions expected;
        expected.*link.option = false;
        EXPECT_EQ(TSpellOptions::FromSettings(settings), expected);
    }
}

// ---- Corrections while typing -----------------------------------------------

struct TypingCase {
    std::string name;
    OptionChange options;
    QString before;
    QString keys;
    QString after;
};

void PrintTo(const TypingCase& c, std::ostream* os) {
    *os << c.name;
}

class SpellTypingTest : public SpellCheckerTest, public testing::WithParamInterface<TypingCase> {};

TEST_P(SpellTypingTest, CorrectsTheWordJustFinished) {
    const TypingCase& c = GetParam();
    ChangeOptions(c.options);
    TypeInto(title, c.before, c.keys);
    EXPECT_EQ(Utf8(title->Text()), Utf8(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Spell, SpellTypingTest,
    testing::ValuesIn(std::vector<TypingCase>{
        {"DualCapitals", NoChange, "", "THis ", "This "},
        {"DualCapitalsOff", [](TSpellOptions& o) { o.AutoCorrectCaps = false; }, "", "THis ",
         "THis "},
        {"DualCapitalsKnownAsTyped", NoChange, "", "PCs and IDs ", "PCs and IDs "},
        {"DualCapitalsNeedALowerCaseLetter", NoChange, "", "NASA ", "NASA "},
        {"Transposition", NoChange, "", "teh ", "the "},
        {"TranspositionCapitalised", NoChange, "", "Teh,", "The,"},
        {"TranspositionWithPeriod", NoChange, "", "teh.", "the."},
        {"ShortCapitalisedWordWithPeriodIsAnAbbreviation", NoChange, "", "Teh.", "Teh."},
        {"TranspositionAtTheStart", NoChange, "", "hte,", "the,"},
        {"TranspositionOff", [](TSpellOptions& o) { o.AutoCorrect = false; }, "", "teh ", "teh "},
        {"BothCorrections", NoChange, "", "TEh ", "The "},
        {"OtherSuggestionsLeftAlone", NoChange, "", "wrld ", "wrld "},
        {"LiveOffCorrectsNothing", [](TSpellOptions& o) { o.Live = false; }, "", "teh THis ",
         "teh THis "},
        {"WordIsNotFinishedByApostrophe", NoChange, "", "teh'", "teh'"},
        {"OnlyTheWordBeforeTheCaret", NoChange, "teh ", "feed ", "teh feed "},
        {"TypingGoesOnAfterTheCorrection", NoChange, "", "teh feed", "the feed"},
        {"InsideAnOpenTag", NoChange, "", "<teh ", "<teh "},
        {"InsideAnOpenQuote", NoChange, "", "\"teh ", "\"teh "},
        {"OpenQuoteCheckedWhenQuotesAreNot", [](TSpellOptions& o) { o.IgnoreQuoted = false; }, "",
         "\"teh ", "\"the "},
        {"InsideAnAddress", NoChange, "", "www.teh.", "www.teh."},
        {"MailAddressBeingTyped", NoChange, "", "teh@exampel.info ", "teh@exampel.info "},
        {"MailAddressCheckedWhenAddressesAreNot",
         [](TSpellOptions& o) { o.IgnoreInternet = false; }, "", "teh@", "the@"},
        {"Abbreviation", NoChange, "", "THe.", "The."},
    }),
    [](const auto& info) { return info.param.name; });

// One undo gives back the word as it was typed, before the key that finished
// it; the typing before stays.
TEST_F(SpellCheckerTest, OneUndoTakesBackTheCorrection) {
    TypeInto(title, QStringLiteral("feed "), QStringLiteral("TEh "));
    ASSERT_EQ(Utf8(title->Text()), "feed The ");
    title->undo();
    EXPECT_EQ(Utf8(title->Text()), "feed TEh");
    title->undo();
    EXPECT_EQ(Utf8(title->Text()), "feed ");
}

TEST_F(SpellCheckerTest, EnterFinishesTheWordBeforeTheFieldSeesIt) {
    TypeInto(description, QString(), QStringLiteral("teh"));
    QTest::keyClick(description, Qt::Key_Return);
    EXPECT_EQ(Utf8(description->Text()), "the<br>\r\n");

    Words committed;
    const auto connection = QObject::connect(title, &TRichField::Exited,
                                             [&] { committed.push_back(Utf8(title->Text())); });
    TypeInto(title, QString(), QStringLiteral("feed THis"));
    QTest::keyClick(title, Qt::Key_Return);
    QObject::disconnect(connection);
    EXPECT_EQ(committed, Words{"feed This"});
}

TEST_F(SpellCheckerTest, PasteIsNotCorrected) {
    QApplication::clipboard()->setText(QStringLiteral("teh THis "));
    title->setFocus(Qt::OtherFocusReason);
    title->paste();
    EXPECT_EQ(Utf8(title->Text()), "teh THis ");
    EXPECT_EQ(Underlined(title), (Words{"teh", "THis"}));
}

}  // namespace
