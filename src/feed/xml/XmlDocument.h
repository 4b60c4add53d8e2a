#pragma once
// A small tolerant XML document: built by the writer, filled by the parser,
// written in a readable or a compact layout.
//
// Tolerance, as feeds in the wild need it: end tags match start tags without
// regard to case; character data, comments, processing instructions and a
// document type outside the root element are skipped; an "&" that starts no
// known entity or reference is plain text. Names are looked up without regard
// to ASCII case. Text is UTF-8 throughout; no character-set conversion happens
// here.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace feed {

struct XmlAttribute {
    std::string Name;
    std::string Value;
};

class XmlNode {
public:
    enum class Kind : uint8_t { Element, Comment, ProcessingInstruction };

    std::string Name;   // element name, or the target of a processing instruction
    std::string Value;  // the element's own character data (unescaped), or the comment text
    std::vector<XmlAttribute> Attributes;
    std::vector<XmlNode*> Children;  // owned by the document
    Kind NodeKind = Kind::Element;   // last, so a large tree wastes no padding

    bool IsElement() const { return NodeKind == Kind::Element; }
    // The value of the attribute of that name (any case), or an empty text.
    const std::string& AttributeByName(std::string_view name) const;
    bool HasAttribute(std::string_view name) const;
    // The first element of that name (any case) among the descendants, depth
    // first in document order, or nullptr.
    const XmlNode* FindFirst(std::string_view name) const;
};

enum class XmlLayout { Compact, Readable };

// Receives the written document piece by piece.
using XmlSink = std::function<void(std::string_view)>;

class XmlDocument {
public:
    XmlDocument();
    virtual ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Removes every node and restores the defaults of a fresh document.
    void Clear();

    // Parses a text; false on failure, with ParseErrorMessage naming line and column.
    // What was built before an error stays in the document.
    bool Parse(std::string_view text);

    XmlNode* Root() { return root_; }
    const XmlNode* Root() const { return root_; }

    // Building.
    XmlNode* CreateRoot(std::string name);
    XmlNode* AddElement(XmlNode* parent, std::string name, std::string value = {});
    static void AddAttribute(XmlNode* node, std::string name, std::string value);

    // The whole document as text. Readable: CR LF between lines, two blanks per
    // depth. Compact: declaration, LF, then the tree on one line. Neither ends
    // with a line break.
    std::string WriteToString(XmlLayout layout) const;
    // The same text handed to the sink in pieces of about a megabyte.
    void Write(XmlLayout layout, const XmlSink& sink) const;

    std::string DeclarationVersion = "1.0";
    std::string DeclarationEncoding = "windows-1252";
    std::string ParseErrorMessage;

private:
    XmlNode* NewNode();

    std::deque<XmlNode> nodes_;
    XmlNode* root_ = nullptr;
};

// The document's escaping of a stored text: & < > ' " to their entities.
void AppendEscaped(std::string& out, std::string_view text);

}  // namespace feed
