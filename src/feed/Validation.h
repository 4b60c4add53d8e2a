#pragma once
// The check of the information RSS requires before a feed is saved or published.

#include <string>

namespace feed {

class TFeed;

// Closes the message when it is shown to the user as a question.
inline constexpr const char* kValidationQuestion = "\r\n\r\nWould you like to continue anyways?";

// An empty text when the feed has a title, a description, a link and at least
// one item with a title or a description; otherwise the lines that say what is
// missing (CR LF line ends), without the closing question.
std::string FeedValidationProblems(const TFeed& feed);

}  // namespace feed
