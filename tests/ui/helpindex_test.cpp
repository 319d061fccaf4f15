// Reading the help files: which index line names a topic, the text of a topic,
// the topics the list shows and the tip drawn.
#include "help_fixture.h"
#include "platform/io/iostat.h"
#include "ui/helpindex.h"

#include <gtest/gtest.h>

using namespace meru;
using meru::test::HelpFiles;
using meru::test::key_line;

namespace {

std::string dashes() { return std::string(ui::kHelpEndLine); }

} // namespace

TEST(HelpLookup, ExactMatchOnFortyCharactersNeedsNoRecordNumber)
{
    // Equal first 40 characters: a match even with record 0 and whatever follows.
    const std::string forty = "Criteria dialog, the list of criteria ab";
    ASSERT_EQ(forty.size(), 40u);
    EXPECT_TRUE(ui::topic_matches(forty + "out it", 0, forty));
    EXPECT_TRUE(ui::topic_matches("Strategy dialog", 0, "Strategy dialog"));
    // A caller's longer topic is cut to 40 before comparing.
    EXPECT_TRUE(ui::topic_matches(forty, 3, forty + " and more words"));
    // Case counts.
    EXPECT_FALSE(ui::topic_matches("strategy dialog", 3, "Strategy dialog"));
}

TEST(HelpLookup, ContainmentNeedsARecordNumberAndBlanksAfterTheTopic)
{
    EXPECT_TRUE(ui::topic_matches("Help:Strategy dialog", 12, "Strategy dialog"));
    EXPECT_FALSE(ui::topic_matches("Help:Strategy dialog", 0, "Strategy dialog"));
    // Further words within the 40 characters after the match's start: no match.
    EXPECT_FALSE(ui::topic_matches("Help:Strategy dialog options", 12, "Strategy dialog"));
    // Words after the 40 characters of the match do not matter: the name below has
    // "Strategy dialog" at column 3 and "X" in column 43 = the 41st of the match.
    const std::string far = "? Strategy dialog" + std::string(25, ' ') + "X";
    ASSERT_EQ(far.find('X'), 42u);
    EXPECT_TRUE(ui::topic_matches(far, 5, "Strategy dialog"));
    // The match may start in columns 1 to 11 only.
    EXPECT_TRUE(ui::topic_matches(std::string(10, '-') + "Go", 1, "Go"));
    EXPECT_FALSE(ui::topic_matches(std::string(11, '-') + "Go", 1, "Go"));
    // A topic that is only a prefix of a longer name is not found.
    EXPECT_FALSE(ui::topic_matches("Strategy dialog", 4, "Strategy"));
}

TEST(HelpLookup, FirstMatchingLineOfTheIndexWinsAndBadLinesArePassedOver)
{
    platform::UnitRegistry registry;
    HelpFiles files(registry);
    files.write({key_line(0, "Help:Extent dialog"), "  abc Extent dialog", key_line(7, "Help:Extent dialog"),
                 key_line(9, "Extent dialog")},
                {});
    auto found = ui::find_topic(files.units, ui::kHelpIndexUnit, "Extent dialog");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->record, 7); // the record-0 line only contains it; the bad line is skipped
    EXPECT_EQ(found->name, ui::fixed_width("Help:Extent dialog", 50));
    // Every lookup starts from the top of the index.
    found = ui::find_topic(files.units, ui::kHelpIndexUnit, "Extent dialog");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->record, 7);
    EXPECT_FALSE(ui::find_topic(files.units, ui::kHelpIndexUnit, "Extent"));
    EXPECT_FALSE(ui::find_topic(files.units, ui::kHelpIndexUnit, "NOTE: No Y"));
}

TEST(HelpText, TopicEndsBeforeTheDashLineAndShowsAtMostNineteenLines)
{
    platform::UnitRegistry registry;
    HelpFiles files(registry);
    std::vector<std::string> text = {"first line", "second line", dashes() + " end", dashes()};
    for (int i = 1; i <= 25; ++i) text.push_back("long " + std::to_string(i));
    text.push_back(dashes());
    files.write({}, text);

    auto t = ui::read_topic_text(files.units, ui::kHelpTextUnit, 1);
    EXPECT_EQ(t.status, 0);
    ASSERT_EQ(t.lines.size(), 2u);
    EXPECT_EQ(t.lines[0], ui::fixed_width("first line", 75));
    // A topic that starts at the dash line is empty.
    t = ui::read_topic_text(files.units, ui::kHelpTextUnit, 4);
    EXPECT_EQ(t.status, 0);
    EXPECT_TRUE(t.lines.empty());
    // 25 lines without a dash line within reach: the first 19.
    t = ui::read_topic_text(files.units, ui::kHelpTextUnit, 5);
    ASSERT_EQ(t.lines.size(), 19u);
    EXPECT_EQ(t.lines.back(), ui::fixed_width("long 19", 75));
    // Running into the end of the file ends the text there.
    t = ui::read_topic_text(files.units, ui::kHelpTextUnit, 28);
    EXPECT_EQ(t.status, 0);
    ASSERT_EQ(t.lines.size(), 2u);
    EXPECT_EQ(t.lines[1], ui::fixed_width("long 25", 75));
}

TEST(HelpText, RecordZeroAndRecordsBeyondTheFileAreReadErrors)
{
    platform::UnitRegistry registry;
    HelpFiles files(registry);
    files.write({}, {"only", dashes()});
    auto t = ui::read_topic_text(files.units, ui::kHelpTextUnit, 0);
    EXPECT_EQ(t.status, io::kErrBadRecord);
    EXPECT_TRUE(t.lines.empty());
    t = ui::read_topic_text(files.units, ui::kHelpTextUnit, 3);
    EXPECT_EQ(t.status, io::kErrBadRecord);
}

TEST(HelpTopicList, NotesErrorsAndDialogHelpAreLeftOut)
{
    for (const char* name : {"NOTE: No Y", "Note: Still log-rank", "ERROR: Notepad", "Help: Criteria",
                             "HELP on the keys", "?Rectangle diagrams", "", "     "})
        EXPECT_FALSE(ui::is_listable(name)) << name;
    for (const char* name : {"note on weights", "M E R U", "Strategy dialog", "Error bars", "help pages",
                             " NOTE indented", "Not a note"})
        EXPECT_TRUE(ui::is_listable(name)) << name;

    platform::UnitRegistry registry;
    HelpFiles files(registry);
    // "Criteria menu" and "By groups" share the text of the name before them and
    // are not listed again; "Extent" shares a record with a name that is not
    // listed, and names without a record are each listed.
    files.write({key_line(1, "NOTE: No Y"), key_line(2, "Criteria"), key_line(2, "Criteria menu"),
                 key_line(3, "Help:Criteria"), key_line(4, "note on weights"), "x", key_line(5, "?Go on?"),
                 key_line(5, "Extent"), key_line(6, "By group"), key_line(6, "By groups"), key_line(0, "Loose"),
                 key_line(0, "Loose too")},
                {"text", dashes()});
    const auto table = ui::listable_topics(files.units, ui::kHelpIndexUnit);
    EXPECT_FALSE(table.overflow);
    std::vector<std::string> want;
    for (const char* name : {"Criteria", "note on weights", "Extent", "By group", "Loose", "Loose too"})
        want.push_back(ui::fixed_width(name, 50));
    EXPECT_EQ(table.names, want);
}

TEST(HelpTopicList, KeepsThreeHundredTopics)
{
    platform::UnitRegistry registry;
    HelpFiles files(registry);
    std::vector<std::string> index;
    for (int i = 1; i <= 302; ++i) index.push_back(key_line(i, "Topic " + std::to_string(i)));
    files.write(index, {"text", dashes()});
    const auto table = ui::listable_topics(files.units, ui::kHelpIndexUnit);
    EXPECT_TRUE(table.overflow);
    ASSERT_EQ(table.names.size(), 300u);
    EXPECT_EQ(table.names.back(), ui::fixed_width("Topic 300", 50));
}

TEST(HelpTips, EveryTopicCanBeDrawnAndEquallyOften)
{
    // u in (0, 1): with 4 topics the quarters of (0, 1) give topics 1 to 4.
    EXPECT_EQ(ui::tip_number(4, 1e-9), 1);
    EXPECT_EQ(ui::tip_number(4, 0.2499), 1);
    EXPECT_EQ(ui::tip_number(4, 0.25), 2);
    EXPECT_EQ(ui::tip_number(4, 0.7501), 4);
    EXPECT_EQ(ui::tip_number(4, 0.999999), 4);
    EXPECT_EQ(ui::tip_number(1, 0.99), 1);
    EXPECT_EQ(ui::tip_number(0, 0.5), 0);
}
