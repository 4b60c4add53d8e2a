#pragma once
// The tag repair that makes sloppy feeds parseable: known RSS and Atom tags get
// their canonical spelling, every other piece of markup becomes escaped text,
// and the dates of pubDate and lastBuildDate are normalised.

#include <string>
#include <string_view>
#include <vector>

namespace feed {

// One repair pass: the start or end tags of one known name, in its canonical spelling.
struct RepairPass {
    bool EndTag = false;
    std::string Name;
};

// The passes in the order they apply; a tag kept by an earlier pass no longer
// interrupts the tags of later ones.
const std::vector<RepairPass>& RepairPasses();

// The repaired text. A start tag is kept when its whole name is a known name
// (followed by a blank, a line end, "/" or ">"; "rdf" also by ":") and a ">"
// closes it before any other "<"; its attributes stay as written. End tags of
// known names are kept. Blanks next to the angle brackets of tags are dropped.
// Everything else that looks like markup is escaped; "</xml>" is dropped, and
// so are CDATA brackets when the text has any. Work is linear in the text.
std::string RepairTags(std::string text);

}  // namespace feed
