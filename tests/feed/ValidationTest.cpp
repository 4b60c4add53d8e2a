// The check of required information before a save or an upload.

#include "feed/Validation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "feed/FeedModel.h"

namespace feed {
namespace {

using test::CaseName;

const std::string kHead =
    "Your feed is missing some information that is required for it to be a valid RSS feed.\r\n"
    "A description of the missing information follows:\r\n";

struct ItemSpec {
    std::string title;
    std::string description;
};

struct ValidationCase {
    std::string name;
    std::string title;
    std::string description;
    std::string link;
    std::vector<ItemSpec> items;
    std::string problems;  // empty: the feed is complete
};

class ValidationTest : public testing::TestWithParam<ValidationCase> {};

TEST_P(ValidationTest, ListsWhatIsMissing) {
    const ValidationCase& c = GetParam();
    TFeed feed;
    feed.Channel->Title = c.title;
    feed.Channel->Description = c.description;
    feed.Channel->Link = c.link;
    for (const ItemSpec& wanted : c.items) {
        auto item = std::make_unique<TFeedItem>();
        item->Title = wanted.title;
        item->Description = wanted.description;
        feed.Channel->Items.push_back(std::move(item));
    }
    EXPECT_EQ(FeedValidationProblems(feed), c.problems.empty() ? "" : kHead + c.problems);
}

INSTANTIATE_TEST_SUITE_P(
    Validation, ValidationTest,
    testing::ValuesIn(std::vector<ValidationCase>{
        {"CompleteFeed", "T", "D", "L", {{"i", ""}}, ""},
        {"NewFeedSavedAtOnce", "(untitled)", "", "", {{"(untitled)", ""}},
         "\r\nThe feed's Title is missing.\r\nThe feed's Description is missing.\r\nThe feed's Link is missing."
         "\r\nThe feed must have at least one Item."},
        {"UntitledWithTrailingBlanks", "(untitled)  ", "D", "L", {{"i", ""}}, "\r\nThe feed's Title is missing."},
        {"BlankFieldsCountAsMissing", "T", " \t", "\r\n", {{"i", ""}},
         "\r\nThe feed's Description is missing.\r\nThe feed's Link is missing."},
        {"NoItems", "T", "D", "L", {}, "\r\nThe feed must have at least one Item."},
        {"TwoBadItems", "T", "D", "L", {{"", ""}, {"(untitled)", " "}},
         "\r\nEach Item must have at least a Title or a Description,\r\n2 Items didn't have either."},
        {"OneBadAmongSeveral", "T", "D", "L", {{"a", ""}, {"", ""}, {"", "d"}},
         "\r\nEach Item must have at least a Title or a Description,\r\n1 Items didn't have either."},
        {"UntitledItemWithDescriptionIsValid", "T", "D", "L", {{"(untitled)", "d"}}, ""},
        {"SingleEmptyItemWithoutPlaceholderIsBad", "T", "D", "L", {{"", ""}},
         "\r\nEach Item must have at least a Title or a Description,\r\n1 Items didn't have either."},
    }),
    CaseName<ValidationCase>);

TEST(ValidationTest, CheckLeavesTheFeedAlone) {
    TFeed feed;
    feed.Channel->Title = " (untitled) ";
    (void)FeedValidationProblems(feed);
    EXPECT_EQ(feed.Channel->Title, " (untitled) ");
    EXPECT_STREQ(kValidationQuestion, "\r\n\r\nWould you like to continue anyways?");
}

}  // namespace
}  // namespace feed
