#pragma once
// The XML document of a feed (and of the settings file) with its loading
// pipeline: get the text, drop leading junk, make sure a declaration is there,
// repair the tags when asked, parse.

#include <functional>
#include <string>
#include <string_view>

#include "feed/LoadStatus.h"
#include "feed/xml/XmlDocument.h"

namespace feed {

class TFeedXMLDoc : public XmlDocument {
public:
    using Event = std::function<void(TFeedXMLDoc&)>;

    TFeedXMLDoc() = default;

    // The feed text of the last file or address load, before any step of the
    // pipeline, with CR LF line ends for a file.
    std::string RawSource;
    // Fired once the text to parse is at hand.
    Event OnLoaded;
    // Fired after the tag repair, only when a repair was asked for.
    Event OnRepaired;

    // Each returns a load status.
    LoadStatus LoadFromFile(const std::string& path, bool repair);
    // The file load for bytes already read (standard input, for one).
    LoadStatus LoadFromFileBytes(std::string bytes, bool repair);
    LoadStatus LoadFromUrl(const std::string& address, bool repair);
    // The stream's and the text's content is taken as UTF-8 text.
    LoadStatus LoadFromStream(std::string_view streamText, bool repair);
    LoadStatus LoadFromText(std::string_view text, bool repair);

    // Readable layout, written through a temporary file renamed over the
    // target: 0 on success, 3 on any error (the old file is then untouched).
    LoadStatus SaveToFile(const std::string& path) const;

private:
    enum class Source { File, Address, Stream, Text };
    LoadStatus RunPipeline(std::string text, Source source, bool repair);
};

// The text without leading characters below code 32, but never shorter than one character.
std::string_view StripLeadingControls(std::string_view text);

// True when the first ten characters start with "<" and hold a "?" after it
// and before the first "xml" (any case).
bool HasXmlDeclaration(std::string_view text);

// Lines joined again with CR LF after each one, the last included; a text
// without characters stays empty.
std::string JoinLinesCrLf(std::string text);

// Saves a document in the readable layout: 0, or 3 on any error.
LoadStatus SaveXmlToFile(const XmlDocument& doc, const std::string& path);

}  // namespace feed
