#pragma once
// Live spell checking of text fields with a Hunspell dictionary: misspelled
// words get a red wavy underline while the user types, and two kinds of typing
// slip are corrected as a word is finished.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QEvent;
class QSyntaxHighlighter;
class TRichField;

namespace core {
class TProgramSettings;
}

// What the checker does. Live is the master switch: while it is off nothing is
// underlined and nothing is corrected.
struct TSpellOptions {
    bool Live = true;                 // underline misspelled words while typing
    bool IgnoreUpper = true;          // words without a lower-case letter ("NASA")
    bool IgnoreNumbers = true;        // words holding a digit ("mp3", "2nd")
    bool IgnoreInternet = true;       // "http://...", "www.example.com", "me@example.com"
    bool IgnoreQuoted = true;         // text between a pair of quotes in one paragraph
    bool IgnoreAbbreviations = true;  // "Inc.", "Dept.", "e.g.", "Ph.D."
    bool AutoCorrect = true;          // "teh" -> "the" when a word is finished
    bool AutoCorrectCaps = true;      // "THis" -> "This" when a word is finished

    // The options stored in the spell keys of the settings.
    static TSpellOptions FromSettings(const core::TProgramSettings& settings);

    bool operator==(const TSpellOptions&) const = default;
};

// Where a misspelled word sits in a text: offset and length in UTF-16 units.
struct TSpellRange {
    int Start = 0;
    int Length = 0;

    bool operator==(const TSpellRange&) const = default;
};

// One spell checker serves any number of text fields; the fields share its
// dictionary and options, and every change of either re-checks them all.
//
// Words are runs of letters and digits, with an apostrophe allowed between two
// letters ("don't"). Never checked: HTML tags ("<a href=...>", only when the
// '>' is in the same paragraph), character references ("&amp;", "&#233;"),
// words without a letter, and words longer than Hunspell handles. A word
// directly followed by "." is also accepted when the dictionary knows it with
// the period ("etc.").
//
// The ignore options:
// - IgnoreUpper: a word with no lower-case letter.
// - IgnoreNumbers: a word holding a digit.
// - IgnoreInternet: every word of a blank-delimited run that holds "://" or
//   "www.", or an "@" with a "." after it (while typing, any "@": the domain
//   is yet to come).
// - IgnoreQuoted: the words between two double quotes (" “ ” „ « », paired in
//   order) or between an opening single quote (' or ‘ that starts a word) and
//   the next closing one (' or ’ that ends a word) in the same paragraph. A
//   quote that is never closed in its paragraph quotes nothing, so an
//   apostrophe ("the users' files") never hides the rest of a line.
// - IgnoreAbbreviations: a word directly followed by "." that is either short
//   and capitalised or in capitals (at most four letters: "Inc.", "Dept.",
//   "USA.", but not "THe.") or a part of a dotted abbreviation of at most
//   three letters joined to the next or previous part by the period ("e.g.",
//   "Ph.D.").
//
// The corrections, made when the user types a blank, a punctuation mark or
// Enter right after a word in an attached field (never on a paste), and only
// for a word that the live check would look at:
// - AutoCorrectCaps: a word that starts with two capitals followed only by
//   lower-case letters ("THis") and that the dictionary does not know as typed
//   ("PCs" stays) gets its second capital lowered.
// - AutoCorrect: a misspelled word is replaced by the dictionary's first
//   suggestion when that differs from it only by two neighbouring letters
//   swapped ("teh" -> "the"); any other suggestion is left to the user.
// The correction is made before the typed character lands and forms one undo
// step with it: undo gives back the word as it was typed.
//
// Without a dictionary (none loaded, or the file is missing) checking is off:
// nothing is underlined and nothing corrected.
class TSpellChecker : public QObject {
    Q_OBJECT

public:
    // The dictionary used when none is named.
    static inline const QString kDefaultDictionary = QStringLiteral("en_US.dic");

    explicit TSpellChecker(QObject* parent = nullptr);
    ~TSpellChecker() override;

    // Loads the Hunspell dictionary `dicName` with its ".aff" beside it: a file
    // name such as "en_US.dic" (".dic" is added when there is no extension,
    // a name with another extension is no dictionary, an empty name means
    // kDefaultDictionary) is looked for in DictionaryFolders() in order; an
    // absolute path is used as it is. Returns false, and leaves checking off,
    // when no readable pair is found. Every attached field is checked again.
    bool LoadDictionary(const QString& dicName);
    // Whether a dictionary is loaded.
    bool HasDictionary() const;
    // The path of the loaded ".dic" file, or an empty text.
    QString DictionaryPath() const;

    // The folders searched for a dictionary, each with a trailing "/": the
    // program's "Dictionaries/", then the system's Hunspell folders.
    static QStringList DictionaryFolders();
    // The ".dic" file names in DictionaryFolders() that have their ".aff"
    // beside them, sorted, each name once (for a choice of dictionary).
    static QStringList DictionaryNames();

    const TSpellOptions& Options() const { return m_options; }
    // Every attached field is checked again.
    void SetOptions(const TSpellOptions& options);
    // Takes the options and the dictionary from the settings; the dictionary
    // is loaded again only when its name changed or none is loaded.
    void ApplySettings(const core::TProgramSettings& settings);

    // Checks `field` live from now on and corrects what is typed into it.
    // Attaching a field twice changes nothing.
    void Attach(TRichField* field);
    // Stops checking `field` and removes its underlines.
    void Detach(TRichField* field);
    bool IsAttached(const TRichField* field) const;

    // Whether `text` (a word, or a word with what surrounds it, such as
    // "etc." or "\"teh\"") holds a word that the checker finds misspelled
    // under the ignore options; false without a dictionary. Live is not
    // consulted.
    bool IsMisspelled(const QString& text) const;
    // The misspelled words of one paragraph, in order; empty without a
    // dictionary. Live is not consulted.
    QList<TSpellRange> Misspellings(const QString& paragraph) const;
    // The dictionary's suggestions for `word`, best first; empty without a
    // dictionary or when it has none.
    QStringList Suggestions(const QString& word) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TDictionary;
    struct TAttachment {
        TRichField* Field = nullptr;
        QObject* Object = nullptr;  // the field, still comparable while it is destroyed
        QPointer<QSyntaxHighlighter> Highlighter;
    };

    bool LoadDictionaryQuietly(const QString& dicName);
    void RecheckFields();
    // Whether the dictionary knows `lookup` (composed, with a period where
    // the word has one); remembered in m_known.
    bool IsKnown(const QString& lookup) const;
    // Whether swapping two neighbouring characters of `word` gives a word the
    // dictionary knows.
    bool HasKnownSwap(const QString& word) const;
    bool CorrectWordBeforeCursor(TRichField* field, const QString& typed);
    void Forget(QObject* field);

    std::unique_ptr<TDictionary> m_dictionary;
    QString m_dictionaryName;  // as last asked for, to spot a change of name
    QString m_dictionaryPath;
    TSpellOptions m_options;
    std::vector<TAttachment> m_attachments;
    mutable QHash<QString, bool> m_known;  // the dictionary's verdicts so far
};
