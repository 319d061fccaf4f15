// The choice from the best at each complexity: the lines and their marks, the
// silent choice, the dialog's OK without a selection, Cancel, a missing template,
// and the range of beta of a chosen hull point.
#include "platform/io/logwriter.h"
#include "settings/bestdlg.h"
#include "support/scripted_forms.h"

#include "support/best_entries.h"

#include <gtest/gtest.h>

using namespace meru::settings;
using meru::search::StoredPartition;
using meru::test::ScriptedForms;

using meru::test::best_entries;

namespace {

struct Outcome {
    std::vector<std::string> log;
    BestChoice choice;
};

Outcome run_dialog(const BestChoiceInput& in, ScriptedForms& forms)
{
    Outcome r;
    meru::io::LogWriter log;
    log.set_trace_sink([&](std::string_view l) { r.log.emplace_back(l); });
    r.choice = bestdlg(in, forms, log);
    return r;
}

const auto kList = best_entries({{1, 10}, {2, 15}, {3, 18}, {4, 19}, {5, 19.5f}, {6, -1e20f}});

} // namespace

TEST(BestDialog, LinesMarksAndRanges)
{
    const meru::search::Hull hull = meru::search::complexity_hull(kList);
    const auto lines = best_lines(kList, hull, 4, 0.5);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "  1. G_beta=     9.500000 at c= 1      +");
    EXPECT_EQ(lines[3], "  4. G_beta=    17.000000 at c= 4     *+");
    EXPECT_EQ(lines[5], "  6. G_beta= unknown      at c= 6       ");
    // Under the hull: no "+".
    const auto under = best_entries({{1, 10}, {2, 12}, {3, 30}});
    EXPECT_EQ(best_lines(under, meru::search::complexity_hull(under), 3, 0)[1],
              "  2. G_beta=    12.000000 at c= 2       ");

    // Hull slopes 10, 5, 3, 1, 0.5: a point is optimal between its two neighbours' slopes.
    EXPECT_EQ(beta_range_line(4, beta_range(hull, 4)),
              " Selected partition complexity  4 is optimal for     0.500<beta<=    1.000");
    EXPECT_DOUBLE_EQ(beta_range(hull, 5).lower, 0); // no next point
    EXPECT_DOUBLE_EQ(beta_range(hull, 5).upper, 0.5);
    EXPECT_DOUBLE_EQ(beta_range(hull, 1).upper, 10); // from the origin
    EXPECT_DOUBLE_EQ(beta_range(hull, 1).lower, 5);
}

TEST(BestDialog, SilentChoiceDialogAndCancel)
{
    const meru::search::Hull hull = meru::search::complexity_hull(kList);
    BestChoiceInput in{kList, &hull, 4, 0.5, true, 0};
    {
        ScriptedForms forms; // during Go!: the optimum, nothing shown or written
        const Outcome r = run_dialog(in, forms);
        EXPECT_TRUE(forms.shown.empty());
        EXPECT_TRUE(r.log.empty());
        EXPECT_EQ(r.choice.entry, 4);
        EXPECT_EQ(r.choice.chosen->complexity, 4);
    }
    in.in_go = false;
    in.asked = 4;
    {
        ScriptedForms forms; // the optimum asked for: taken, with the range
        const Outcome r = run_dialog(in, forms);
        EXPECT_TRUE(forms.shown.empty());
        EXPECT_EQ(r.log, (std::vector<std::string>{
                             " Selecting partition from best at each complexity",
                             " Selected partition complexity  4 is optimal for     0.500<beta<=    1.000"}));
    }
    in.asked = 2;
    {
        ScriptedForms forms; // OK with nothing selected shows the dialog again
        forms.steps.push_back(ScriptedForms::press(kOk));
        forms.steps.push_back([](Form& f) {
            f.choice[bestdlg_ids::kList] = f.items[bestdlg_ids::kList][4];
            return kOk;
        });
        const Outcome r = run_dialog(in, forms);
        ASSERT_EQ(forms.shown, (std::vector<int>{113, 113}));
        EXPECT_EQ(forms.forms[0].text.at(bestdlg_ids::kBeta), "     0.500000");
        EXPECT_EQ(forms.forms[0].text.at(bestdlg_ids::kHeading), kBestHeading);
        EXPECT_FALSE(r.choice.cancelled);
        EXPECT_EQ(r.choice.entry, 5);
        EXPECT_EQ(r.log.back(), " Selected partition complexity  5 is optimal for     0.000<beta<=    0.500");
    }
    {
        ScriptedForms forms; // Cancel
        const Outcome r = run_dialog(in, forms);
        EXPECT_TRUE(r.choice.cancelled);
        EXPECT_EQ(r.choice.chosen, nullptr);
        EXPECT_EQ(r.log.size(), 1u);
    }
    {
        ScriptedForms forms;
        forms.missing = true;
        EXPECT_EQ(run_dialog(in, forms).log.back(), "Error: dialog box 13 not found");
    }
    {
        ScriptedForms forms; // an entry under the hull: no range
        forms.steps.push_back([](Form& f) {
            f.picked[bestdlg_ids::kList] = {false, true, false};
            return kOk;
        });
        const auto under = best_entries({{1, 10}, {2, 12}, {3, 30}});
        const meru::search::Hull h2 = meru::search::complexity_hull(under);
        const Outcome r = run_dialog({under, &h2, 3, 0.0, false, 0}, forms);
        EXPECT_EQ(r.choice.entry, 2);
        EXPECT_EQ(r.log.size(), 1u);
    }
}
