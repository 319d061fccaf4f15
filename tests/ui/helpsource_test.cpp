// The help files made from their source: the layout of both files, the checks on
// the source, the committed files against a fresh build, and a help text for every
// topic that the program's code asks for.
#include "help_fixture.h"
#include "platform/io/units.h"
#include "ui/helpindex.h"
#include "ui/helpsource.h"
#include "ui/msgtext.h"
#include "platform/io/strings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace meru;

namespace {

const std::string kResources = std::string(MERU_TEST_DATA_DIR) + "/../resources";
const std::string kSources = std::string(MERU_TEST_DATA_DIR) + "/../src";

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool has_error(const ui::HelpBuild& b, const std::string& part)
{
    for (const auto& e : b.errors)
        if (e.find(part) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(HelpSource, LongLinesWrapAtBlanks)
{
    EXPECT_EQ(ui::wrap_line("one two three", 7), (std::vector<std::string>{"one two", "three"}));
    EXPECT_EQ(ui::wrap_line("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
    EXPECT_EQ(ui::wrap_line("  indented text  ", 20), (std::vector<std::string>{"  indented text"}));
    EXPECT_EQ(ui::wrap_line("", 75), (std::vector<std::string>{""}));
    EXPECT_EQ(ui::wrap_line("  abcdef", 5), (std::vector<std::string>{"  abc", "def"}));
    const auto lines = ui::wrap_line(std::string(100, 'x') + " y", 75);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 75u);
    EXPECT_EQ(lines[1], std::string(25, 'x') + " y");
}

TEST(HelpSource, NamesShareATextAndRecordsCountFromOne)
{
    const auto b =
        ui::build_help_files("# comment\n@ First\n@ Alias\nline one\n\nline three\n\n\n@ NOTE: Second\nonly\n");
    EXPECT_TRUE(b.errors.empty());
    EXPECT_EQ(b.index, "     1 First\n     1 Alias\n     5 NOTE: Second\n");
    const std::string dash = ui::fixed_width("--------------------", 75) + "\r\n";
    EXPECT_EQ(b.text, ui::fixed_width("line one", 75) + "\r\n" + std::string(75, ' ') + "\r\n" +
                          ui::fixed_width("line three", 75) + "\r\n" + dash + ui::fixed_width("only", 75) + "\r\n" +
                          dash);
    EXPECT_EQ(b.text.size(), 6u * 77u);
}

TEST(HelpSource, MistakesInTheSourceAreReported)
{
    EXPECT_TRUE(has_error(ui::build_help_files("stray\n@ A\ntext\n"), "help.src:1: text before"));
    EXPECT_TRUE(has_error(ui::build_help_files("@ " + std::string(51, 'n') + "\ntext\n"), "longer than 50"));
    EXPECT_TRUE(has_error(ui::build_help_files("@ Empty\n\n@ B\ntext\n"), "help.src:1: topic without text"));
    std::string twenty = "@ Long\n";
    for (int i = 0; i < 20; ++i) twenty += "line\n";
    EXPECT_TRUE(has_error(ui::build_help_files(twenty), "more than 19 lines (20)"));
    // A name that an earlier line already answers could never be shown.
    EXPECT_TRUE(has_error(ui::build_help_files("@ Help:Go\ntext\n@ Go\nother\n"), "\"Go\" is answered by"));
    EXPECT_TRUE(has_error(ui::build_help_files("@ Go\ntext\n@ Go\nother\n"), "\"Go\" is answered by"));
    EXPECT_TRUE(ui::build_help_files("@ Go\n@ Go\ntext\n").errors.empty()); // one text
    EXPECT_TRUE(ui::build_help_files("@ Go\ntext\n@ Help:Go\nother\n").errors.empty());
}

TEST(HelpSource, CommittedHelpFilesAreBuiltFromTheSource)
{
    const auto b = ui::build_help_files(slurp(kResources + "/help/help.src"));
    for (const auto& e : b.errors) ADD_FAILURE() << e;
    const std::string key = kResources + "/merukey.txt";
    const std::string hlp = kResources + "/meruhlp.txt";
    if (std::getenv("MERU_WRITE_HELP")) {
        std::ofstream(key, std::ios::binary) << b.index;
        std::ofstream(hlp, std::ios::binary) << b.text;
    }
    EXPECT_TRUE(slurp(key) == b.index) << "merukey.txt differs from help.src: regenerate it (see help.src)";
    EXPECT_TRUE(slurp(hlp) == b.text) << "meruhlp.txt differs from help.src: regenerate it (see help.src)";
    EXPECT_EQ(b.text.size() % 77, 0u);
}

// The help topics named in the program's code: the texts of helpshow calls and of
// constants whose name says they are a topic, and the questions (whose Help button
// shows the question as a topic).
std::set<std::string> topics_in_code()
{
    const std::regex shown(R"re(helpshow\s*\([^;"]*?"([^"]*)")re");
    const std::regex named(R"re([Tt]opic\w*\s*(?:=|\{|\()\s*"([^"]*)")re");
    const std::regex asked(R"re(quiz\s*\([^;"]*?"(\?[^"]*)")re");
    std::set<std::string> topics;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSources)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        const std::string code = slurp(entry.path().string());
        for (const std::regex* re : {&shown, &named})
            for (std::sregex_iterator it(code.begin(), code.end(), *re), end; it != end; ++it)
                topics.insert((*it)[1].str());
        for (std::sregex_iterator it(code.begin(), code.end(), asked), end; it != end; ++it)
            topics.insert(ui::question_text((*it)[1].str()).topic);
    }
    return topics;
}

TEST(HelpSource, EveryTopicTheProgramAsksForHasAText)
{
    platform::UnitRegistry registry;
    io::FileUnits units(registry);
    ASSERT_EQ(ui::open_help_index(units, kResources + "/merukey.txt"), 0);
    ASSERT_EQ(ui::open_help_text(units, kResources + "/meruhlp.txt"), 0);
    std::set<std::string> topics = topics_in_code();
    // Asked for by name by the main routine and the help menu.
    topics.insert("M E R U");
    for (const auto& topic : topics) {
        auto found = ui::find_topic(units, ui::kHelpIndexUnit, topic);
        if (!found) {
            ADD_FAILURE() << "no help for \"" << topic << "\"";
            continue;
        }
        const auto text = ui::read_topic_text(units, ui::kHelpTextUnit, found->record);
        EXPECT_EQ(text.status, 0) << topic;
        EXPECT_FALSE(text.lines.empty()) << topic;
    }
}

// Topics that must tell the user something the program's behaviour depends on:
// why Lists is greyed and what it lists, what the cell counts (and the diagram
// drawn from them) include beyond the sample of the 2x2 statistics, and more.
TEST(HelpSource, TopicsSayWhatTheUserCannotSeeElsewhere)
{
    platform::UnitRegistry registry;
    io::FileUnits units(registry);
    ASSERT_EQ(ui::open_help_index(units, kResources + "/merukey.txt"), 0);
    ASSERT_EQ(ui::open_help_text(units, kResources + "/meruhlp.txt"), 0);
    const std::pair<const char*, const char*> said[] = {
        {"Process menu", "greyed when the data have no identifier"},
        {"Process menu", "_ID_"},
        {"Process menu", "cell counts (#s in non-empty disjoint cells) include the observations with a missing Y, "
                         "and those a missing attribute value leaves in neither A nor A-"},
        {"Rectangle diagrams", "Counts include the observations with a missing Y, and those a missing attribute "
                               "value leaves in neither A nor A-"},
        {"Process menu", "Lists: the observations in each subgroup (term) of A and in each non-empty intersection"},
        {"Added attributes", "A search leaves them out of its attribute set unless one is forced in"},
        {"Bootstrap", "each further series draws new ones"},
        {"Training and test samples", "Process > Statistics then describes the sample in use"},
    };
    for (const auto& [topic, phrase] : said) {
        const auto found = ui::find_topic(units, ui::kHelpIndexUnit, topic);
        ASSERT_TRUE(found) << topic;
        std::string text;
        for (const std::string& l : ui::read_topic_text(units, ui::kHelpTextUnit, found->record).lines)
            text += io::trim(l) + " ";
        EXPECT_NE(text.find(phrase), std::string::npos) << topic << ": " << text;
    }
}
