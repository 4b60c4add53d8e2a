#include "ui/RtfDocument.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

#include "feed/text/Encoding.h"
#include "feed/text/Scan.h"

namespace ui {
namespace {

// The character properties a group carries.
struct RunFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int colour = 0;      // index into the colour table; 0 is the default colour
    int halfPoints = 0;  // 0: the document's size; else 2..3276 as RTF allows
    int font = -1;       // index into the font table; -1: the document's font
    bool operator==(const RunFormat&) const = default;
};

// Where the text of a group goes.
enum class Destination { Text, FontTable, ColourTable, Skip };

struct GroupState {
    RunFormat format;
    Destination destination = Destination::Text;
    int unicodeSkip = 1;  // characters that follow \uN as its stand-in
};

// Groups whose text is not document text.
bool IsSkippedDestination(std::string_view word) {
    static constexpr std::string_view kSkipped[] = {
        "stylesheet", "info",    "pict",    "header",    "headerl",  "headerr",  "headerf", "footer",
        "footerl",    "footerr", "footerf", "fldinst",   "object",   "listtable", "listoverridetable",
        "revtbl",     "rsidtbl", "filetbl", "themedata", "xmlnstbl", "latentstyles", "datastore",
        "colorschememapping", "generator", "footnote", "annotation", "bkmkstart", "bkmkend",
    };
    for (const std::string_view skipped : kSkipped)
        if (word == skipped) return true;
    return false;
}

// Deeper nesting than any writer produces; a text that goes deeper is no RTF.
constexpr size_t kMaxDepth = 1000;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class RtfReader {
public:
    RtfReader(std::string_view rtf, QTextDocument& doc) : rtf_(rtf), cursor_(&doc) {}

    bool Read();

private:
    void Group(char brace);
    void Control();
    void ControlWord(std::string_view word, bool hasParameter, long parameter);
    void ControlSymbol(char symbol);
    void Text(size_t from, size_t to);
    void AppendCharacter(char32_t cp);
    void StoreFontName();
    void PrepareRun();
    void Flush();
    void NewParagraph();
    const QTextCharFormat& CharFormat(const RunFormat& format);

    std::string_view rtf_;
    size_t pos_ = 0;
    QTextCursor cursor_;
    std::vector<GroupState> stack_;
    GroupState state_;
    bool groupStart_ = false;
    bool ended_ = false;
    bool failed_ = false;

    std::string run_;
    RunFormat runFormat_;
    // The few distinct formats of a document, built once each; the source
    // view alternates between tag and text formats on every run.
    std::vector<std::pair<RunFormat, QTextCharFormat>> charFormats_;

    int fallbackToSkip_ = 0;
    char16_t highSurrogate_ = 0;

    std::vector<QColor> colours_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colourGiven_ = false;

    std::map<long, QString> fonts_;
    long fontNumber_ = 0;
    std::string fontName_;
};

bool RtfReader::Read() {
    size_t start = 0;
    while (start < rtf_.size() && (rtf_[start] == ' ' || rtf_[start] == '\t' || rtf_[start] == '\r' || rtf_[start] == '\n'))
        ++start;
    if (rtf_.compare(start, 5, "{\\rtf") != 0) return false;

    cursor_.beginEditBlock();
    pos_ = start;
    const char* p = rtf_.data();
    const size_t n = rtf_.size();
    static constexpr char kSpecial[] = {'\\', '{', '}', '\r', '\n'};
    while (pos_ < n && !ended_ && !failed_) {
        const char c = p[pos_];
        if (c == '{' || c == '}') {
            Group(c);
            ++pos_;
        } else if (c == '\\') {
            Control();
        } else if (c == '\r' || c == '\n') {
            ++pos_;  // line ends in the source are no text
        } else {
            const size_t end = feed::FindAnyOf(p, pos_, n, kSpecial);
            groupStart_ = false;
            Text(pos_, end);
            pos_ = end;
        }
    }
    if (highSurrogate_) {
        highSurrogate_ = 0;
        AppendCharacter(U'\uFFFD');
    }
    Flush();
    cursor_.endEditBlock();
    return ended_ && !failed_;
}

void RtfReader::Group(char brace) {
    fallbackToSkip_ = 0;
    if (brace == '{') {
        if (stack_.size() >= kMaxDepth) {
            failed_ = true;
            return;
        }
        stack_.push_back(state_);
        groupStart_ = true;
        return;
    }
    groupStart_ = false;
    if (state_.destination == Destination::FontTable) StoreFontName();
    // Formats built before a table was read would name the wrong font or colour.
    if (state_.destination == Destination::FontTable || state_.destination == Destination::ColourTable)
        charFormats_.clear();
    if (stack_.empty()) {
        ended_ = true;
        return;
    }
    state_ = stack_.back();
    stack_.pop_back();
    // The closing brace of the outermost group ends the document.
    if (stack_.empty()) ended_ = true;
}

void RtfReader::Control() {
    const size_t n = rtf_.size();
    ++pos_;  // the backslash
    if (pos_ >= n) return;
    if (!IsLetter(rtf_[pos_])) {
        const char symbol = rtf_[pos_++];
        ControlSymbol(symbol);
        groupStart_ = false;
        return;
    }
    const size_t wordStart = pos_;
    while (pos_ < n && IsLetter(rtf_[pos_]) && pos_ - wordStart < 32) ++pos_;
    const std::string_view word = rtf_.substr(wordStart, pos_ - wordStart);
    bool negative = false;
    if (pos_ + 1 < n && rtf_[pos_] == '-' && rtf_[pos_ + 1] >= '0' && rtf_[pos_ + 1] <= '9') {
        negative = true;
        ++pos_;
    }
    bool hasParameter = false;
    long parameter = 0;
    while (pos_ < n && rtf_[pos_] >= '0' && rtf_[pos_] <= '9') {
        // Ten digits at most, as RTF allows; the value stays in range.
        if (parameter < 1000000000L) parameter = parameter * 10 + (rtf_[pos_] - '0');
        hasParameter = true;
        ++pos_;
    }
    if (negative) parameter = -parameter;
    if (pos_ < n && rtf_[pos_] == ' ') ++pos_;  // the blank only ends the word
    ControlWord(word, hasParameter, parameter);
    groupStart_ = false;
}

void RtfReader::ControlWord(std::string_view word, bool hasParameter, long parameter) {
    if (word == "fonttbl") {
        state_.destination = Destination::FontTable;
        return;
    }
    if (word == "colortbl") {
        state_.destination = Destination::ColourTable;
        return;
    }
    if (IsSkippedDestination(word)) {
        state_.destination = Destination::Skip;
        return;
    }
    if (word == "bin") {
        // Raw bytes follow; they are never text and may hold braces.
        if (hasParameter && parameter > 0) pos_ += std::min(static_cast<size_t>(parameter), rtf_.size() - pos_);
        return;
    }
    if (word == "uc") {
        state_.unicodeSkip = hasParameter && parameter >= 0 ? static_cast<int>(parameter) : 1;
        return;
    }

    switch (state_.destination) {
    case Destination::Skip: return;
    case Destination::FontTable:
        if (word == "f") fontNumber_ = parameter;
        return;
    case Destination::ColourTable:
        if (word == "red") red_ = static_cast<int>(parameter), colourGiven_ = true;
        else if (word == "green") green_ = static_cast<int>(parameter), colourGiven_ = true;
        else if (word == "blue") blue_ = static_cast<int>(parameter), colourGiven_ = true;
        return;
    case Destination::Text: break;
    }

    if (fallbackToSkip_ > 0 && word != "u") {
        // A control word counts as one character of a \uN stand-in.
        --fallbackToSkip_;
        return;
    }
    RunFormat& format = state_.format;
    const bool on = !hasParameter || parameter != 0;
    if (word == "par") NewParagraph();
    else if (word == "b") format.bold = on;
    else if (word == "i") format.italic = on;
    else if (word == "ul") format.underline = on;
    else if (word == "ulnone") format.underline = false;
    else if (word == "strike") format.strike = on;
    else if (word == "cf") format.colour = hasParameter && parameter > 0 ? static_cast<int>(parameter) : 0;
    else if (word == "fs") format.halfPoints = hasParameter ? static_cast<int>(std::clamp(parameter, 2L, 3276L)) : 24;
    else if (word == "f") format.font = hasParameter ? static_cast<int>(parameter) : -1;
    else if (word == "plain") format = RunFormat{};
    else if (word == "tab") AppendCharacter(U'\t');
    else if (word == "line") AppendCharacter(U'\u2028');
    else if (word == "emdash") AppendCharacter(U'\u2014');
    else if (word == "endash") AppendCharacter(U'\u2013');
    else if (word == "lquote") AppendCharacter(U'\u2018');
    else if (word == "rquote") AppendCharacter(U'\u2019');
    else if (word == "ldblquote") AppendCharacter(U'\u201C');
    else if (word == "rdblquote") AppendCharacter(U'\u201D');
    else if (word == "bullet") AppendCharacter(U'\u2022');
    else if (word == "u" && hasParameter) {
        // Sixteen-bit signed values; characters beyond come as surrogate pairs.
        const auto unit = static_cast<char16_t>(parameter < 0 ? parameter + 65536 : parameter);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (highSurrogate_) {
                highSurrogate_ = 0;
                AppendCharacter(U'\uFFFD');
            }
            highSurrogate_ = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (highSurrogate_) {
                const char32_t high = highSurrogate_;
                highSurrogate_ = 0;
                AppendCharacter(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            } else {
                AppendCharacter(U'\uFFFD');
            }
        } else {
            AppendCharacter(unit);
        }
        fallbackToSkip_ = state_.unicodeSkip;
    }
}

void RtfReader::ControlSymbol(char symbol) {
    if (symbol == '*') {
        // Marks a destination a reader may skip when it does not know it;
        // this reader knows none of them.
        if (groupStart_) state_.destination = Destination::Skip;
        return;
    }
    if (symbol == '\r' || symbol == '\n') {
        if (state_.destination == Destination::Text) NewParagraph();
        return;
    }
    char32_t cp = 0;
    if (symbol == '\'') {
        const int high = pos_ < rtf_.size() ? HexValue(rtf_[pos_]) : -1;
        const int low = pos_ + 1 < rtf_.size() ? HexValue(rtf_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) return;
        pos_ += 2;
        cp = feed::Cp1252ToUnicode(static_cast<unsigned char>(high * 16 + low));
    } else if (symbol == '\\' || symbol == '{' || symbol == '}') {
        cp = static_cast<unsigned char>(symbol);
    } else if (symbol == '~') {
        cp = U'\u00A0';
    } else if (symbol == '_') {
        cp = U'\u2011';
    } else {
        return;  // optional hyphen and anything unknown
    }

    switch (state_.destination) {
    case Destination::Text:
        if (fallbackToSkip_ > 0) --fallbackToSkip_;
        else AppendCharacter(cp);
        break;
    case Destination::FontTable: feed::AppendUtf8(fontName_, cp); break;
    case Destination::ColourTable:
    case Destination::Skip: break;
    }
}

void RtfReader::Text(size_t from, size_t to) {
    switch (state_.destination) {
    case Destination::Skip: return;
    case Destination::FontTable:
        for (size_t i = from; i < to; ++i) {
            if (rtf_[i] == ';') {
                StoreFontName();
            } else {
                fontName_ += rtf_[i];
            }
        }
        return;
    case Destination::ColourTable:
        for (size_t i = from; i < to; ++i) {
            if (rtf_[i] != ';') continue;
            // An entry without components is the default ("auto") colour.
            colours_.push_back(colourGiven_ ? QColor(red_, green_, blue_) : QColor());
            red_ = green_ = blue_ = 0;
            colourGiven_ = false;
        }
        return;
    case Destination::Text: break;
    }
    while (fallbackToSkip_ > 0 && from < to) {
        // Skip one whole UTF-8 character of the stand-in.
        ++from;
        while (from < to && (static_cast<unsigned char>(rtf_[from]) & 0xC0) == 0x80) ++from;
        --fallbackToSkip_;
    }
    if (from == to) return;
    if (highSurrogate_) {
        highSurrogate_ = 0;
        AppendCharacter(U'\uFFFD');
    }
    PrepareRun();
    run_.append(rtf_.data() + from, to - from);
}

void RtfReader::StoreFontName() {
    // An entry ends with ";" or with its group; blanks between entries name nothing.
    const QString name = QString::fromUtf8(fontName_).trimmed();
    if (!name.isEmpty()) fonts_[fontNumber_] = name;
    fontName_.clear();
}

void RtfReader::AppendCharacter(char32_t cp) {
    if (highSurrogate_ && (cp < 0xDC00 || cp > 0xDFFF)) {
        highSurrogate_ = 0;
        AppendCharacter(U'\uFFFD');
    }
    PrepareRun();
    feed::AppendUtf8(run_, cp);
}

void RtfReader::PrepareRun() {
    if (!run_.empty() && !(runFormat_ == state_.format)) Flush();
    if (run_.empty()) runFormat_ = state_.format;
}

void RtfReader::Flush() {
    if (run_.empty()) return;
    cursor_.insertText(QString::fromUtf8(run_.data(), static_cast<qsizetype>(run_.size())), CharFormat(runFormat_));
    run_.clear();
}

void RtfReader::NewParagraph() {
    // insertText makes a block of each paragraph separator in a run, which
    // saves a call per line; the block takes the format of the run.
    AppendCharacter(QChar::ParagraphSeparator);
}

const QTextCharFormat& RtfReader::CharFormat(const RunFormat& format) {
    for (const auto& [known, charFormat] : charFormats_)
        if (known == format) return charFormat;
    QTextCharFormat result;
    result.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    result.setFontItalic(format.italic);
    result.setFontUnderline(format.underline);
    result.setFontStrikeOut(format.strike);
    if (format.colour > 0 && static_cast<size_t>(format.colour) < colours_.size() &&
        colours_[static_cast<size_t>(format.colour)].isValid())
        result.setForeground(colours_[static_cast<size_t>(format.colour)]);
    if (format.halfPoints > 0) result.setFontPointSize(format.halfPoints / 2.0);
    if (format.font >= 0) {
        const auto font = fonts_.find(format.font);
        if (font != fonts_.end() && !font->second.isEmpty()) result.setFontFamilies(QStringList{font->second});
    }
    charFormats_.emplace_back(format, result);
    return charFormats_.back().second;
}

}  // namespace

bool LoadRtfIntoDocument(const std::string& rtf, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    // Our own writer leaves text as UTF-8; stray bytes of another encoding
    // are read as Windows-1252 rather than lost.
    std::string repaired;
    std::string_view text = rtf;
    if (!feed::IsValidUtf8(text)) {
        repaired = feed::EnsureUtf8(rtf);
        text = repaired;
    }
    RtfReader reader(text, doc);
    const bool read = reader.Read();
    doc.setUndoRedoEnabled(undo);
    return read;
}

}  // namespace ui
