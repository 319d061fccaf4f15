// The Y-from-attributes list and the checks of the highlighted cuts.
#include "files/tables.h"
#include "outcome/attributey.h"
#include "stats/log_capture.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

#include <deque>

namespace meru::outcome {
namespace {

// Line 2: AGE with two cuts; line 3: AGE with one; line 4: a line of "_r_".
files::ControlTables tables()
{
    files::ControlTables t;
    t.nlines = 4;
    t.natt = 5;
    t.line.resize(6);
    t.att.resize(8);
    t.line[1] = {};
    t.line[1].ncuts = 1;
    t.line[1].attoff = 1;
    const auto line = [&](int j, const char* name, int ncuts, int off) {
        t.line[static_cast<std::size_t>(j)].name = name;
        t.line[static_cast<std::size_t>(j)].ncuts = ncuts;
        t.line[static_cast<std::size_t>(j)].attoff = off;
    };
    line(2, "AGE", 2, 3);
    line(3, "AGE", 1, 4);
    line(4, "_r_", 1, 5);
    const auto att = [&](int a, const char* name, const char* lab0, const char* lab1, int sign) {
        auto& x = t.att[static_cast<std::size_t>(a)];
        x.attname = name;
        x.attlab = {std::string(lab0) + std::string(20 - std::string(lab0).size(), ' '),
                    std::string(lab1) + std::string(20 - std::string(lab1).size(), ' ')};
        x.signbyte = static_cast<signed char>(sign);
    };
    att(2, "AGE$$$$$", "<40", ">=40", 1);
    att(3, "AGE$$$$$", "<60", ">=60", -1);
    att(4, "AGE$$$$$", "<50", ">=50", 1);
    att(5, "_r_$$$$$", "a", "b", 1);
    return t;
}

class ListDialogs : public YDialogs {
public:
    std::deque<std::pair<int, std::vector<int>>> answers;
    int select_y(const std::vector<std::string>&, std::vector<bool>&) override { return kCancel; }
    int discrete(DiscreteView&) override { return kCancel; }
    int attribute_y(const std::vector<std::string>& items, std::vector<bool>& selected) override
    {
        if (answers.empty()) return kCancel;
        auto [id, picks] = answers.front();
        answers.pop_front();
        selected.assign(items.size(), false);
        for (int j : picks) selected[static_cast<std::size_t>(j - 1)] = true;
        return id;
    }
};

TEST(AttributeY, ItemsWithSeparatorsAndSignedLabels)
{
    const auto t = tables();
    const auto items = attribute_items(t, {2, 3, 4});
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].label, "AGE>=40 ");
    EXPECT_EQ(items[1].label, "AGE<60 "); // negative sign: the complement's label
    EXPECT_EQ(items[2].att, 0);
    EXPECT_EQ(items[3].att, 4);
    EXPECT_EQ(items[4].label, "");
}

TEST(AttributeY, ChoicesAreCheckedAndLogged)
{
    const auto t = tables();
    const auto items = attribute_items(t, {2, 3});
    AttributeChoice c;
    EXPECT_EQ(check_choice(items, {true, true, false, false, false}, c), ChoiceCheck::accepted);
    EXPECT_EQ(c.yattr, (std::array<int, 5>{2, 3, 0, 0, 0}));
    EXPECT_EQ(check_choice(items, {true, false, true, false, false}, c), ChoiceCheck::again);
    EXPECT_EQ(check_choice(items, {false, false, false, false, false}, c), ChoiceCheck::again);
    EXPECT_EQ(check_choice(items, {true, false, false, true, false}, c), ChoiceCheck::two_lines);
    std::vector<AttributeItem> many(7, {"x", 2, 2});
    EXPECT_EQ(check_choice(many, std::vector<bool>(7, true), c), ChoiceCheck::too_many);

    ListDialogs dialogs;
    dialogs.answers = {{1097, {}}, {kOk, {1, 4}}, {kOk, {4}}};
    test::RecordingServices sv;
    test::LogCapture log;
    std::string msgline, ydname = "old";
    EXPECT_TRUE(attributey(t, {2, 3}, dialogs, sv, log.log, msgline, c, ydname));
    EXPECT_EQ(sv.calls, (std::vector<std::string>{
                            "help:Y from attributes",
                            "msgbox:Cannot have cut sequence from different CF line sequences $ kind=ok"}));
    EXPECT_EQ(c.line, 3);
    EXPECT_EQ(ydname, "AGE");
    EXPECT_TRUE(log.lines.empty()); // a one-cut line

    dialogs.answers = {{kOk, {1}}};
    EXPECT_TRUE(attributey(t, {2, 3}, dialogs, sv, log.log, msgline, c, ydname));
    EXPECT_EQ(log.lines, std::vector<std::string>{" Attributes formed from variable :AGE"});

    ydname = "keep";
    dialogs.answers = {{kCancel, {}}};
    EXPECT_FALSE(attributey(t, {2, 3}, dialogs, sv, log.log, msgline, c, ydname));
    EXPECT_EQ(ydname, "keep");
}

} // namespace
} // namespace meru::outcome
