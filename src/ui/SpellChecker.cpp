#include "ui/SpellChecker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSet>
#include <QSignalBlocker>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <hunspell.hxx>
#include <iconv.h>

#include <optional>
#include <string>

#include "core/ProgramFolder.h"
#include "core/ProgramSettings.h"
#include "ui/TextField.h"

namespace {

// Hunspell refuses longer words outright; such a run of letters is an
// identifier or encoded data, not a word anyone misspelled.
constexpr int kMaxWordLength = 99;
// The verdicts kept before the cache starts afresh.
constexpr int kMaxKnownWords = 100000;

// ---- Dictionary encodings ---------------------------------------------------

// Hunspell's names for 8-bit encodings as iconv knows them.
QByteArray IconvName(const std::string& hunspellName) {
    QByteArray name = QByteArray::fromStdString(hunspellName).trimmed().toUpper();
    if (name.startsWith("MICROSOFT-")) name = name.mid(10);  // "microsoft-cp1251"
    if (name.startsWith("ISO8859")) name = "ISO-8859" + name.mid(7);
    if (name == "TIS620-2533") name = "TIS-620";
    return name;
}

class TIconv {
public:
    TIconv(const QByteArray& to, const QByteArray& from)
        : m_handle(iconv_open(to.constData(), from.constData())) {}
    ~TIconv() {
        if (IsOpen()) iconv_close(m_handle);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    bool IsOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // `text` converted, or nothing when a character has no place in the
    // target encoding.
    std::optional<std::string> Convert(const std::string& text) const {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        std::string out(text.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(text.data());
        size_t inLeft = text.size();
        char* outNext = out.data();
        size_t outLeft = out.size();
        if (iconv(m_handle, &in, &inLeft, &outNext, &outLeft) == static_cast<size_t>(-1))
            return std::nullopt;
        if (iconv(m_handle, nullptr, nullptr, &outNext, &outLeft) == static_cast<size_t>(-1))
            return std::nullopt;
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    iconv_t m_handle;
};

// ---- Paragraph scan ---------------------------------------------------------

struct TSpan {
    int Start = 0;
    int End = 0;
};

bool IsApostrophe(QChar c) {
    return c == u'\'' || c == u'\u2019';
}

bool IsDoubleQuote(QChar c) {
    return c == u'"' || c == u'\u201c' || c == u'\u201d' || c == u'\u201e' || c == u'\u00ab' ||
           c == u'\u00bb';
}

bool IsTagStart(QChar c) {
    return c.isLetter() || c == u'/' || c == u'!' || c == u'?';
}

// What a word is made of; the marks are the combining accents of text typed
// in decomposed form.
bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c.isMark();
}

// The end of the character reference starting at `at` ("&amp;", "&#233;",
// "&#xE9;"), or -1 when none starts there.
int ReferenceEnd(const QString& text, int at) {
    const int n = static_cast<int>(text.size());
    int i = at + 1;
    if (i < n && text[i] == u'#') {
        ++i;
        const bool hex = i < n && (text[i] == u'x' || text[i] == u'X');
        if (hex) ++i;
        const int digitsStart = i;
        const auto isDigit = [hex](QChar c) {
            const char16_t u = c.unicode();
            return (u >= u'0' && u <= u'9') ||
                   (hex && ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')));
        };
        while (i < n && i - digitsStart < 8 && isDigit(text[i])) ++i;
        if (i == digitsStart) return -1;
    } else {
        if (i >= n || !text[i].isLetter() || text[i].unicode() > 127) return -1;
        const int nameStart = i;
        while (i < n && i - nameStart < 32 && text[i].unicode() < 128 && text[i].isLetterOrNumber())
            ++i;
    }
    return i < n && text[i] == u';' ? i + 1 : -1;
}

// One paragraph taken apart for checking: where its markup, words, addresses
// and quotations are. While typing, a tag or quotation that is still open
// reaches to the end of the text, since its close is yet to be typed.
class TParagraphScan {
public:
    TParagraphScan(const QString& text, const TSpellOptions& options, bool typing)
        : m_text(text), m_kind(text.size(), Kind::Text) {
        MarkMarkup(typing);
        FindWords();
        if (options.IgnoreInternet) MarkAddresses(typing);
        if (options.IgnoreQuoted) {
            m_quoted.assign(text.size(), false);
            MarkDoubleQuotes(typing);
            MarkSingleQuotes(typing);
        }
    }

    const std::vector<TSpan>& Words() const { return m_words; }
    bool InAddress(int at) const { return !m_address.empty() && m_address[at]; }
    bool InQuote(int at) const { return !m_quoted.empty() && m_quoted[at]; }

private:
    enum class Kind : char { Text, Tag, Reference };

    int Size() const { return static_cast<int>(m_text.size()); }
    bool IsText(int at) const { return at >= 0 && at < Size() && m_kind[at] == Kind::Text; }

    void Mark(std::vector<bool>& mask, int start, int end) {
        for (int i = start; i < end; ++i) mask[i] = true;
    }

    // A tag is "<" and a name start up to the next ">", with no "<" between.
    void MarkMarkup(bool typing) {
        const int n = Size();
        for (int i = 0; i < n; ++i) {
            if (m_text[i] == u'<' && i + 1 < n && IsTagStart(m_text[i + 1])) {
                int j = i + 1;
                while (j < n && m_text[j] != u'>' && m_text[j] != u'<') ++j;
                if (j < n && m_text[j] == u'>') {
                    std::fill(m_kind.begin() + i, m_kind.begin() + j + 1, Kind::Tag);
                    i = j;
                } else if (j == n && typing) {
                    std::fill(m_kind.begin() + i, m_kind.end(), Kind::Tag);
                    return;
                }
            } else if (m_text[i] == u'&') {
                const int end = ReferenceEnd(m_text, i);
                if (end > 0) {
                    std::fill(m_kind.begin() + i, m_kind.begin() + end, Kind::Reference);
                    i = end - 1;
                }
            }
        }
    }

    void FindWords() {
        const int n = Size();
        int i = 0;
        while (i < n) {
            if (!IsText(i) || !IsWordChar(m_text[i]) || m_text[i].isMark()) {
                ++i;
                continue;
            }
            int j = i + 1;
            while (IsText(j)) {
                if (IsWordChar(m_text[j])) {
                    ++j;
                } else if (IsApostrophe(m_text[j]) && m_text[j - 1].isLetter() && IsText(j + 1) &&
                           m_text[j + 1].isLetter()) {
                    j += 2;
                } else {
                    break;
                }
            }
            m_words.push_back({i, j});
            i = j;
        }
    }

    // Runs of characters between blanks and tags that name a web or mail
    // address.
    void MarkAddresses(bool typing) {
        m_address.assign(m_text.size(), false);
        const int n = Size();
        int i = 0;
        while (i < n) {
            if (m_kind[i] == Kind::Tag || m_text[i].isSpace()) {
                ++i;
                continue;
            }
            int j = i;
            while (j < n && m_kind[j] != Kind::Tag && !m_text[j].isSpace()) ++j;
            if (IsAddress(QStringView(m_text).mid(i, j - i), typing)) Mark(m_address, i, j);
            i = j;
        }
    }

    // While typing, the domain of a mail address is yet to come: the name
    // before an "@" just typed is already part of one.
    static bool IsAddress(QStringView run, bool typing) {
        if (run.contains(u"://") || run.contains(u"www.", Qt::CaseInsensitive)) return true;
        const qsizetype at = run.indexOf(u'@');
        if (at <= 0) return false;
        if (typing) return true;
        const qsizetype dot = run.indexOf(u'.', at + 2);
        return dot > 0 && dot + 1 < run.size() && run[dot + 1].isLetterOrNumber();
    }

    // Double quotes pair up in order, whichever way they face.
    void MarkDoubleQuotes(bool typing) {
        int open = -1;
        for (int i = 0; i < Size(); ++i) {
            if (!IsText(i) || !IsDoubleQuote(m_text[i])) continue;
            if (open < 0) {
                open = i;
            } else {
                Mark(m_quoted, open, i + 1);
                open = -1;
            }
        }
        if (open >= 0 && typing) Mark(m_quoted, open, Size());
    }

    // A single quote opens at the start of a word and closes at the end of
    // one; an apostrophe inside a word does neither.
    void MarkSingleQuotes(bool typing) {
        int open = -1;
        for (int i = 0; i < Size(); ++i) {
            const QChar c = m_text[i];
            if (!IsText(i) || (c != u'\'' && c != u'\u2018' && c != u'\u2019')) continue;
            const bool wordBefore = i > 0 && IsWordChar(m_text[i - 1]);
            const bool wordAfter = i + 1 < Size() && IsWordChar(m_text[i + 1]);
            if (open < 0) {
                if (c != u'\u2019' && !wordBefore && wordAfter) open = i;
            } else if (c != u'\u2018' && i > 0 && !m_text[i - 1].isSpace() && !wordAfter) {
                Mark(m_quoted, open, i + 1);
                open = -1;
            }
        }
        if (open >= 0 && typing) Mark(m_quoted, open, Size());
    }

    const QString& m_text;
    std::vector<Kind> m_kind;
    std::vector<TSpan> m_words;
    std::vector<bool> m_address;
    std::vector<bool> m_quoted;
};

// A word followed by a period that reads as an abbreviation: short and
// capitalised or all capitals ("Inc.", "Dept.", "USA.", but not "THe."), or
// one part of a dotted one ("e.g.", "Ph.D.").
bool LooksAbbreviated(const QString& text, TSpan word) {
    const int length = word.End - word.Start;
    const QStringView view = QStringView(text).mid(word.Start, length);
    const QStringView rest = view.mid(1);
    const auto all = [rest](bool (QChar::*test)() const) {
        return std::all_of(rest.begin(), rest.end(), [test](QChar c) { return (c.*test)(); });
    };
    if (length <= 4 && view[0].isUpper() && (all(&QChar::isLower) || all(&QChar::isUpper)))
        return true;
    if (length > 3) return false;
    const bool partFollows = word.End + 1 < text.size() && text[word.End + 1].isLetter();
    const bool partBefore =
        word.Start >= 2 && text[word.Start - 1] == u'.' && text[word.Start - 2].isLetter();
    return partFollows || partBefore;
}

// How a word is looked up, if at all.
struct TLookup {
    bool Checked = false;
    bool WithPeriod = false;  // the dictionary may know it with its period
};

TLookup LookupOf(const QString& text, const TParagraphScan& scan, TSpan word,
                 const TSpellOptions& options) {
    const QStringView view = QStringView(text).mid(word.Start, word.End - word.Start);
    if (view.size() > kMaxWordLength) return {};
    bool letter = false, digit = false, lower = false, upper = false;
    for (const QChar c : view) {
        if (c.isLetter()) {
            letter = true;
            lower = lower || c.isLower();
            upper = upper || c.isUpper();
        } else if (c.isNumber()) {
            digit = true;
        }
    }
    if (!letter) return {};
    if (options.IgnoreInternet && scan.InAddress(word.Start)) return {};
    if (options.IgnoreQuoted && scan.InQuote(word.Start)) return {};
    if (options.IgnoreNumbers && digit) return {};
    if (options.IgnoreUpper && upper && !lower) return {};
    const bool period = word.End < text.size() && text[word.End] == u'.';
    if (period && options.IgnoreAbbreviations && LooksAbbreviated(text, word)) return {};
    return {true, period};
}

// The text given to the dictionary: composed characters, as dictionaries
// store them.
QString LookupText(QStringView word, bool withPeriod) {
    QString text = word.toString().normalized(QString::NormalizationForm_C);
    if (withPeriod) text += u'.';
    return text;
}

// "THis": two capitals, then lower-case letters only.
bool HasDualCapitals(const QString& word) {
    if (word.size() < 3 || !word[0].isUpper() || !word[1].isUpper()) return false;
    bool lower = false;
    for (qsizetype i = 2; i < word.size(); ++i) {
        const QChar c = word[i];
        if (c.isLower()) {
            lower = true;
        } else if (!c.isMark() && !IsApostrophe(c)) {
            return false;
        }
    }
    return lower;
}

// Whether `b` is `a` with two neighbouring characters swapped.
bool IsAdjacentSwap(const QString& a, const QString& b) {
    if (a.size() != b.size() || a == b) return false;
    qsizetype i = 0;
    while (a[i] == b[i]) ++i;
    if (i + 1 >= a.size() || a[i] != b[i + 1] || a[i + 1] != b[i]) return false;
    return QStringView(a).mid(i + 2) == QStringView(b).mid(i + 2);
}

// A typed character that finishes the word before it.
bool EndsWord(QChar c) {
    if (c == u'\t') return false;  // moves the focus in these fields
    if (IsApostrophe(c)) return false;
    return c.isSpace() || c.isPunct() || c.isSymbol();
}

// A red wavy underline.
QTextCharFormat SpellingFormat() {
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

// Underlines what the checker finds misspelled in a paragraph as it is edited.
class TSpellHighlighter final : public QSyntaxHighlighter {
public:
    TSpellHighlighter(const TSpellChecker& checker, QTextDocument* document)
        : QSyntaxHighlighter(document), m_checker(checker), m_format(SpellingFormat()) {}

protected:
    void highlightBlock(const QString& text) override {
        if (!m_checker.Options().Live || !m_checker.HasDictionary()) return;
        for (const TSpellRange& range : m_checker.Misspellings(text))
            setFormat(range.Start, range.Length, m_format);
    }

private:
    const TSpellChecker& m_checker;
    const QTextCharFormat m_format;
};

// Underlines every paragraph of `document` anew and lays it out once.
// QSyntaxHighlighter::rehighlight lays the document out again for every
// paragraph (seconds for a description of a few thousand lines) and reports
// the new underlines as a change of text to the field's listeners. The
// formats set here are the ones the highlighter sets, so it takes over from
// them as paragraphs are edited.
void UnderlineAll(const TSpellChecker& checker, QTextDocument* document) {
    const bool active = checker.Options().Live && checker.HasDictionary();
    const QTextCharFormat format = SpellingFormat();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QTextLayout* layout = block.layout();
        QList<QTextLayout::FormatRange> ranges;
        if (active) {
            // Text being composed by an input method sits inside the paragraph
            // without being part of its text.
            const int preeditStart = layout->preeditAreaPosition();
            const int preeditLength = static_cast<int>(layout->preeditAreaText().size());
            for (const TSpellRange& range : checker.Misspellings(block.text())) {
                QTextLayout::FormatRange formatRange{range.Start, range.Length, format};
                if (preeditLength > 0 && formatRange.start >= preeditStart)
                    formatRange.start += preeditLength;
                else if (preeditLength > 0 &&
                         formatRange.start + formatRange.length >= preeditStart)
                    formatRange.length += preeditLength;
                ranges.append(formatRange);
            }
        }
        if (!ranges.isEmpty() || !layout->formats().isEmpty()) layout->setFormats(ranges);
    }
    const QSignalBlocker blocker(document);
    document->markContentsDirty(0, document->characterCount());
}

// The ".aff" file beside a ".dic" file.
QString AffixPathOf(const QFileInfo& dic) {
    return dic.absolutePath() + u'/' + dic.completeBaseName() + QStringLiteral(".aff");
}

bool IsReadableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

// A highlighter clears its formats from the document as it goes (reporting
// that as a change of text), but leaves the field showing them until
// something else repaints it.
void RemoveHighlighter(QSyntaxHighlighter* highlighter) {
    if (!highlighter) return;
    QTextDocument* document = highlighter->document();
    const QSignalBlocker blocker(document);
    delete highlighter;
    document->markContentsDirty(0, document->characterCount());
}

}  // namespace

// ---- The dictionary ---------------------------------------------------------

// A Hunspell dictionary and the conversions to and from its encoding.
class TSpellChecker::TDictionary {
public:
    // The dictionary of the pair, or null when its encoding cannot be used.
    static std::unique_ptr<TDictionary> Open(const QString& affPath, const QString& dicPath) {
        auto dictionary = std::unique_ptr<TDictionary>(new TDictionary(affPath, dicPath));
        return dictionary->IsUsable() ? std::move(dictionary) : nullptr;
    }

    bool Spell(const QString& word) const {
        const std::optional<std::string> encoded = Encode(word);
        // A character the dictionary's encoding lacks is in none of its words.
        return encoded && m_hunspell.spell(*encoded);
    }

    QStringList Suggest(const QString& word) const {
        QStringList suggestions;
        const std::optional<std::string> encoded = Encode(word);
        if (!encoded) return suggestions;
        for (const std::string& suggestion : m_hunspell.suggest(*encoded)) {
            const QString decoded = Decode(suggestion);
            if (!decoded.isEmpty()) suggestions.append(decoded);
        }
        return suggestions;
    }

private:
    enum class Encoding { Utf8, Latin1, Other };

    TDictionary(const QString& affPath, const QString& dicPath)
        : m_hunspell(QFile::encodeName(affPath).constData(),
                     QFile::encodeName(dicPath).constData()) {
        const QByteArray name = IconvName(m_hunspell.get_dict_encoding());
        if (name == "UTF-8" || name == "UTF8") {
            m_encoding = Encoding::Utf8;
        } else if (name == "ISO-8859-1" || name == "LATIN1") {
            m_encoding = Encoding::Latin1;
        } else {
            m_encoding = Encoding::Other;
            m_toDictionary = std::make_unique<TIconv>(name, "UTF-8");
            m_fromDictionary = std::make_unique<TIconv>("UTF-8", name);
        }
    }

    bool IsUsable() const {
        return m_encoding != Encoding::Other ||
               (m_toDictionary->IsOpen() && m_fromDictionary->IsOpen());
    }

    std::optional<std::string> Encode(const QString& word) const {
        switch (m_encoding) {
            case Encoding::Utf8: return word.toStdString();
            case Encoding::Latin1:
                for (const QChar c : word)
                    if (c.unicode() > 0xff) return std::nullopt;
                return word.toLatin1().toStdString();
            case Encoding::Other: return m_toDictionary->Convert(word.toStdString());
        }
        return std::nullopt;
    }

    QString Decode(const std::string& text) const {
        switch (m_encoding) {
            case Encoding::Utf8: return QString::fromStdString(text);
            case Encoding::Latin1:
                return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
            case Encoding::Other: {
                const std::optional<std::string> decoded = m_fromDictionary->Convert(text);
                return decoded ? QString::fromStdString(*decoded) : QString();
            }
        }
        return {};
    }

    // Hunspell's look-ups are logically const but not declared so.
    mutable Hunspell m_hunspell;
    Encoding m_encoding = Encoding::Utf8;
    std::unique_ptr<TIconv> m_toDictionary;
    std::unique_ptr<TIconv> m_fromDictionary;
};

// ---- Options ----------------------------------------------------------------

TSpellOptions TSpellOptions::FromSettings(const core::TProgramSettings& settings) {
    TSpellOptions options;
    options.Live = settings.SpellEnableLive;
    options.IgnoreUpper = settings.SpellIgnoreUpper;
    options.IgnoreNumbers = settings.SpellIgnoreNumber;
    options.IgnoreInternet = settings.SpellIgnoreInternet;
    options.IgnoreQuoted = settings.SpellIgnoreQuoted;
    options.IgnoreAbbreviations = settings.SpellIgnoreAbbr;
    options.AutoCorrect = settings.SpellAutoCorrect;
    options.AutoCorrectCaps = settings.SpellAutoCorrectCaps;
    return options;
}

// ---- The checker ------------------------------------------------------------

TSpellChecker::TSpellChecker(QObject* parent) : QObject(parent) {}

TSpellChecker::~TSpellChecker() {
    for (const TAttachment& attachment : m_attachments) {
        attachment.Field->removeEventFilter(this);
        RemoveHighlighter(attachment.Highlighter);
    }
}

QStringList TSpellChecker::DictionaryFolders() {
    return {QString::fromStdString(core::ProgramFolder()) + QStringLiteral("Dictionaries/"),
            QStringLiteral("/usr/share/hunspell/"), QStringLiteral("/usr/share/myspell/dicts/")};
}

QStringList TSpellChecker::DictionaryNames() {
    QSet<QString> names;
    for (const QString& folder : DictionaryFolders()) {
        const QFileInfoList files =
            QDir(folder).entryInfoList({QStringLiteral("*.dic")}, QDir::Files | QDir::Readable);
        for (const QFileInfo& dic : files)
            if (IsReadableFile(AffixPathOf(dic))) names.insert(dic.fileName());
    }
    QStringList sorted(names.begin(), names.end());
    sorted.sort(Qt::CaseInsensitive);
    return sorted;
}

bool TSpellChecker::LoadDictionary(const QString& dicName) {
    const bool loaded = LoadDictionaryQuietly(dicName);
    RecheckFields();
    return loaded;
}

bool TSpellChecker::LoadDictionaryQuietly(const QString& dicName) {
    m_dictionaryName = dicName;
    m_dictionary.reset();
    m_dictionaryPath.clear();
    m_known.clear();

    QString fileName = dicName.isEmpty() ? kDefaultDictionary : dicName;
    if (QFileInfo(fileName).suffix().isEmpty()) fileName += QStringLiteral(".dic");
    // Only Hunspell's pairs are dictionaries here; any other file is not read.
    if (!fileName.endsWith(QStringLiteral(".dic"), Qt::CaseInsensitive)) return false;

    QStringList candidates;
    if (QFileInfo(fileName).isAbsolute()) {
        candidates.append(fileName);
    } else {
        for (const QString& folder : DictionaryFolders()) candidates.append(folder + fileName);
    }
    for (const QString& path : candidates) {
        const QFileInfo dic(path);
        const QString aff = AffixPathOf(dic);
        if (!IsReadableFile(path) || !IsReadableFile(aff)) continue;
        m_dictionary = TDictionary::Open(aff, dic.absoluteFilePath());
        if (m_dictionary) {
            m_dictionaryPath = dic.absoluteFilePath();
            return true;
        }
    }
    return false;
}

bool TSpellChecker::HasDictionary() const {
    return m_dictionary != nullptr;
}

QString TSpellChecker::DictionaryPath() const {
    return m_dictionaryPath;
}

void TSpellChecker::SetOptions(const TSpellOptions& options) {
    m_options = options;
    m_known.clear();
    RecheckFields();
}

void TSpellChecker::ApplySettings(const core::TProgramSettings& settings) {
    m_options = TSpellOptions::FromSettings(settings);
    const QString name = QString::fromStdString(settings.SpellDictionary);
    if (!m_dictionary || name != m_dictionaryName) LoadDictionaryQuietly(name);
    m_known.clear();
    RecheckFields();
}

void TSpellChecker::RecheckFields() {
    for (const TAttachment& attachment : m_attachments)
        if (attachment.Highlighter) UnderlineAll(*this, attachment.Highlighter->document());
}

void TSpellChecker::Attach(TRichField* field) {
    if (!field || IsAttached(field)) return;
    auto* highlighter = new TSpellHighlighter(*this, field->document());
    m_attachments.push_back({field, field, highlighter});
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, &TSpellChecker::Forget);
    // A highlighter checks a document that already holds text only once the
    // event loop runs, and reports its underlines as a change of text; done
    // now and quietly, nothing is left for later.
    const QSignalBlocker blocker(field->document());
    highlighter->rehighlight();
}

void TSpellChecker::Detach(TRichField* field) {
    const auto found = std::find_if(m_attachments.begin(), m_attachments.end(),
                                    [field](const TAttachment& a) { return a.Field == field; });
    if (found == m_attachments.end()) return;
    field->removeEventFilter(this);
    disconnect(field, &QObject::destroyed, this, &TSpellChecker::Forget);
    RemoveHighlighter(found->Highlighter);
    m_attachments.erase(found);
}

bool TSpellChecker::IsAttached(const TRichField* field) const {
    return std::any_of(m_attachments.begin(), m_attachments.end(),
                       [field](const TAttachment& a) { return a.Field == field; });
}

// A field going away takes its document and highlighter with it.
void TSpellChecker::Forget(QObject* field) {
    std::erase_if(m_attachments, [field](const TAttachment& a) { return a.Object == field; });
}

bool TSpellChecker::IsKnown(const QString& lookup) const {
    const auto cached = m_known.constFind(lookup);
    if (cached != m_known.constEnd()) return *cached;
    bool known = m_dictionary->Spell(lookup);
    // Dictionaries without a conversion for the typographic apostrophe list
    // their words with the plain one.
    if (!known && lookup.contains(u'\u2019')) {
        QString plain = lookup;
        known = m_dictionary->Spell(plain.replace(u'\u2019', u'\''));
    }
    if (m_known.size() >= kMaxKnownWords) m_known.clear();
    m_known.insert(lookup, known);
    return known;
}

bool TSpellChecker::HasKnownSwap(const QString& word) const {
    for (qsizetype i = 0; i + 1 < word.size(); ++i) {
        if (word[i] == word[i + 1]) continue;
        QString swapped = word;
        std::swap(swapped[i], swapped[i + 1]);
        if (IsKnown(swapped)) return true;
    }
    return false;
}

QList<TSpellRange> TSpellChecker::Misspellings(const QString& paragraph) const {
    QList<TSpellRange> misspelled;
    if (!m_dictionary) return misspelled;
    const TParagraphScan scan(paragraph, m_options, false);
    for (const TSpan& word : scan.Words()) {
        const TLookup lookup = LookupOf(paragraph, scan, word, m_options);
        if (!lookup.Checked) continue;
        const QStringView text = QStringView(paragraph).mid(word.Start, word.End - word.Start);
        if (!IsKnown(LookupText(text, lookup.WithPeriod)))
            misspelled.append({word.Start, word.End - word.Start});
    }
    return misspelled;
}

bool TSpellChecker::IsMisspelled(const QString& text) const {
    return !Misspellings(text).isEmpty();
}

QStringList TSpellChecker::Suggestions(const QString& word) const {
    if (!m_dictionary || word.isEmpty()) return {};
    return m_dictionary->Suggest(LookupText(word, false));
}

bool TSpellChecker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    if (!m_dictionary || !m_options.Live || !(m_options.AutoCorrect || m_options.AutoCorrectCaps))
        return false;
    const auto found =
        std::find_if(m_attachments.begin(), m_attachments.end(),
                     [watched](const TAttachment& a) { return a.Object == watched; });
    if (found == m_attachments.end() || found->Field->isReadOnly()) return false;

    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers commandKeys =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (key->modifiers() & commandKeys) return false;
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const QString typed = key->text();
    if (!enter && (typed.size() != 1 || !EndsWord(typed[0]))) return false;
    // Corrected before the key lands, so Enter in a single-line field commits
    // the corrected text.
    CorrectWordBeforeCursor(found->Field, enter ? QString() : typed);
    return false;
}

bool TSpellChecker::CorrectWordBeforeCursor(TRichField* field, const QString& typed) {
    const QTextCursor cursor = field->textCursor();
    if (cursor.hasSelection()) return false;
    const QTextBlock block = cursor.block();
    const int end = cursor.positionInBlock();
    // The paragraph as it reads once the key has landed, up to the key: what
    // follows the caret is not part of the word just finished.
    const QString context = block.text().left(end) + typed;
    const TParagraphScan scan(context, m_options, true);
    const auto word = std::find_if(scan.Words().begin(), scan.Words().end(),
                                   [end](const TSpan& w) { return w.End == end; });
    if (word == scan.Words().end()) return false;
    const TLookup lookup = LookupOf(context, scan, *word, m_options);
    if (!lookup.Checked) return false;

    const QString typedWord = context.mid(word->Start, word->End - word->Start);
    QString corrected = LookupText(typedWord, false);
    if (m_options.AutoCorrectCaps && HasDualCapitals(corrected) &&
        !IsKnown(LookupText(corrected, lookup.WithPeriod))) {
        corrected = corrected.left(1) + corrected.mid(1, 1).toLower() + corrected.mid(2);
    }
    // Suggestions take Hunspell tens of milliseconds; it is asked only when a
    // swap of two letters makes a word it knows.
    if (m_options.AutoCorrect && !IsKnown(LookupText(corrected, lookup.WithPeriod)) &&
        HasKnownSwap(corrected)) {
        const QStringList suggestions = m_dictionary->Suggest(corrected);
        if (!suggestions.isEmpty() && IsAdjacentSwap(corrected, suggestions.first()))
            corrected = suggestions.first();
    }
    if (corrected == LookupText(typedWord, false)) return false;

    QTextCursor edit(block);
    edit.setPosition(block.position() + word->Start);
    edit.setPosition(block.position() + word->End, QTextCursor::KeepAnchor);
    edit.insertText(corrected);
    return true;
}
