// The Y menu driven through its dispatch paths on the example data sets, with
// the values checked against independent computations (weighted.mean, the
// population SD, unique counts and cov.wt correlations of the same data).
#include "outcome/ymenu_fixture.h"
#include "platform/io/edit.h"

#include <cmath>

namespace meru::test {
namespace {

using outcome::YMode;

std::string trim(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

TEST_F(YMenuTest, OkOnAFreshFileConfirmsTheFirstVariableOnce)
{
    open_example("birthwt");
    sv.quiz_answers = {false}; // the attribute question for low
    EXPECT_EQ(ok(), YMode::confirmed);
    EXPECT_FALSE(yabandon);
    EXPECT_EQ(
        sv.with_prefix("quiz:"),
        std::vector<std::string>{"quiz:?Attributes are defined for the variable: low. Use attributes to specify Y?"});
    ASSERT_EQ(sv.with_prefix("actlog:").size(), 1u);
    EXPECT_EQ(trim(sv.with_prefix("actlog:")[0]), "actlog:%Y:OK low");
    ASSERT_EQ(sv.with_prefix("note:").size(), 1u);
    EXPECT_EQ(sv.with_prefix("note:")[0].rfind("note: New Y=low Mean (SD n #values #miss)=", 0), 0u);
    EXPECT_NE(sv.with_prefix("note:")[0].find("[log]"), std::string::npos);
    EXPECT_EQ(oktext, "Ok : low");
    EXPECT_TRUE(y.yenabled && y.ybin[0] && y.yallbin);
    EXPECT_EQ(y.ny, 1);
    EXPECT_EQ(y.ylow[0], 0);
    EXPECT_EQ(y.yhigh[0], 1);
    EXPECT_EQ(maxitertext, "6");

    const auto calls = sv.calls.size();
    const outcome::Outcome before = y;
    EXPECT_EQ(ok(), YMode::none);
    EXPECT_EQ(sv.calls.size(), calls);
    EXPECT_EQ(y.yname, before.yname);
}

TEST_F(YMenuTest, SelectYSummarisesTheChosenVariable)
{
    open_example("birthwt");
    dialogs.select.push_back({outcome::kOk, {var("bwt")}});
    sv.quiz_answers = {false};
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_EQ(trim(sv.with_prefix("actlog:").at(0)), "actlog:%Y:Select");
    // weighted.mean 2944.587, population SD 727.2826, n 189, 131 distinct values.
    const std::string note = sv.with_prefix("note:").at(0);
    EXPECT_EQ(note, "note: New Y=bwt Mean (SD n #values #miss)=" + io::fmt_g(2944.587, 13, 6) + "(" +
                        io::fmt_g(727.2826, 13, 6) + "     189     131       0) [log] kind=full");
    EXPECT_NE(note.find("2944.59"), std::string::npos);
    EXPECT_NE(note.find("727.283"), std::string::npos);
    EXPECT_NEAR(y.ymean, 2944.5873, 1e-3);
    EXPECT_NEAR(std::sqrt(y.yvar[0]), 727.2826, 1e-3);
    EXPECT_EQ(y.ylev[0], 131);
    EXPECT_FALSE(y.ybin[0]);
    EXPECT_EQ(nobsin, 189);
    EXPECT_EQ(y.scatx, var("bwt"));
    EXPECT_EQ(oktext, "Ok : bwt");
    EXPECT_TRUE(called("thinking:...selecting Y"));
    EXPECT_EQ(trim(y.defyname), "bwt"); // the current Y that by-groups and distributions read
}

TEST_F(YMenuTest, SixVariablesAreRefusedFiveGiveTheCorrelationMatrix)
{
    open_example("birthwt");
    const std::vector<int> five{var("age"), var("lwt"), var("ptl"), var("ftv"), var("bwt")};
    std::vector<int> six = five;
    six.push_back(var("race"));
    dialogs.select = {{outcome::kOk, six}, {outcome::kOk, {}}, {outcome::kOk, five}};
    sv.quiz_answers = {false}; // parallel
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_EQ(dialogs.select_shown, 3);
    EXPECT_EQ(sv.with_prefix("msgbox:"),
              (std::vector<std::string>{"msgbox: Only <=   5 variables allowed! Reselect.$ [log] kind=ok",
                                        "msgbox:No Y selection made ! $ [log] kind=ok"}));
    EXPECT_EQ(y.ny, 5);
    EXPECT_EQ(oktext, "Ok : age,lwt,..."); // the variables in list order
    EXPECT_EQ(maxitertext, "3");
    EXPECT_FALSE(y.yserial);
    EXPECT_TRUE(logged(" Multiple Y vector:"));
    EXPECT_TRUE(logged(" Multivariate outcome: parallel mode"));
    // cov.wt(cbind(age, lwt, ptl, ftv, bwt), cor = TRUE), lower triangle.
    const auto row = [](const std::string& name, std::vector<double> r) {
        std::string s = " " + io::fmt_a(name, 15) + " ";
        for (double v : r) s += io::fmt_f(v, 10, 3);
        return s;
    };
    const std::vector<std::string> want{"Correlation matrix:",
                                        io::fmt_x(22) + io::fmt_a("age", 10) + io::fmt_a("lwt", 10) +
                                            io::fmt_a("ptl", 10) + io::fmt_a("ftv", 10) + io::fmt_a("bwt", 10),
                                        row("age", {1.0}),
                                        row("lwt", {0.180073, 1.0}),
                                        row("ptl", {0.071606, -0.140029, 1.0}),
                                        row("ftv", {0.215394, 0.140527, -0.04443, 1.0}),
                                        row("bwt", {0.090318, 0.185733, -0.154653, 0.058318, 1.0})};
    const auto at = std::find(log.lines.begin(), log.lines.end(), "Correlation matrix:");
    ASSERT_NE(at, log.lines.end());
    std::vector<std::string> got(at, std::min(at + 7, log.lines.end()));
    for (auto& l : got) l = trim(l);
    std::vector<std::string> trimmed_want;
    for (const auto& l : want) trimmed_want.push_back(trim(l));
    EXPECT_EQ(got, trimmed_want);
}

TEST_F(YMenuTest, CancelAndNoDataChangeNothing)
{
    open_example("birthwt");
    const outcome::Outcome before = y;
    dialogs.select.push_back({outcome::kCancel, {}});
    EXPECT_EQ(select(), YMode::none);
    EXPECT_TRUE(yabandon);
    EXPECT_EQ(y.yname, before.yname);
    EXPECT_FALSE(y.yenabled);

    dialogs.select.push_back({outcome::kDialogMissing, {}});
    select();
    EXPECT_TRUE(yabandon);
    EXPECT_TRUE(logged(" Error: dialog box 2 not found"));

    run->r.nread = 0;
    EXPECT_EQ(ok(), YMode::none);
    EXPECT_TRUE(yabandon);
    EXPECT_TRUE(called("msgbox: There is no data. Y not enabled !$ [log] kind=ok"));
}

TEST_F(YMenuTest, OrdinalFragmentsOfADiscreteY)
{
    open_example("lung");
    const int ecog = var("ph_ecog");
    dialogs.select.push_back({outcome::kOk, {ecog}});
    sv.quiz_answers = {false};
    dialogs.discrete_steps.push_back([](outcome::DiscreteView&) { return outcome::kOk; });
    EXPECT_EQ(select(), YMode::confirmed);
    ASSERT_EQ(dialogs.discrete_seen.size(), 1u);
    const outcome::DiscreteView& v = dialogs.discrete_seen[0];
    EXPECT_EQ(v.order, "  0  1  2  3");
    EXPECT_EQ(v.neworder, "  0  1  2  3");
    EXPECT_EQ(v.frequency, " 63 113 50 1");
    EXPECT_TRUE(v.ordinal && !v.nominal && !v.nofrag);

    EXPECT_EQ(y.ny, 3);
    EXPECT_EQ(y.yname[0], "{ph_ecog >0}");
    EXPECT_EQ(y.yname[1], "{ph_ecog >1}");
    EXPECT_EQ(y.yname[2], "{ph_ecog >2}");
    EXPECT_TRUE(y.yordind && y.yserial && y.yallbin && y.yordforce);
    EXPECT_EQ(y.ycol[2], ecog);
    EXPECT_EQ(y.ycatsave.ncat, 4);
    EXPECT_EQ(oktext, "Ok : {ph_ecog >0},{ph_ecog >1},...");
    EXPECT_EQ(maxitertext, "3");
    for (const char* line :
         {" Doing ordinal analysis", " Ascending analysis",
          " Assumed ordinal structure of ph_ecog  categories: 0 1 2 3",
          " Creating indicator values for levels of ph_ecog", " Multivariate outcome: serial mode"})
        EXPECT_TRUE(logged(line)) << line;
    // as.numeric(match(y, c(0, 1, 2, 3)) > k), missing stays missing.
    for (int i = 1; i <= run->r.nread; ++i) {
        const float v = run->d.x(i, ecog);
        for (int k = 1; k <= 3; ++k) EXPECT_EQ(yv(i, k), v < 0 ? -1.0f : (v + 1 > k ? 1.0f : 0.0f)) << i << " " << k;
    }
}

TEST_F(YMenuTest, IndicatorsFollowTheReversedOrder)
{
    open_example("lung");
    const int ecog = var("ph_ecog");
    dialogs.select.push_back({outcome::kOk, {ecog}});
    sv.quiz_answers = {false};
    dialogs.discrete_steps.push_back([](outcome::DiscreteView&) { return outcome::ids::kReverse; });
    dialogs.discrete_steps.push_back([](outcome::DiscreteView&) { return outcome::kOk; });
    EXPECT_EQ(select(), YMode::confirmed);
    ASSERT_EQ(dialogs.discrete_seen.size(), 2u);
    EXPECT_EQ(dialogs.discrete_seen[1].order, "  3  2  1  0");
    EXPECT_EQ(dialogs.discrete_seen[1].frequency, " 1 50 113 63");
    // Each indicator is named by what it holds: the first 2, 1 and 0.
    EXPECT_EQ(y.yname[0], "{ph_ecog <3}");
    EXPECT_EQ(y.yname[2], "{ph_ecog <1}");
    EXPECT_TRUE(logged(" Assumed ordinal structure of ph_ecog  categories: 3 2 1 0"));
    // match(y, c(3, 2, 1, 0)) > k: indicator 1 holds for 2, 1, 0.
    const std::array<int, 4> pos{4, 3, 2, 1}; // position of the values 0..3
    int ones = 0;
    for (int i = 1; i <= run->r.nread; ++i) {
        const float v = run->d.x(i, ecog);
        for (int k = 1; k <= 3; ++k) {
            const float want = v < 0 ? -1.0f : (pos[static_cast<std::size_t>(v)] > k ? 1.0f : 0.0f);
            EXPECT_EQ(yv(i, k), want);
        }
        ones += yv(i, 1) == 1.0f;
    }
    EXPECT_EQ(ones, 63 + 113 + 50);
}

TEST_F(YMenuTest, CancelledDiscreteDialogLeavesNoYEnabled)
{
    open_example("lung");
    dialogs.select.push_back({outcome::kOk, {var("ph_ecog")}});
    sv.quiz_answers = {false};
    dialogs.discrete_steps.push_back([](outcome::DiscreteView&) { return outcome::kCancel; });
    select();
    EXPECT_TRUE(yabandon);
    EXPECT_FALSE(y.yenabled);
}

TEST_F(YMenuTest, YFromAttributesAndItsCancel)
{
    open_example("birthwt");
    sv.quiz_answers = {false};
    ok();
    ASSERT_TRUE(y.yenabled);
    const outcome::Outcome before = y;
    const std::vector<float> low_values(ymat.begin(), ymat.begin() + run->d.n);

    // Cancelling the choice of cuts leaves the confirmed Y as it was.
    dialogs.select.push_back({outcome::kOk, {var("age")}});
    sv.quiz_answers = {true};
    dialogs.attributes.push_back({outcome::kCancel, {}});
    select();
    EXPECT_TRUE(yabandon);
    EXPECT_TRUE(y.yenabled);
    EXPECT_EQ(y.yname, before.yname);
    EXPECT_EQ(y.ycol, before.ycol);
    EXPECT_FALSE(y.yfromatt);
    EXPECT_TRUE(std::equal(low_values.begin(), low_values.end(), ymat.begin()));
    ASSERT_EQ(dialogs.attribute_lists.size(), 1u);
    const std::vector<std::string> items = dialogs.attribute_lists[0];
    ASSERT_EQ(items.size(), 4u); // three cuts and the separator
    EXPECT_EQ(items[3], "");

    // Two cuts of age: two binary Ys of its attribute bytes, serial.
    dialogs.select.push_back({outcome::kOk, {var("age")}});
    sv.quiz_answers = {true, true, false};
    dialogs.attributes.push_back({outcome::kOk, {1, 2}});
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_EQ(y.ny, 2);
    EXPECT_TRUE(y.yfromatt && y.yallbin && y.yserial);
    EXPECT_EQ(y.yname[0], "{age}" + trim(items[0].substr(3)));
    EXPECT_EQ(y.ycode[1], 1);
    EXPECT_TRUE(logged(" Attributes formed from variable :age"));
    EXPECT_TRUE(logged("  Y defined by attributes"));
    const int a1 = y.yattr[0];
    for (int i = 1; i <= run->r.nread; ++i) EXPECT_EQ(yv(i, 1), static_cast<float>(run->d.ab(a1, i)));

    // In parallel the two cuts correlate as their 0/1 values do (cor(age > 20, age > 25)).
    dialogs.select.push_back({outcome::kOk, {var("age")}});
    sv.quiz_answers = {true, false};
    dialogs.attributes.push_back({outcome::kOk, {1, 2}});
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_FALSE(y.yserial);
    EXPECT_TRUE(logged(" " + io::fmt_a(y.yname[1], 15) + " " + io::fmt_f(0.479583, 10, 3) + io::fmt_f(1.0, 10, 3)));
}

TEST_F(YMenuTest, SerialQuestionsAndTheirRefusal)
{
    open_example("birthwt");
    by.mode = true;
    dialogs.select.push_back({outcome::kOk, {var("bwt"), var("lwt")}});
    sv.quiz_answers = {true, true, false}; // serial; force; not nominal: ordinal
    EXPECT_EQ(select(), YMode::none);
    EXPECT_FALSE(by.mode);
    EXPECT_TRUE(called("note:Cannot do Serial analysis with By-group in place. By-group removed$ kind=full"));
    EXPECT_TRUE(called("help:NOTE: Non-binary Ys. Cannot do ordinal/nominal"));
    EXPECT_TRUE(yabandon);
    EXPECT_TRUE(y.yenabled);

    // Two binary Ys forced nominal are accepted.
    dialogs.select.push_back({outcome::kOk, {var("smoke"), var("ht")}});
    sv.quiz_answers = {true, true, true};
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_TRUE(y.ynomforce && y.yserial);
    // Their levels take the values 0 (smoke), 1 (ht) and 2 (neither), which the
    // predicted category reports.
    EXPECT_EQ(std::vector<int>(y.ycode.begin(), y.ycode.begin() + 3), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(oktext, "Ok smoke,ht");
    EXPECT_TRUE(logged(" Multivariate outcome: serial mode"));
}

TEST_F(YMenuTest, AYWhoseSquaresOverflowSinglePrecisionIsRefused)
{
    // The largest float is 3.4028e38: 1.8e19 squared (3.24e38) fits, 1.9e19
    // squared (3.61e38) does not.
    open(run_data("Big\nx,b,c\n*\n*\nfree comma\nDATA\n",
                  "1.5,18000000000000000000,19000000000000000000\n2.5,3,4\n3.5,5,6\n4.5,7,8\n5.5,9,10\n6.5,11,12\n"));
    dialogs.select = {{outcome::kOk, {1}}, {outcome::kOk, {3}}, {outcome::kOk, {2}}};
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_EQ(select(), YMode::none);
    EXPECT_TRUE(yabandon);
    ASSERT_EQ(sv.with_prefix("msgbox:").size(), 1u);
    const std::string refusal = sv.with_prefix("msgbox:")[0];
    EXPECT_NE(refusal.find("Values of c up to"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("Y not changed"), std::string::npos) << refusal;
    EXPECT_TRUE(y.yenabled);
    EXPECT_EQ(trim(y.yname[0]), "x");
    EXPECT_EQ(trim(y.defyname), "x");
    EXPECT_EQ(yv(1, 1), 1.5f);

    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_EQ(trim(y.defyname), "b");
    EXPECT_FLOAT_EQ(static_cast<float>(y.ymax[0]), 1.8e19f);
}

TEST_F(YMenuTest, ConstantYAsksToReselectAndManyMissingAreNoted)
{
    open(run_data("Constant\nc,d\n*\n*\nfree comma\nDATA\n", "4,1\n4,2\n4,-1\n4,12\n"));
    dialogs.select = {{outcome::kOk, {1}}, {outcome::kCancel, {}}};
    sv.msgbox_answers = {1};
    select();
    EXPECT_EQ(dialogs.select_shown, 2);
    EXPECT_TRUE(called("msgbox: Standard deviation=0! All values of <c> equal. Re-Select Y $ [log] kind=question"));
    EXPECT_TRUE(yabandon);

    // d: one missing in four: 25.0 %; values 1, 2, 12 are not offered as categories.
    dialogs.select = {{outcome::kOk, {2}}};
    select();
    EXPECT_TRUE(called("msgbox:NOTE: % missing d =  25.0 > 10% $ [log] kind=question"));
    EXPECT_EQ(y.ylev[0], 3);
    EXPECT_EQ(nobsin, 4);
}

} // namespace
} // namespace meru::test

namespace meru::test {
namespace {

TEST_F(YMenuTest, CharacterYWithThreeCodesIsFragmentedNominalDescending)
{
    open(run_data("Letters\ng,x\n*\n*\nfree comma\nDATA\n", "A,1\nB,2\nC,3\nB,4\n", "c.csv"));
    ASSERT_TRUE(run->r.marks.charflag[1]);
    dialogs.select.push_back({outcome::kOk, {1}});
    dialogs.discrete_steps.push_back([](outcome::DiscreteView& v) {
        v.ordinal = false;
        v.nominal = true;
        v.descending = true;
        return outcome::kOk;
    });
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_TRUE(called("note:NOTE: character variable. Y  is encoded numeric values$ kind=full"));
    ASSERT_EQ(dialogs.discrete_seen.size(), 1u);
    EXPECT_EQ(dialogs.discrete_seen[0].order, "  A  B  C");
    EXPECT_EQ(dialogs.discrete_seen[0].frequency, " 1 2 1");
    // Descending: the indicators are the last categories first.
    EXPECT_EQ(y.ny, 2);
    EXPECT_EQ(y.yname[0], "{g =C}");
    EXPECT_EQ(y.yname[1], "{g =B}");
    EXPECT_TRUE(y.ynomind && y.ydesc && y.ynomforce && !y.yordforce);
    EXPECT_TRUE(y.ycats.empty()); // the indicators are not character codes
    EXPECT_TRUE(logged(" Doing nominal analysis"));
    EXPECT_TRUE(logged(" Descending analysis"));
    EXPECT_TRUE(logged(" Assumed nominal structure of g        categories: A B C"));
    const std::vector<float> first{0, 0, 1, 0}, second{0, 1, 0, 1};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(yv(i, 1), first[static_cast<std::size_t>(i - 1)]);
        EXPECT_EQ(yv(i, 2), second[static_cast<std::size_t>(i - 1)]);
    }
}

TEST_F(YMenuTest, CharacterCodesAboveNineAreNamedInTheLog)
{
    open(run_data("Letters\ng,x\n*\n*\nfree comma\nDATA\n", "A,1\nB,2\nC,3\nD,1\nE,1\nF,1\n1,1\n", "c.csv"));
    dialogs.select.push_back({outcome::kOk, {1}});
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_TRUE(dialogs.discrete_seen.empty()); // seven codes
    EXPECT_TRUE(logged(" Character A has numeric value   10"));
    EXPECT_TRUE(logged(" Character F has numeric value   15"));
    EXPECT_FALSE(logged(" Character 1 has numeric value    1"));
    EXPECT_EQ(y.ycats, (std::vector<int>{1, 10, 11, 12, 13, 14, 15}));
}

TEST_F(YMenuTest, DefaultOnOfferWinsOverTheDialogAndScatterIsLeftToItsMode)
{
    open_example("lung");
    sv.quiz_answers = {false};
    EXPECT_EQ(call({.ok = true, .sel = true}), YMode::confirmed);
    EXPECT_EQ(dialogs.select_shown, 0);
    EXPECT_EQ(trim(sv.with_prefix("actlog:").at(0)), "actlog:%Y:OK inst");

    y.direct_scatter = true;
    EXPECT_EQ(call({}), YMode::scatter);
    y.direct_scatter = false;
    EXPECT_EQ(call({.trans = true}), YMode::transform);
    EXPECT_EQ(call({.dist = true}), YMode::distribution);
    EXPECT_EQ(call({}), YMode::none);
}

} // namespace
} // namespace meru::test

namespace meru::test {
namespace {

TEST_F(YMenuTest, AMissingAttributeByteIsAMissingY)
{
    open(run_data("Cut\nc,d\n*\nd i 1\n*\nfree comma\nDATA\n", "4,1\n4,2\n4,.\n4,12\n", "m.csv"));
    ASSERT_EQ(run->d.ab(2, 3), files::kExcluded);
    dialogs.select.push_back({outcome::kOk, {2}});
    dialogs.attributes.push_back({outcome::kOk, {1}});
    sv.quiz_answers = {true};
    EXPECT_EQ(select(), YMode::confirmed);
    EXPECT_TRUE(y.yfromatt && y.ybin[0]);
    EXPECT_EQ(y.yname[0], "{d}>1");
    EXPECT_EQ((std::vector<float>{yv(1, 1), yv(2, 1), yv(3, 1), yv(4, 1)}), (std::vector<float>{0, 1, -1, 1}));
    EXPECT_EQ(oktext, "Ok : {d}>1");
}

} // namespace
} // namespace meru::test
