#include "feed/Validation.h"

#include "feed/FeedModel.h"
#include "feed/text/TextRoutines.h"

namespace feed {
namespace {

constexpr std::string_view kUntitled = "(untitled)";

}  // namespace

std::string FeedValidationProblems(const TFeed& feed) {
    const TFeedChannel& ch = *feed.Channel;
    const std::string_view title = TrimControls(ch.Title);
    const bool hasTitle = !title.empty() && title != kUntitled;
    const bool hasDescription = !TrimControls(ch.Description).empty();
    const bool hasLink = !TrimControls(ch.Link).empty();

    size_t itemCount = ch.Items.size();
    size_t badItems = 0;
    for (const auto& item : ch.Items) {
        const std::string_view itemTitle = TrimControls(item->Title);
        if (TrimControls(item->Description).empty() && (itemTitle.empty() || itemTitle == kUntitled)) ++badItems;
    }
    // The untouched first item of a new feed does not count as an item.
    if (itemCount == 1 && badItems == 1 && TrimControls(ch.Items[0]->Title) == kUntitled) {
        itemCount = 0;
        badItems = 0;
    }
    if (hasTitle && hasDescription && hasLink && itemCount >= 1 && badItems == 0) return {};

    std::string message =
        "Your feed is missing some information that is required for it to be a valid RSS feed.\r\n"
        "A description of the missing information follows:\r\n";
    if (!hasTitle) message += "\r\nThe feed's Title is missing.";
    if (!hasDescription) message += "\r\nThe feed's Description is missing.";
    if (!hasLink) message += "\r\nThe feed's Link is missing.";
    if (itemCount == 0) {
        message += "\r\nThe feed must have at least one Item.";
    } else if (badItems > 0) {
        message += "\r\nEach Item must have at least a Title or a Description,\r\n" + std::to_string(badItems) +
                   " Items didn't have either.";
    }
    return message;
}

}  // namespace feed
