// Y > Distribution on lung: the variable loop until Cancel, the windows asked
// for (values, weights, N, title, flags) against R's table() and mean() of the
// same columns, one window per by-group not skipped, the Kaplan-Meier message
// for the censored Y, and the outcome and the count read left as they were.
#include "outcome/distribution_mode.h"
#include "outcome/mode_fixture.h"
#include "stats/censoring.h"

namespace meru::test {
namespace {

class DistributionTest : public YMenuTest {
protected:
    bool mode(const stats::Censoring* censoring = nullptr)
    {
        outcome::DistributionContext cx{
            run->t, run->d, run->r.nread, mask, run->r.marks.charflag, y, by, censoring, msgline, modes, sv, log.log};
        return outcome::distribution_mode(cx);
    }
    ScriptedModeDialogs modes;
};

TEST_F(DistributionTest, EachPickedVariableUntilCancelLeavingTheOutcome)
{
    open_example("lung");
    const outcome::Outcome before = y;
    const long long nobsin_before = nobsin;
    modes.variables = {
        {outcome::kOk, {}}, {outcome::kOk, {var("ph_ecog")}}, {outcome::kOk, {var("sex")}}, {outcome::kCancel, {}}};
    EXPECT_TRUE(mode()); // the mode ends with Cancel
    EXPECT_EQ(modes.prompts, std::vector<std::string>(4, "Pick variable to be plotted:"));
    EXPECT_EQ(sv.with_prefix("msgbox:"), std::vector<std::string>{"msgbox:No Y variable selected.$ [log] kind=ok"});
    EXPECT_EQ(sv.with_prefix("actlog:"), std::vector<std::string>{"actlog:%Y:distribution"});
    ASSERT_EQ(modes.plots.size(), 2u);
    const PlotRecord& e = modes.plots[0];
    // table(lung$ph_ecog): one missing, then 63 113 50 1; mean 0.951542
    EXPECT_EQ(e.x, (std::vector<double>{-1, 0, 1, 2, 3}));
    EXPECT_EQ(e.w, (std::vector<long long>{1, 63, 113, 50, 1}));
    EXPECT_EQ(e.nobs, 228);
    EXPECT_EQ(e.title, "Distribution of ph_ecog");
    EXPECT_EQ(e.name, "ph_ecog");
    EXPECT_NEAR(e.markvalue, 0.951542, 1e-6);
    EXPECT_EQ(e.lower, 0);
    EXPECT_EQ(e.upper, 3);
    EXPECT_TRUE(e.mark && e.interactive && e.open && e.integer_ticks);
    EXPECT_FALSE(e.overlay || e.discrete);
    EXPECT_TRUE(e.group_label.empty());
    // The table goes to the log.
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const std::string& l) {
        return l.find("Frequency distribution: ph_ecog") != l.npos;
    }));
    // The outcome and the count read are untouched.
    EXPECT_EQ(y.ycol, before.ycol);
    EXPECT_EQ(y.ymode, before.ymode);
    EXPECT_EQ(y.ycats, before.ycats);
    EXPECT_EQ(nobsin, nobsin_before);
}

TEST_F(DistributionTest, OneWindowPerGroupNotSkipped)
{
    open_example("lung");
    by.mode = true;
    by.byvalues = true;
    by.byvar = "sex";
    by.byindex = var("sex");
    by.ngroups = 2;
    by.values = {1, 2};
    for (int i = 1; i <= run->r.nread; ++i) by.obsvalues.push_back(run->d.x(i, var("sex")));
    modes.variables = {{outcome::kOk, {var("age")}}, {outcome::kCancel, {}}};
    modes.quit_answers = {2, 1}; // "Quit by group" for group 1, OK for group 2
    EXPECT_TRUE(mode());
    ASSERT_EQ(modes.plots.size(), 1u);
    const PlotRecord& p = modes.plots[0];
    // Women's ages: 90 observations, 33 distinct values from 41 to 77, mean 61.077778.
    EXPECT_EQ(p.nobs, 90);
    EXPECT_EQ(p.x.size(), 33u);
    EXPECT_EQ(p.lower, 41);
    EXPECT_EQ(p.upper, 77);
    EXPECT_NEAR(p.markvalue, 61.077778, 1e-5);
    EXPECT_FALSE(p.integer_ticks); // whole values, but 33 of them and a non-binary Y
    EXPECT_EQ(p.title, "Distribution of age      in by group:  2");
    EXPECT_EQ(p.group_label, "sex = 2");
    EXPECT_EQ(modes.quit_notes.size(), 2u);
    EXPECT_TRUE(logged(" By-group   2: sex     = 2.000"));
    EXPECT_FALSE(logged(" By-group   1: sex     = 1.000"));
}

TEST_F(DistributionTest, CensoredYAndAVariableWithoutData)
{
    open_example("lung");
    y.defyname = "time";
    stats::Censoring c;
    c.in_force = true;
    c.attribute = run->t.line[static_cast<std::size_t>(run->t.nlines)].attoff; // dead's attribute
    c.side = 1;                                                                // dead = 0 is censored
    for (int i = 1; i <= run->r.nread; ++i) run->d.x(i, var("inst")) = -1;     // no data left
    modes.variables = {{outcome::kOk, {var("age")}},
                       {outcome::kOk, {var("time")}},
                       {outcome::kOk, {var("inst")}},
                       {outcome::kCancel, {}}};
    EXPECT_TRUE(mode(&c));
    EXPECT_EQ(sv.with_prefix("msgbox:"),
              (std::vector<std::string>{
                  "msgbox:Variable time is designated censored. Survival and cdf are Kaplan-Meier $ kind=ok",
                  "msgbox:No data for this variable $ kind=ok"}));
    ASSERT_EQ(modes.plots.size(), 2u);
    // 63 of the 228 are censored (dead = 0): their weights are negative.
    int censored = 0;
    for (int w : modes.plots[1].w)
        if (w < 0) censored -= w;
    EXPECT_EQ(censored, 63);
}

} // namespace
} // namespace meru::test
