#include "feed/xml/XmlDocument.h"

#include <cstring>
#include <stdexcept>

#include "feed/text/Encoding.h"
#include "feed/text/Scan.h"
#include "feed/text/TextRoutines.h"

namespace feed {
namespace {

const std::string kEmpty;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class ParseError : public std::runtime_error {
public:
    ParseError(size_t offset, const std::string& what) : std::runtime_error(what), Offset(offset) {}
    size_t Offset;
};

// Decodes the reference or entity at text[pos] == '&' into out; returns the
// position after it, or pos + 1 when the '&' is plain text.
size_t DecodeEntity(std::string_view text, size_t pos, std::string& out) {
    const size_t limit = std::min(text.size(), pos + 16);
    size_t semi = pos + 1;
    while (semi < limit && text[semi] != ';' && text[semi] != '&' && text[semi] != '<') ++semi;
    if (semi >= limit || text[semi] != ';') {
        out.push_back('&');
        return pos + 1;
    }
    const std::string_view body = text.substr(pos + 1, semi - pos - 1);
    char named = 0;
    if (body == "amp") named = '&';
    else if (body == "lt") named = '<';
    else if (body == "gt") named = '>';
    else if (body == "apos") named = '\'';
    else if (body == "quot") named = '"';
    if (named) {
        out.push_back(named);
        return semi + 1;
    }
    // Character references up to 254 and beyond 255; 255 is left to the feed's own decoding.
    if (body.size() >= 2 && body[0] == '#') {
        const std::optional<unsigned long> value = ReferenceValue(body.substr(1));
        if (value && *value != 255) {
            if (const std::optional<char32_t> c = ReferencedCharacter(*value)) {
                AppendUtf8(out, *c);
                return semi + 1;
            }
        }
    }
    out.push_back('&');
    return pos + 1;
}

// Appends character data text[from, to) to out, replacing entities and references.
void AppendCharacterData(std::string_view text, size_t from, size_t to, std::string& out) {
    while (from < to) {
        const void* hit = std::memchr(text.data() + from, '&', to - from);
        if (!hit) {
            out.append(text.data() + from, to - from);
            return;
        }
        const size_t amp = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
        out.append(text.data() + from, amp - from);
        from = DecodeEntity(text.substr(0, to), amp, out);
    }
}

class Parser {
public:
    Parser(std::string_view text, std::deque<XmlNode>& nodes) : text_(text), nodes_(nodes) {}

    XmlNode* Run() {
        size_t pos = 0;
        for (;;) {
            const size_t lt = text_.find('<', pos);
            if (lt == std::string_view::npos) throw ParseError(text_.size(), "the document has no root element");
            pos = lt;
            if (SkipMarkupOutsideRoot(pos)) continue;
            if (text_.compare(pos, 2, "</") == 0) throw ParseError(pos, "end tag before the root element");
            return ParseRoot(pos);
        }
    }

private:
    // Skips a processing instruction, comment or document type at pos; false when none is there.
    bool SkipMarkupOutsideRoot(size_t& pos) {
        if (text_.compare(pos, 2, "<?") == 0) {
            const size_t end = text_.find("?>", pos + 2);
            if (end == std::string_view::npos) throw ParseError(pos, "unterminated processing instruction");
            pos = end + 2;
            return true;
        }
        if (text_.compare(pos, 4, "<!--") == 0) {
            const size_t end = text_.find("-->", pos + 4);
            if (end == std::string_view::npos) throw ParseError(pos, "unterminated comment");
            pos = end + 3;
            return true;
        }
        if (text_.compare(pos, 2, "<!") == 0) {
            // A document type, with an internal subset in brackets when there is one.
            int depth = 0;
            for (size_t i = pos + 2; i < text_.size(); ++i) {
                if (text_[i] == '[') ++depth;
                else if (text_[i] == ']') --depth;
                else if (text_[i] == '>' && depth <= 0) {
                    pos = i + 1;
                    return true;
                }
            }
            throw ParseError(pos, "unterminated declaration");
        }
        return false;
    }

    XmlNode* NewNode(XmlNode* parent) {
        XmlNode& n = nodes_.emplace_back();
        if (parent) parent->Children.push_back(&n);
        return &n;
    }

    size_t ReadName(size_t pos) const {
        size_t end = pos;
        while (end < text_.size()) {
            const char c = text_[end];
            if (IsSpace(c) || c == '/' || c == '>' || c == '<' || c == '=') break;
            ++end;
        }
        return end;
    }

    size_t SkipSpaces(size_t pos) const {
        while (pos < text_.size() && IsSpace(text_[pos])) ++pos;
        return pos;
    }

    // Reads a start tag at pos ('<'); returns the position after it and whether it closed itself.
    size_t ReadStartTag(size_t pos, XmlNode* node, bool& selfClosed) {
        const size_t nameEnd = ReadName(pos + 1);
        if (nameEnd == pos + 1) throw ParseError(pos, "invalid element name");
        node->Name.assign(text_.data() + pos + 1, nameEnd - pos - 1);
        size_t p = nameEnd;
        for (;;) {
            p = SkipSpaces(p);
            if (p >= text_.size()) throw ParseError(pos, "unterminated start tag <" + node->Name + ">");
            const char c = text_[p];
            if (c == '>') {
                selfClosed = false;
                return p + 1;
            }
            if (c == '/') {
                if (p + 1 < text_.size() && text_[p + 1] == '>') {
                    selfClosed = true;
                    return p + 2;
                }
                throw ParseError(p, "'/' not followed by '>' in the start tag <" + node->Name + ">");
            }
            const size_t attrEnd = ReadName(p);
            if (attrEnd == p) throw ParseError(p, "unexpected character in the start tag <" + node->Name + ">");
            XmlAttribute attr;
            attr.Name.assign(text_.data() + p, attrEnd - p);
            p = SkipSpaces(attrEnd);
            if (p >= text_.size() || text_[p] != '=')
                throw ParseError(p, "attribute " + attr.Name + " has no value");
            p = SkipSpaces(p + 1);
            if (p >= text_.size() || (text_[p] != '"' && text_[p] != '\''))
                throw ParseError(p, "value of attribute " + attr.Name + " is not quoted");
            const size_t close = text_.find(text_[p], p + 1);
            if (close == std::string_view::npos)
                throw ParseError(p, "unterminated value of attribute " + attr.Name);
            AppendCharacterData(text_, p + 1, close, attr.Value);
            node->Attributes.push_back(std::move(attr));
            p = close + 1;
        }
    }

    XmlNode* ParseRoot(size_t pos) {
        XmlNode* root = NewNode(nullptr);
        bool selfClosed = false;
        pos = ReadStartTag(pos, root, selfClosed);
        if (selfClosed) return root;
        std::vector<XmlNode*> open{root};  // the elements not yet closed, innermost last
        XmlNode* current = root;
        while (current) {
            const size_t lt = text_.find('<', pos);
            if (lt == std::string_view::npos) {
                AppendCharacterData(text_, pos, text_.size(), current->Value);
                throw ParseError(text_.size(), "unexpected end of the document: <" + current->Name + "> is not closed");
            }
            if (lt > pos) {
                // A value read whole is sized once, not grown by doubling; what
                // the entities saved is given back when it is worth a copy.
                std::string& value = current->Value;
                const bool first = value.empty();
                if (first) value.reserve(lt - pos);
                AppendCharacterData(text_, pos, lt, value);
                if (first && value.capacity() - value.size() > 64 + value.size() / 8) value.shrink_to_fit();
            }
            pos = lt;
            if (text_.compare(pos, 2, "</") == 0) {
                const size_t nameEnd = ReadName(pos + 2);
                const std::string_view name = text_.substr(pos + 2, nameEnd - pos - 2);
                const size_t close = SkipSpaces(nameEnd);
                if (close >= text_.size() || text_[close] != '>')
                    throw ParseError(pos, "unterminated end tag </" + std::string(name) + ">");
                if (!SameText(name, current->Name))
                    throw ParseError(pos, "end tag </" + std::string(name) + "> does not match the start tag <" +
                                              current->Name + ">");
                open.pop_back();
                current = open.empty() ? nullptr : open.back();
                pos = close + 1;
            } else if (text_.compare(pos, 4, "<!--") == 0) {
                const size_t end = text_.find("-->", pos + 4);
                if (end == std::string_view::npos) throw ParseError(pos, "unterminated comment");
                XmlNode* comment = NewNode(current);
                comment->NodeKind = XmlNode::Kind::Comment;
                comment->Value.assign(text_.data() + pos + 4, end - pos - 4);
                pos = end + 3;
            } else if (text_.compare(pos, 9, "<![CDATA[") == 0) {
                const size_t end = text_.find("]]>", pos + 9);
                if (end == std::string_view::npos) throw ParseError(pos, "unterminated CDATA section");
                current->Value.append(text_.data() + pos + 9, end - pos - 9);
                pos = end + 3;
            } else if (text_.compare(pos, 2, "<?") == 0) {
                const size_t end = text_.find("?>", pos + 2);
                if (end == std::string_view::npos) throw ParseError(pos, "unterminated processing instruction");
                XmlNode* pi = NewNode(current);
                pi->NodeKind = XmlNode::Kind::ProcessingInstruction;
                const size_t nameEnd = ReadName(pos + 2);
                pi->Name.assign(text_.data() + pos + 2, nameEnd - pos - 2);
                pos = end + 2;
            } else if (text_.compare(pos, 2, "<!") == 0) {
                throw ParseError(pos, "unexpected declaration inside <" + current->Name + ">");
            } else {
                XmlNode* child = NewNode(current);
                pos = ReadStartTag(pos, child, selfClosed);
                if (!selfClosed) {
                    open.push_back(child);
                    current = child;
                }
            }
        }
        return root;
    }

    std::string_view text_;
    std::deque<XmlNode>& nodes_;
};

std::string PositionText(std::string_view text, size_t offset) {
    size_t line = 1;
    size_t lineStart = 0;
    offset = std::min(offset, text.size());
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    size_t column = 1;
    for (size_t i = lineStart; i < offset;) {
        NextCodePoint(text, i);
        ++column;
    }
    return "Line " + std::to_string(line) + ", column " + std::to_string(column);
}

void WriteStartTag(std::string& out, const XmlNode& node) {
    out.push_back('<');
    out += node.Name;
    for (const XmlAttribute& a : node.Attributes) {
        out.push_back(' ');
        out += a.Name;
        out += "=\"";
        AppendEscaped(out, a.Value);
        out.push_back('"');
    }
    out.push_back('>');
}

bool HasElementChildren(const XmlNode& node) {
    for (const XmlNode* c : node.Children)
        if (c->IsElement()) return true;
    return false;
}

// Writes nodes into a buffer that is handed to the sink whenever it grows large.
class Serializer {
public:
    Serializer(XmlLayout layout, const XmlSink& sink) : readable_(layout == XmlLayout::Readable), sink_(sink) {
        out_.reserve(kChunk + 4096);
    }
    std::string& Out() { return out_; }

    // Writes an element with everything below it. Iterative, so the depth of
    // a document is no limit; only elements are written.
    void Element(const XmlNode& top) {
        struct Frame {
            const XmlNode* Node;
            size_t NextChild;
        };
        std::vector<Frame> open;
        Start(top, 0);
        if (!HasElementChildren(top)) {
            End(top, 0, false);
            return;
        }
        open.push_back({&top, 0});
        while (!open.empty()) {
            Frame& frame = open.back();
            const size_t depth = open.size() - 1;
            const auto& children = frame.Node->Children;
            while (frame.NextChild < children.size() && !children[frame.NextChild]->IsElement()) ++frame.NextChild;
            if (frame.NextChild == children.size()) {
                End(*frame.Node, depth, true);
                open.pop_back();
                continue;
            }
            const XmlNode& child = *children[frame.NextChild++];
            if (readable_) out_ += "\r\n";
            Start(child, depth + 1);
            if (HasElementChildren(child)) open.push_back({&child, 0});
            else End(child, depth + 1, false);
        }
    }

    void Flush() {
        if (!out_.empty()) sink_(out_);
        out_.clear();
    }

private:
    void Start(const XmlNode& node, size_t depth) {
        if (readable_) out_.append(depth * 2, ' ');
        WriteStartTag(out_, node);
        AppendEscaped(out_, node.Value);
    }

    void End(const XmlNode& node, size_t depth, bool afterChildren) {
        if (afterChildren && readable_) {
            out_ += "\r\n";
            out_.append(depth * 2, ' ');
        }
        out_ += "</";
        out_ += node.Name;
        out_.push_back('>');
        if (out_.size() >= kChunk) Flush();
    }

    static constexpr size_t kChunk = 1 << 20;
    bool readable_;
    const XmlSink& sink_;
    std::string out_;
};

}  // namespace

const std::string& XmlNode::AttributeByName(std::string_view name) const {
    for (const XmlAttribute& a : Attributes)
        if (SameText(a.Name, name)) return a.Value;
    return kEmpty;
}

bool XmlNode::HasAttribute(std::string_view name) const {
    for (const XmlAttribute& a : Attributes)
        if (SameText(a.Name, name)) return true;
    return false;
}

const XmlNode* XmlNode::FindFirst(std::string_view name) const {
    // Iterative, so a deeply nested document cannot exhaust the stack.
    std::vector<std::pair<const XmlNode*, size_t>> stack{{this, 0}};
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next == node->Children.size()) {
            stack.pop_back();
            continue;
        }
        const XmlNode* child = node->Children[next++];
        if (!child->IsElement()) continue;
        if (SameText(child->Name, name)) return child;
        stack.emplace_back(child, 0);
    }
    return nullptr;
}

void AppendEscaped(std::string& out, std::string_view text) {
    static constexpr char kMarkup[] = {'&', '<', '>', '\'', '"'};
    size_t from = 0;
    const size_t n = text.size();
    for (size_t i = FindAnyOf(text.data(), 0, n, kMarkup); i < n; i = FindAnyOf(text.data(), i + 1, n, kMarkup)) {
        const char* entity;
        switch (text[i]) {
            case '&': entity = "&amp;"; break;
            case '<': entity = "&lt;"; break;
            case '>': entity = "&gt;"; break;
            case '\'': entity = "&apos;"; break;
            default: entity = "&quot;"; break;
        }
        out.append(text.data() + from, i - from);
        out += entity;
        from = i + 1;
    }
    out.append(text.data() + from, text.size() - from);
}

XmlDocument::XmlDocument() = default;
XmlDocument::~XmlDocument() = default;

void XmlDocument::Clear() {
    nodes_.clear();
    root_ = nullptr;
    DeclarationVersion = "1.0";
    DeclarationEncoding = "windows-1252";
    ParseErrorMessage.clear();
}

XmlNode* XmlDocument::NewNode() {
    return &nodes_.emplace_back();
}

XmlNode* XmlDocument::CreateRoot(std::string name) {
    nodes_.clear();
    root_ = NewNode();
    root_->Name = std::move(name);
    return root_;
}

XmlNode* XmlDocument::AddElement(XmlNode* parent, std::string name, std::string value) {
    XmlNode* node = NewNode();
    node->Name = std::move(name);
    node->Value = std::move(value);
    parent->Children.push_back(node);
    return node;
}

void XmlDocument::AddAttribute(XmlNode* node, std::string name, std::string value) {
    node->Attributes.push_back({std::move(name), std::move(value)});
}

bool XmlDocument::Parse(std::string_view text) {
    nodes_.clear();
    root_ = nullptr;
    ParseErrorMessage.clear();
    Parser parser(text, nodes_);
    try {
        root_ = parser.Run();
        return true;
    } catch (const ParseError& e) {
        if (!nodes_.empty()) root_ = &nodes_.front();
        ParseErrorMessage = PositionText(text, e.Offset) + ": " + e.what();
        return false;
    }
}

void XmlDocument::Write(XmlLayout layout, const XmlSink& sink) const {
    Serializer out(layout, sink);
    out.Out() += "<?xml version=\"";
    out.Out() += DeclarationVersion;
    out.Out() += "\" encoding=\"";
    out.Out() += DeclarationEncoding;
    out.Out() += "\"?>";
    out.Out() += layout == XmlLayout::Readable ? "\r\n" : "\n";
    if (root_ && root_->IsElement()) out.Element(*root_);
    out.Flush();
}

std::string XmlDocument::WriteToString(XmlLayout layout) const {
    std::string text;
    Write(layout, [&text](std::string_view chunk) {
        if (text.empty()) text.reserve(chunk.size() * 2);
        text += chunk;
    });
    return text;
}

}  // namespace feed
