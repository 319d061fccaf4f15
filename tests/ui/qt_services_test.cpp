// The core's view of the interface services: each call reaches the Qt services
// on the one context (texts shortened, the log written, Search:End read and cleared).
#include "platform/canvas.h"
#include "platform/events.h"
#include "ui/qt_services.h"
#include "ui/thinking.h"
#include "ui_fixture.h"

using namespace meru;
using meru::test::EndRecorder;
using meru::test::make_script;
using meru::test::UiTest;

TEST_F(UiTest, TheCoresCallsReachTheInterfaceServices)
{
    EndRecorder end;
    auto script = make_script("answer cancel\n"
                              "answer no\n"
                              "answer ok\n",
                              end);
    ctx.host.script = script.get();
    bool search_end = false;
    ui::QtServices services(ctx, search_end);
    Services& sv = services;

    std::string text = "ERROR:  Variable   not found$";
    EXPECT_EQ(sv.msgbox(text, BoxKind::OkCancel, true), 2);
    EXPECT_EQ(text, "ERROR: Variable not found");
    EXPECT_FALSE(sv.quiz("?Continue?"));
    sv.note("NOTE: added attributes$", NoteKind::Cut79, true);
    ASSERT_TRUE(frame.open_window(21, "Plot"));
    frame.set_active(21);
    sv.selfont(-5);
    EXPECT_EQ(frame.canvas(21)->text_width("W"), 7);
    sv.thinking("", false);
    sv.thinking("..reading data", true);
    EXPECT_EQ(frame.canvas(ui::kThinkingUnit)->journal().size(), 0u); // journaling is off
    EXPECT_EQ(frame.focus(), ui::kThinkingUnit);

    platform::FakeClock clock;
    platform::set_clock(&clock);
    sv.actlog("%Rank:ROC curves");
    platform::set_clock(nullptr);
    ASSERT_EQ(ctx.history.entries.size(), 1u);
    EXPECT_EQ(ctx.history.entries[0].heading, "Rank:ROC curves");

    EXPECT_FALSE(sv.search_end());
    search_end = true;
    EXPECT_TRUE(sv.search_end());
    sv.clear_search_end();
    EXPECT_FALSE(search_end);
    sv.yield();

    EXPECT_EQ(end.status, -1);
    EXPECT_EQ(script->position(), 3u);
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "ERROR: Variable not found");
    EXPECT_EQ(lines[1], "NOTE: added attributes");
    EXPECT_EQ(lines[2], "%Rank:ROC curves");
    EXPECT_TRUE(lines[3].starts_with("%time"));
}
