// The message box, the plain box, the question with its Help loop and the notes,
// on the real Qt boxes and dialogs and through a scripted run.
#include "ui/messages.h"
#include "ui_fixture.h"

using namespace meru;
using meru::test::EndRecorder;
using meru::test::make_script;
using meru::test::ModalAnswerer;
using meru::test::UiTest;

TEST_F(UiTest, MessageBoxShowsTheSqueezedTextWithItsCaptionAndLogsIt)
{
    ModalAnswerer answer({"OK", "Cancel", "OK"});
    std::string text = "Fatal error in .MRC file.   File ignored$ not shown";
    EXPECT_EQ(ui::msgbox(ctx, text, BoxKind::Ok, true), 1);
    EXPECT_EQ(text, "Fatal error in .MRC file. File ignored"); // written back
    std::string ask = "Overwrite  it?$";
    EXPECT_EQ(ui::msgbox(ctx, ask, BoxKind::Question, false), 2);
    std::string only = "$";
    EXPECT_EQ(ui::msgbox(ctx, only, BoxKind::OkCancel, false), 1);

    ASSERT_EQ(answer.shown.size(), 3u);
    EXPECT_EQ(answer.shown[0].caption, "Fatal erro....");
    EXPECT_EQ(answer.shown[0].text, "Fatal error in .MRC file. File ignored");
    EXPECT_EQ(answer.shown[0].icon, QMessageBox::Information);
    EXPECT_EQ(answer.shown[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(answer.shown[1].text, "Overwrite it?");
    EXPECT_EQ(answer.shown[1].icon, QMessageBox::Question);
    EXPECT_EQ(answer.shown[1].buttons.size(), 2u);
    EXPECT_EQ(answer.shown[2].text, "");
    EXPECT_EQ(answer.shown[2].caption, "....");
    EXPECT_EQ(answer.shown[2].icon, QMessageBox::Information);
    EXPECT_EQ(answer.shown[2].buttons.size(), 2u);
    EXPECT_EQ(log_lines(), std::vector<std::string>{"Fatal error in .MRC file. File ignored"});
}

TEST_F(UiTest, PlainBoxCutsAtTheMarkerAndNeverLogs)
{
    ModalAnswerer answer({"OK"});
    ui::msgok(ctx, "ERROR: Unable to  register graphics fonts$tail");
    ASSERT_EQ(answer.shown.size(), 1u);
    EXPECT_EQ(answer.shown[0].caption, "Message...");
    EXPECT_EQ(answer.shown[0].text, "ERROR: Unable to  register graphics fonts "); // not squeezed
    EXPECT_EQ(answer.shown[0].icon, QMessageBox::NoIcon);
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(UiTest, AQuestionIsAskedAgainAfterEachHelpUntilYesOrNo)
{
    std::vector<std::string> topics;
    ctx.help = [&](std::string_view t) { topics.emplace_back(t); };
    ModalAnswerer answer({"Help", "Help", "Yes", "Help", "No", "Esc"});
    std::string q = "?Prints only currently in focus window. Continue?$";
    EXPECT_TRUE(ui::quiz(ctx, q));
    EXPECT_EQ(q, "?Prints only currently in focus window. Continue? ");
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics[0], "?Prints only currently in focus window. ");
    ASSERT_EQ(answer.shown.size(), 3u);
    EXPECT_EQ(answer.shown[0].caption, "Query:");
    EXPECT_EQ(answer.shown[0].text, "Prints only currently in focus window. Continue? ");
    EXPECT_EQ(answer.shown[0].buttons, (std::vector<std::string>{"Yes", "No", "Help"}));

    std::string again = "?Really?";
    EXPECT_FALSE(ui::quiz(ctx, again)); // Help, then No
    EXPECT_EQ(topics.size(), 3u);
    EXPECT_FALSE(ui::quiz(ctx, again)); // Esc answers no
    EXPECT_TRUE(answer.exhausted());
}

TEST_F(UiTest, WithoutHelpDisplayTheStandInNamesTheTopic)
{
    ModalAnswerer answer({"Help", "OK", "No"});
    std::string q = "?Delete the oldest added attributes?";
    EXPECT_FALSE(ui::quiz(ctx, q));
    ASSERT_EQ(answer.shown.size(), 3u);
    EXPECT_EQ(answer.shown[1].caption, "No help ");
    EXPECT_EQ(answer.shown[1].text, "No HELP available on: ?Delete the oldest added attributes? ");
    EXPECT_EQ(answer.shown[1].icon, QMessageBox::Warning);
}

TEST_F(UiTest, ScriptedHelpHelpYesEndsTheQuestion)
{
    EndRecorder end;
    auto script = make_script("dialog 127\n press Help\n"
                              "dialog Query:\n press Help\n"
                              "answer yes\n",
                              end);
    ctx.host.script = script.get();
    int helps = 0;
    ctx.help = [&](std::string_view) { ++helps; };
    std::string q = "?Quit the search?";
    EXPECT_TRUE(ui::quiz(ctx, q));
    EXPECT_EQ(helps, 2);
    EXPECT_EQ(end.status, -1);
    EXPECT_EQ(script->position(), 3u);
}

TEST_F(UiTest, NotesCutTheirTextAndTheQuitNoteComesBackUntilAnswered)
{
    EndRecorder end;
    auto script = make_script("answer ok\n"
                              "dialog 141\n press esc\n"
                              "dialog 141\n press Quit by group\n"
                              "dialog 141\n press Yes to all\n"
                              "dialog 140\n press esc\n"
                              "answer ok\n",
                              end);
    ctx.host.script = script.get();
    std::string text = std::string(100, 'a') + "$";
    EXPECT_EQ(ui::note(ctx, text, NoteKind::Cut79, true), 1);
    EXPECT_EQ(text, std::string(79, 'a'));
    std::string by = "Analysis of BY   group 3$";
    EXPECT_EQ(ui::note(ctx, by, NoteKind::Quit, false), 2); // Esc showed it again
    EXPECT_EQ(by, "Analysis of BY group 3");
    EXPECT_EQ(ui::note(ctx, by, NoteKind::Quit, false), 4);
    std::string plain = "Done$";
    EXPECT_EQ(ui::note(ctx, plain, NoteKind::Cut79, false), 1); // Esc, then OK
    EXPECT_EQ(end.status, -1);
    EXPECT_EQ(script->position(), 6u);
    EXPECT_EQ(log_lines(), std::vector<std::string>{std::string(79, 'a')});
}

TEST_F(UiTest, MissingTemplatesAreLoggedWithADefinedResult)
{
    platform::DialogLibrary none;
    ui::Context bare{frame, menus, ctx.host, none, log, MERU_RUNTIME_DIR, {}, {}, {}, {}};
    std::string q = "?Go on?";
    EXPECT_FALSE(ui::quiz(bare, q));
    std::string n = "note$";
    EXPECT_EQ(ui::note(bare, n, NoteKind::Cut79, false), 1);
    EXPECT_EQ(ui::note(bare, n, NoteKind::Quit, false), 1);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"Error: dialogquiz  not found", "Error: dialognote not found",
                                                     "Error: dialogquit  not found"}));
}

TEST_F(UiTest, LogCopiesWhileNoLogIsOpenAreDropped)
{
    log.close();
    QFile::remove(QString::fromStdString(log_path));
    EndRecorder end;
    auto script = make_script("answer ok\n", end);
    ctx.host.script = script.get();
    std::string text = "NOTE: nothing to log$";
    ui::msgbox(ctx, text, BoxKind::Ok, true);
    EXPECT_EQ(log.dropped(), 1);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(log_path)));
}
