// The viewer's page model and moves: which lines each page shows, the counters
// L, s and at end after each move, and the search and wrap rules of the log
// viewer and of the other viewers. Expected values are worked out by hand from
// the page rules (a page reads n - 1 = 44 lines; backing up stops moving the unit
// while L > total + 1).
#include "support/temp_path.h"
#include "ui/viewer/session.h"

#include <gtest/gtest.h>

#include <fstream>

namespace meru::ui::viewer {
namespace {

// A file of `total` lines "line k"; the lines in `marked` read "marked k".
std::string make_file(const std::string& name, int total, std::vector<int> marked = {},
                      const std::string& mark = "needle")
{
    const std::string path = test::temp_path(name);
    std::ofstream out(path, std::ios::binary);
    for (int k = 0; k < total; ++k) {
        const bool m = std::find(marked.begin(), marked.end(), k) != marked.end();
        out << (m ? mark + " " : "line ") << k << "\n";
    }
    return path;
}

class SessionTest : public ::testing::Test {
protected:
    void start(const std::string& path, SessionSetup setup, std::string_view search = "")
    {
        ASSERT_TRUE(index.open(path));
        session = std::make_unique<Session>(
            index, setup, textcol1, [this](const Page& p) { pages.push_back(p); }, [this] { ++not_found; });
        session->open(search);
    }
    long long first() const { return pages.back().rows.front(); }
    // The line of the highlighted row, -1 for none.
    long long highlighted() const
    {
        const Page& p = pages.back();
        return p.highlight < 0 ? -1 : p.rows[static_cast<std::size_t>(p.highlight)];
    }
    const Pager& pg() const { return session->pager(); }

    LineIndex index;
    int textcol1 = 1;
    std::vector<Page> pages;
    int not_found = 0;
    std::unique_ptr<Session> session;
};

TEST_F(SessionTest, ShortFilePageHasGreyRowsAndSIsTheFirstGreyRow)
{
    start(make_file("ten.txt", 10), {45, true, true}, "anything");
    ASSERT_EQ(pages.size(), 1u); // under 45 lines: the first page, no search
    const Page& p = pages.back();
    ASSERT_EQ(p.rows.size(), 44u);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(p.rows[static_cast<std::size_t>(k)], k);
    for (std::size_t r = 10; r < 44; ++r) EXPECT_EQ(p.rows[r], -1);
    EXPECT_EQ(pg().s, 12);
    EXPECT_TRUE(pg().at_end);
    EXPECT_EQ(pg().L, 44);
    EXPECT_EQ(pg().p, 11);

    // Page up undoes the reads past the end without moving: 33 steps stay, 23 move.
    session->page_up();
    EXPECT_EQ(first(), 0);

    // Page down at the end does nothing.
    const std::size_t drawn = pages.size();
    session->page_down();
    EXPECT_EQ(pages.size(), drawn);
}

TEST_F(SessionTest, PageMovesKeepTheCounters)
{
    start(make_file("two_hundred.txt", 200, {60}, "%time12:00:00:00"), {45, true, true}, "%time12:00:00:00 60");
    // Hit on line 60: L = 60 lines read before it, back up two: the hit is the
    // page's second line, not highlighted (not a Find).
    EXPECT_EQ(first(), 59);
    EXPECT_EQ(highlighted(), -1);
    EXPECT_EQ(pg().L, 58 + 44);
    EXPECT_EQ(pg().s, 45);
    EXPECT_FALSE(pg().at_end);

    session->page_down();
    EXPECT_EQ(first(), 103);
    session->page_up(); // back s + n - 1 = 89 lines from 147
    EXPECT_EQ(first(), 58);
    session->line_down();
    EXPECT_EQ(first(), 59);
    session->line_up();
    EXPECT_EQ(first(), 58);
    session->right();
    EXPECT_EQ(first(), 58);
    EXPECT_EQ(textcol1, 21);
    session->left();
    session->left();
    EXPECT_EQ(textcol1, 1);
    EXPECT_EQ(first(), 58);

    session->top();
    EXPECT_EQ(first(), 0);
    EXPECT_EQ(pg().L, 44);

    session->end(); // the last 44 lines, then at end
    EXPECT_EQ(first(), 156);
    EXPECT_EQ(pages.back().rows.back(), 199);
    EXPECT_EQ(pg().L, 200);
    EXPECT_TRUE(pg().at_end);
    const std::size_t drawn = pages.size();
    session->page_down();
    EXPECT_EQ(pages.size(), drawn);
    session->page_up();
    EXPECT_EQ(first(), 111);
}

TEST_F(SessionTest, EndOnAFullPageFileOnlySetsAtEnd)
{
    start(make_file("forty_four.txt", 44), {45, false, false});
    EXPECT_FALSE(pg().at_end); // 44 lines fill the page without reading the end
    session->end();
    EXPECT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pg().at_end);
}

TEST_F(SessionTest, FindStepsThroughHitsAndWrapsOnceInOtherViewers)
{
    start(make_file("find.txt", 200, {10, 20, 150}), {45, false, false});
    EXPECT_EQ(first(), 0);
    session->find("needle");
    EXPECT_EQ(session->recorded_length(), 7); // "needle " squeezed
    EXPECT_EQ(first(), 9);
    EXPECT_EQ(highlighted(), 10);
    session->find("needle");
    EXPECT_EQ(highlighted(), 20);
    session->find("needle");
    EXPECT_EQ(highlighted(), 150);
    session->find("needle"); // the end, then on from the top once
    EXPECT_EQ(highlighted(), 10);
    EXPECT_EQ(not_found, 0);
    session->find("needle");
    session->find("needle");
    EXPECT_EQ(highlighted(), 150);
    const std::size_t drawn = pages.size();
    session->find("needle"); // the end again: the message, the unit rewound, no page
    EXPECT_EQ(not_found, 1);
    EXPECT_EQ(pages.size(), drawn);
    EXPECT_EQ(pg().p, 0);
    session->page_down();
    EXPECT_EQ(first(), 0);
}

TEST_F(SessionTest, LogViewerShowsTheFirstPageAtTheEndThenTheMessageUntilGoto)
{
    const std::string path = make_file("log.txt", 200, {10, 100}, "%time");
    start(path, {45, true, true}, "%time 100");
    EXPECT_EQ(first(), 99);
    session->find("%time"); // none after 100: the first page
    EXPECT_EQ(first(), 0);
    EXPECT_EQ(highlighted(), -1);
    EXPECT_TRUE(session->end_reached());
    session->find("%time"); // from the page's third line: line 10
    EXPECT_EQ(highlighted(), 10);
    session->find("%time");
    EXPECT_EQ(highlighted(), 100);
    session->find("%time");
    EXPECT_EQ(not_found, 1);
    session->go_to("%time 10");
    EXPECT_FALSE(session->end_reached());
    EXPECT_EQ(first(), 9);
}

TEST_F(SessionTest, FindTextIsSqueezedAndBeginSearchesTheWholeCallerText)
{
    start(make_file("begin.txt", 100, {5, 50}, "%time12:00:00:0"), {45, true, true}, "%time12:00:00:0 50");
    EXPECT_EQ(first(), 49);
    session->find("a    b"); // squeezed "a b ": m = 4, searched "a b"
    EXPECT_EQ(session->recorded_length(), 4);
    EXPECT_EQ(session->find_text().substr(0, 5), "a b  ");
    EXPECT_EQ(session->search_text(), "a b");
    session->top();
    // Begin searches the caller's whole time line, not the first m - 1 = 3
    // characters that the Find left.
    session->begin("%time12:00:00:0 50");
    EXPECT_EQ(session->recorded_length(), 20);
    EXPECT_EQ(first(), 49);

    session->find(std::string(30, 'x') + "   " + std::string(20, 'y')); // 50 kept, squeezed, 20 kept
    EXPECT_EQ(session->recorded_length(), 20);
    EXPECT_EQ(session->search_text(), std::string(20, 'x'));
}

TEST_F(SessionTest, AHitOnTheFirstLineShowsTheFirstPageHighlightingTheRowBelow)
{
    start(make_file("first.txt", 100, {0}), {45, false, false});
    session->find("needle"); // from the top: s - 3 records back stop at line 0
    EXPECT_EQ(first(), 0);
    EXPECT_EQ(highlighted(), 1);
}

} // namespace
} // namespace meru::ui::viewer
