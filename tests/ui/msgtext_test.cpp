// The text rules of the message routines: the end marker, the squeeze with its
// blank after a dropped marker, captions, the note's cut by kind, questions.
#include "ui/msgtext.h"

#include <gtest/gtest.h>

using namespace meru::ui;
using meru::NoteKind;

TEST(SqueezeTest, CollapsesBlankRunsAndDropsTheMarker)
{
    EXPECT_EQ(squeeze("  x  "), " x ");     // a leading blank stays
    EXPECT_EQ(squeeze("a $ b"), "a  b");    // the blank after "$" followed "$", not a blank
    EXPECT_EQ(squeeze("a  $$  b"), "a  b"); // one blank of each run stays
    EXPECT_EQ(squeeze("x$y$"), "xy");
    EXPECT_EQ(squeeze(""), "");
    EXPECT_EQ(squeeze("a b  c", ' '), "abc"); // with the blank as marker every blank goes
}

TEST(MessageTextTest, TheBoxTextEndsAtTheMarkerAndIsCutAt160)
{
    EXPECT_EQ(box_text("Fatal error in .MRC file. File ignored$"), "Fatal error in .MRC file. File ignored");
    EXPECT_EQ(box_caption(box_text("Fatal error in .MRC file. File ignored$")), "Fatal erro....");
    EXPECT_EQ(box_text("$"), "");
    EXPECT_EQ(box_caption(""), "....");
    EXPECT_EQ(box_caption("Short"), "Short....");
    EXPECT_EQ(box_text("NOTE:  two   runs $ never shown"), "NOTE: two runs ");
    EXPECT_EQ(box_text(std::string(300, 'x')).size(), 160u);
    EXPECT_EQ(upto_dollar("abc$def$"), "abc");
    EXPECT_EQ(upto_dollar("no marker"), "no marker");
}

TEST(MessageTextTest, TheNoteIsCutBeforeColumnKind)
{
    const std::string long_text(120, 'n');
    EXPECT_EQ(note_text(long_text, NoteKind::Cut79).size(), 79u);
    EXPECT_EQ(note_text(long_text, NoteKind::Cut49).size(), 49u);
    EXPECT_EQ(note_text(long_text, NoteKind::Quit).size(), 120u); // the quit note has no such cut
    EXPECT_EQ(note_text(long_text, NoteKind::Full).size(), 120u);
    EXPECT_EQ(note_text("abcdef$", NoteKind::Cut49), "abcdef");
    EXPECT_EQ(note_text(std::string(400, 'q'), NoteKind::Quit).size(), 255u);
    EXPECT_EQ(note_text("Analysis  of BY   group 2$tail", NoteKind::Cut79), "Analysis of BY group 2");
}

TEST(MessageTextTest, AQuestionRunsToItsSecondQuestionMark)
{
    Question q = question_text("?Prints only currently in focus window. Continue?$");
    EXPECT_EQ(q.text, "?Prints only currently in focus window. Continue? ");
    EXPECT_EQ(q.shown, "Prints only currently in focus window. Continue? ");
    EXPECT_EQ(q.topic, "?Prints only currently in focus window. "); // 40 characters
    EXPECT_EQ(q.topic.size(), 40u);

    q = question_text("?Save?  ignored after the question");
    EXPECT_EQ(q.text, "?Save? ");
    EXPECT_EQ(q.topic, "?Save?"); // n = 6

    q = question_text("??"); // n = 2 when the second character is "?"
    EXPECT_EQ(q.text, "?? ");
    EXPECT_EQ(q.shown, "? ");

    q = question_text("Quit  now$"); // no "?": the whole text, squeezed
    EXPECT_EQ(q.text, "Quit now ");
    EXPECT_EQ(q.shown, "Quit now ");
    EXPECT_EQ(q.topic, "Quit now ");
}
