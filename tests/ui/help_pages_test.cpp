// The manual and FAQ pages made from the help source, and the pages the build lays
// next to the program.
#include "ui/help_pages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

using namespace meru;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool has(const std::string& page, const std::string& part) { return page.find(part) != std::string::npos; }

} // namespace

TEST(HelpPages, ListedTopicsMakeTheManualAndTheOthersTheQuestions)
{
    const auto built = ui::build_help_files("@ About MERU\nAll about <it> & \"more\".\n"
                                            "@ File menu\nOpen: a control file.\n"
                                            "@ NOTE: No data\nNothing was read.\n"
                                            "@ ERROR: Notepad\n@ Editor\nNo editor.\n"
                                            "@ ?Overwrite\nSay yes.\n");
    const ui::HelpPages p = ui::help_pages(built.topics);
    // Each topic in one page only, under its first name, linked from that page's contents.
    const struct {
        const char* name;
        const char* text;
        bool manual;
    } cases[] = {{"About MERU", "All about &lt;it&gt; &amp; &quot;more&quot;.", true},
                 {"File menu", "Open: a control file.", true},
                 {"NOTE: No data", "Nothing was read.", false},
                 {"ERROR: Notepad", "No editor.", false},
                 {"?Overwrite", "Say yes.", false}};
    for (const auto& c : cases) {
        const std::string& in = c.manual ? p.manual : p.faq;
        const std::string& out = c.manual ? p.faq : p.manual;
        EXPECT_TRUE(has(in, std::string(">") + c.name + "</h2>")) << c.name;
        EXPECT_TRUE(has(in, std::string(">") + c.name + "</a></li>")) << c.name;
        EXPECT_TRUE(has(in, c.text)) << c.name;
        EXPECT_FALSE(has(out, c.text)) << c.name;
    }
    EXPECT_FALSE(has(p.faq, ">Editor</h2>")); // a second name shares the first's section
    // The index holds the about text and links to both pages; nothing points away.
    EXPECT_TRUE(has(p.index, "All about &lt;it&gt;"));
    EXPECT_TRUE(has(p.index, "href=\"manual.html\""));
    EXPECT_TRUE(has(p.index, "href=\"faq.html\""));
    for (const std::string* page : {&p.index, &p.manual, &p.faq}) {
        EXPECT_EQ(page->rfind("<!DOCTYPE html>", 0), 0u);
        EXPECT_FALSE(has(*page, "http"));
    }
}

TEST(HelpPages, TheBuildLaysThePagesNextToTheProgram)
{
    const std::string folder = MERU_RUNTIME_DIR;
    const std::string index = slurp(folder + "/index.html");
    const std::string manual = slurp(folder + "/manual.html");
    const std::string faq = slurp(folder + "/faq.html");
    EXPECT_TRUE(has(index, "searching Boolean partitions of a data set"));
    EXPECT_TRUE(has(manual, ">Getting started</h2>"));
    EXPECT_TRUE(has(faq, ">ERROR: Notepad</h2>"));
    for (const std::string* page : {&index, &manual, &faq}) EXPECT_FALSE(has(*page, "://"));
}
