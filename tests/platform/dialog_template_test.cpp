// Dialog templates: the text format, its errors, and every template the program ships.
#include "platform/dialog_template.h"

#include <gtest/gtest.h>

using namespace meru::platform;

namespace {

DialogLibrary parse(const std::string& text, std::vector<std::string>& errors)
{
    DialogLibrary lib;
    parse_dialog_templates(text, "t.dlg", lib, errors);
    return lib;
}

} // namespace

TEST(DialogTemplateTest, ReadsCaptionFrameControlsAndStyles)
{
    std::vector<std::string> errors;
    auto lib = parse(R"(# a comment
dialog 107 "Extent Parameters" 50 0 223 126
  static -1   "Size p_1,..,p_q"   10 10 80 10
  edit   1000 ""                  95 10 60 12
  radio  1004 "A and A-"          10 30 60 10 group
  radio  1005 "A- only"           10 42 60 10
  list   1002 ""                  20 60 75 50 multi sort vscroll
  button 1    "OK"               154  6 50 14 default
  button 2    "Say ""hi"""       154 25 50 14
end
)",
                     errors);
    ASSERT_TRUE(errors.empty()) << errors.front();
    const DialogTemplate* d = lib.find(107);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->caption, "Extent Parameters");
    EXPECT_EQ(d->x, 50);
    EXPECT_EQ(d->width, 223);
    EXPECT_EQ(d->height, 126);
    ASSERT_EQ(d->controls.size(), 7u);
    EXPECT_EQ(d->controls[0].kind, ControlKind::Static);
    EXPECT_EQ(d->controls[0].text, "Size p_1,..,p_q");
    EXPECT_EQ(d->controls[1].kind, ControlKind::Edit);
    EXPECT_EQ(d->controls[1].id, 1000);
    EXPECT_TRUE(d->controls[2].has_style("group"));
    EXPECT_FALSE(d->controls[3].has_style("group"));
    EXPECT_TRUE(d->controls[4].has_style("multi"));
    EXPECT_TRUE(d->controls[4].has_style("sort"));
    EXPECT_EQ(d->controls[4].y, 60);
    EXPECT_EQ(d->controls[4].height, 50);
    EXPECT_TRUE(d->controls[5].has_style("default"));
    EXPECT_EQ(d->controls[6].text, "Say \"hi\"");
    EXPECT_EQ(lib.find(108), nullptr);
}

TEST(DialogTemplateTest, EveryErrorIsNamedWithItsLineAndTheDialogIsLeftOut)
{
    struct Case {
        const char* text;
        const char* expect; // part of the message
    };
    const Case cases[] = {
        {"dialog 5 \"A\" 0 0 10 10\n  slider 3 \"\" 0 0 1 1\nend\n", "t.dlg:2: unknown control kind \"slider\""},
        {"dialog 5 \"A\" 0 0 10 10\n  button 3 \"x\" 0 0 1 1 multi\nend\n",
         "t.dlg:2: style \"multi\" does not apply"},
        {"dialog 5 \"A\" 0 0 10 10\n  button x \"x\" 0 0 1 1\nend\n", "t.dlg:2: control id and position"},
        {"dialog 5 \"A\" 0 0 10 10\n  button 3 \"x 0 0 1 1\nend\n", "t.dlg:2: text without its closing quote"},
        {"dialog 5 \"A\" 0 0 10 10\n  button 3 \"x\" 0 0 1 1\n", "t.dlg:1: dialog 5 has no \"end\""},
        {"dialog 5 \"A\" 0 0 10 10\n  edit 3 \"\" 0 0 1 1\n  check 3 \"c\" 0 0 1 1\nend\n",
         "t.dlg:3: control id 3 used twice"},
        {"dialog 5 \"A\" 0 0 10 10\n  button 1 \"a\" 0 0 1 1 default\n  button 2 \"b\" 0 0 1 1 default\nend\n",
         "t.dlg:3: a second default button"},
        {"dialog 5 A 0 0 10 10\nend\n", "t.dlg:1: expected: dialog ID"},
        {"dialog 5 \"A\" 0 0 0 10\nend\n", "t.dlg:1: dialog size must be positive"},
        {"  button 3 \"x\" 0 0 1 1\n", "t.dlg:1: \"button\" outside a dialog"},
        {"dialog 5 \"A\" 0 0 10 10\n  button 3 \"x\" 0 0 1\nend\n", "t.dlg:2: expected: button ID"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> errors;
        auto lib = parse(c.text, errors);
        ASSERT_FALSE(errors.empty()) << c.text;
        EXPECT_NE(errors.front().find(c.expect), std::string::npos) << errors.front();
        EXPECT_EQ(lib.find(5), nullptr) << c.text;
    }
}

TEST(DialogTemplateTest, StaticTextsMayShareIdMinusOneButDialogIdsAreUnique)
{
    std::vector<std::string> errors;
    auto lib = parse("dialog 1 \"A\" 0 0 10 10\n static -1 \"a\" 0 0 1 1\n static -1 \"b\" 0 0 1 1\nend\n"
                     "dialog 1 \"B\" 0 0 10 10\nend\n",
                     errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("dialog 1 defined twice (first at t.dlg:1)"), std::string::npos);
    ASSERT_NE(lib.find(1), nullptr);
    EXPECT_EQ(lib.find(1)->caption, "A");
    EXPECT_EQ(lib.find(1)->controls.size(), 2u);
}

TEST(DialogTemplateTest, EveryShippedTemplateLoadsWithoutError)
{
    std::vector<std::string> errors;
    auto lib = load_dialog_folder(MERU_TEST_DATA_DIR "/../resources/dialogs", errors);
    for (const auto& e : errors) ADD_FAILURE() << e;
    EXPECT_FALSE(lib.dialogs.empty());
    // The question, the note and the note of a by-group run.
    for (int id : {127, 140, 141}) EXPECT_NE(lib.find(id), nullptr) << id;
    const DialogTemplate* q = lib.find(127);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->caption, "Query:");
    EXPECT_EQ(q->controls.size(), 5u);
}

TEST(DialogTemplateTest, AMissingFolderIsAnError)
{
    std::vector<std::string> errors;
    auto lib = load_dialog_folder("/nonexistent/dialogs", errors);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(lib.dialogs.empty());
}
