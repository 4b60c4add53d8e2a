#pragma once
// Reading the rich text this program writes (the coloured source view and
// the print text) into a QTextDocument.

#include <string>

class QTextDocument;

namespace ui {

// Replaces the content of `doc` with the RTF text: bold, italic, underline,
// strike-out, colours from the colour table, font sizes and fonts from the
// font table, one block per paragraph. Unknown control words are ignored.
// Text may be UTF-8; \'hh is read as a Windows-1252 byte and \uN as a
// Unicode character. False when the text does not start as RTF or its
// groups are not closed; the document then holds what was read.
bool LoadRtfIntoDocument(const std::string& rtf, QTextDocument& doc);

}  // namespace ui
