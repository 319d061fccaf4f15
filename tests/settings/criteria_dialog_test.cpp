// The Criteria dialog: every refusal in its order, priors and costs, gamma,
// Go! silence, Cancel, and the log block of accepted settings.
#include "settings/criteria_dialog.h"
#include "settings_fixture.h"

namespace meru::settings {
namespace {

namespace ids = criteria_ids;
using stats::PriorMode;

YInfo binary_y(const std::string& name = "low") { return {name, true, 2, 1.0, false, false, 0.25}; }
YDescription one_binary() { return {{binary_y()}, {0.0, 1.0}, false}; }
YDescription one_y(YInfo y, std::vector<double> cats) { return {{std::move(y)}, std::move(cats), false}; }

using Checks = std::vector<std::pair<int, bool>>;

struct Entry {
    std::string criterion; // list choice; empty keeps the shown one
    std::vector<std::pair<int, std::string>> texts = {};
    Checks checks = {};
};

test::ScriptedForms::Step enter(Entry e, int closing = kOk)
{
    return [e = std::move(e), closing](Form& f) {
        if (!e.criterion.empty()) f.choice[ids::kCriterionList] = e.criterion;
        for (const auto& [id, text] : e.texts) f.text[id] = text;
        for (const auto& [id, on] : e.checks) f.on[id] = on;
        return closing;
    };
}

const Checks kEqual{{ids::kDataPriors, false}, {ids::kEqualPriors, true}};
const Checks kUser{{ids::kDataPriors, false}, {ids::kUserPriors, true}};

class Criteria109 : public test::SettingsTest {
protected:
    CritResult run(const YDescription& y, bool go = false)
    {
        return critdlg(c, texts, y, {go, false}, forms, services, log);
    }
    stats::CritSettings c;
    CritTexts texts;
};

TEST_F(Criteria109, EachRefusalShowsItsMessageAndTheDialogAgain)
{
    const YInfo grade{"grade", false, 3, 3.0, false, false, 0.5};
    const YInfo nominal{"colour", false, 3, 3.0, false, true, 0.5};
    const YInfo big{"big", false, 5, 40.0, false, false, 0.5};
    const YInfo wide{"wide", false, 40, 20.0, true, false, 0.5};
    const YInfo halves{"halves", false, 3, 1.0, true, false, 0.5};
    std::vector<double> twelve;
    for (int k = 0; k < 12; ++k) twelve.push_back(k);
    const YInfo many{"many", false, 12, 11.0, false, false, 0.5};
    const YDescription two_binary{{binary_y("low"), binary_y("smoke")}, {0.0, 1.0}, false};
    const YDescription two_survival{{grade, grade}, {1.0, 2.0, 3.0}, false};
    struct Case {
        YDescription y;
        Entry entry;
        std::string first_call;
    };
    const Case cases[] = {
        {one_y(grade, {1, 2, 3}),
         {"Quality index QI(r)"},
         "msgbox:Quality index QI(r)  not allowed. Non-binary grade$ kind=ok"},
        {one_y(grade, {1, 2, 3}),
         {"Odds ratio (Bayes)"},
         "msgbox:Odds ratio (Bayes)   not allowed. Non-binary grade$ kind=ok"},
        {one_y(big, {1, 40}),
         {"Entropy"},
         "msgbox:Entropy              not allowed. A category of big>= 36. Use MSE$ kind=ok"},
        {one_y(wide, {}),
         {"Chi-square"},
         "msgbox:Chi-square           not allowed. # categories of wide > 36. Use MSE$ kind=ok"},
        {one_y(halves, {0, 0.5, 1}),
         {"Gini diversity"},
         "msgbox:Gini diversity       not allowed. Non-integer category of halves. Use MSE$ kind=ok"},
        {one_y(nominal, {1, 2, 3}),
         {"Subgroup MSE"},
         "msgbox:Subgroup MSE          not sensible with nominal/categorical Y=colour$ kind=ok"},
        {one_binary(), {"Log-rank"}, "msgbox:Log-rank             criterion not sensible with binary Y=low$ kind=ok"},
        {one_binary(), {"Quality index QI(r)"}, "msgbox:Quality index. Must have costs specified!$ kind=ok"},
        {one_binary(),
         {"Within MSE", {}, kEqual},
         "msgbox:Non-data priors only allowed for Entropy and Gini!$ kind=ok"},
        {one_binary(),
         {"Chi-square", {}, {{ids::kSpecifyCosts, true}}},
         "msgbox:Costs only allowed for Entropy, Gini, Quality!$ kind=ok"},
        {one_y(many, twelve),
         {"Entropy", {}, kEqual},
         "msgbox: Non-data prior not allowed. # categories of many > 10 $ kind=ok"},
        {two_survival, {"Log-rank"}, "help:NOTE: incompatible multiple Y"},
        {two_binary, {"Entropy", {}, kEqual}, "msgbox:User prior and multivariate Y not allowed ! $ kind=ok"},
        {one_binary(),
         {"Entropy", {{ids::kPriors, "0.5"}}, kUser},
         "msgbox:NOTE: error reading prior probabilities $ kind=ok"},
        {one_binary(),
         {"Entropy", {{ids::kPriors, "0 1"}}, kUser},
         "msgbox:NOTE:invalid prior probability: <=0 or >=1.$ kind=ok"},
        {one_binary(),
         {"Entropy", {{ids::kCostA, "1"}, {ids::kCostAMinus, "0 1"}}, {{ids::kSpecifyCosts, true}}},
         "msgbox:NOTE: error reading costs for A or A- $ kind=ok"},
        {one_binary(),
         {"Entropy", {{ids::kCostA, "nan nan"}, {ids::kCostAMinus, "1 2"}}, {{ids::kSpecifyCosts, true}}},
         "msgbox:NOTE: error reading costs for A or A- $ kind=ok"},
        {one_binary(),
         {"Gini diversity", {{ids::kCostA, "1 2"}, {ids::kCostAMinus, "1e999 inf"}}, {{ids::kSpecifyCosts, true}}},
         "msgbox:NOTE: error reading costs for A or A- $ kind=ok"},
        {one_binary(),
         {"Entropy", {{ids::kCostA, "1 2"}, {ids::kCostAMinus, "1 2"}}, {{ids::kSpecifyCosts, true}}},
         "msgbox:NOTE:costs same for A or A-. Not sensible. $ kind=ok"},
        {one_binary(),
         {"Gini diversity", {{ids::kCostA, "2 0"}, {ids::kCostAMinus, "-1 1"}}, {{ids::kSpecifyCosts, true}}},
         "msgbox:NOTE:costs not sensible. Not allowed. $ kind=ok"},
        {one_binary(),
         {"Quality index QI(r)",
          {{ids::kCostA, "0 5"}, {ids::kCostAMinus, "3 0"}},
          {{ids::kSpecifyCosts, true}, {ids::kWeighByCosts, true}}},
         "msgbox:NOTE:costs not sensible. Not allowed. $ kind=ok"},
        {one_binary(),
         {"Entropy", {}, {{ids::kWeighByCosts, true}}},
         "msgbox:Must specify costs for cost weighting$ kind=ok"},
        {one_binary(), {"Entropy", {{ids::kBeta, "-1"}}}, "help:NOTE: Beta mis-specified "},
        {one_binary(), {"Entropy", {{ids::kBeta, "x"}}}, "help:NOTE: Beta mis-specified "},
        {one_binary(), {"Entropy", {{ids::kGamma, "2.5"}}}, "help:NOTE: Gamma mis-specified"},
        {one_binary(), {"Entropy", {{ids::kGamma, "-0.1"}}}, "help:NOTE: Gamma mis-specified"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.first_call);
        c = {};
        texts = {};
        services.calls.clear();
        forms = {};
        forms.steps = {enter(k.entry)};
        const CritResult r = run(k.y);
        EXPECT_TRUE(r.cancelled);
        ASSERT_EQ(forms.shown.size(), 2u); // the dialog again, then Cancel
        ASSERT_FALSE(services.calls.empty());
        EXPECT_EQ(services.calls.front(), k.first_call);
        // The typed texts come back in the second showing.
        for (const auto& [id, text] : k.entry.texts) EXPECT_EQ(forms.forms[1].text[id], text);
    }
}

TEST_F(Criteria109, QualityIndexGetsDefaultCostsThenComputesR)
{
    forms.steps = {enter({"Quality index QI(r)"}), enter({})};
    const CritResult r = run(one_binary());
    EXPECT_FALSE(r.cancelled);
    EXPECT_TRUE(r.changed);
    ASSERT_EQ(forms.forms.size(), 2u);
    EXPECT_EQ(forms.forms[1].text[ids::kCostA], "  1  0");
    EXPECT_EQ(forms.forms[1].text[ids::kCostAMinus], "  0  1");
    EXPECT_TRUE(forms.forms[1].is_on(ids::kSpecifyCosts));
    EXPECT_DOUBLE_EQ(c.qi_r, 0.5); // a = 1 (A- cost of 1), b = 1 (A cost of 0)
    EXPECT_EQ(services.calls.back(),
              "msgbox: Value of r, for QI(r), calculated from costs is r = 0.50$ [log] kind=ok");
    EXPECT_EQ(c.icrit, 4);

    // a = 3, b = 1: r = 0.75.
    forms = {};
    forms.steps = {enter({"", {{ids::kCostA, "1 0"}, {ids::kCostAMinus, "0 3"}}})};
    run(one_binary());
    EXPECT_DOUBLE_EQ(c.qi_r, 0.75);
    EXPECT_DOUBLE_EQ(c.qi_1r, 0.25);
}

TEST_F(Criteria109, UserPriorsMustSumToOne)
{
    const YDescription three = one_y({"grade", false, 3, 3.0, false, false, 0.5}, {1, 2, 3});
    forms.steps = {enter({"Entropy", {{ids::kPriors, "0.2 0.3 0.4"}}, kUser}),
                   enter({"", {{ids::kPriors, "0.2,0.3,0.5"}}})};
    ASSERT_FALSE(run(three).cancelled);
    EXPECT_EQ(services.with_prefix("msgbox:"),
              std::vector<std::string>{"msgbox:NOTE:invalid user specified prior. Sum = 0.900 ne 1  $ kind=ok"});
    EXPECT_DOUBLE_EQ(c.prior[3], 0.5);
    ASSERT_FALSE(forms.forms.empty());
    EXPECT_EQ(forms.forms[0].text[ids::kCodes], "  1    2    3  ");
    EXPECT_EQ(forms.forms[0].text[ids::kValuesOf], "Values of grade");
    const auto lines = log_lines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{" Prior probabilities specified:", "     1     0.20", "     2     0.30",
                                        "     3     0.50"}));
}

TEST_F(Criteria109, StalePriorsOfAnEarlierYDoNotCount)
{
    // Priors 0.5 0.5 of a binary Y would still sum to 1 over three categories if
    // the third were left from before; one value per category is required.
    c.prior[3] = 0.0;
    const YDescription three = one_y({"grade", false, 3, 3.0, false, false, 0.5}, {1, 2, 3});
    forms.steps = {enter({"Entropy", {{ids::kPriors, "0.5 0.5"}}, kUser})};
    run(three);
    EXPECT_EQ(services.calls.front(), "msgbox:NOTE: error reading prior probabilities $ kind=ok");
}

TEST_F(Criteria109, GammaUpToTwoIsAcceptedAndBalances)
{
    forms.steps = {enter({"Entropy", {{ids::kGamma, "2"}}})};
    ASSERT_FALSE(run(one_binary()).cancelled);
    EXPECT_DOUBLE_EQ(c.gamma, 2.0);
    EXPECT_TRUE(c.balanced);
    EXPECT_EQ(c.critname, "Balanced Entropy");
}

TEST_F(Criteria109, GoChecksSilentlyAndShowsTheDialogOnlyOnAFailure)
{
    c.icrit = 3;
    c.critname = "Entropy";
    ASSERT_FALSE(run(one_binary(), true).cancelled);
    EXPECT_TRUE(forms.shown.empty());
    EXPECT_TRUE(services.calls.empty());
    EXPECT_EQ(log_lines(), (std::vector<std::string>{" Criteria:", " Entropy ; gamma= 0.000; Complexity q + q' - 1",
                                                     " Beta on automatic setting"}));
    c.icrit = 7;
    forms.steps = {enter({"Entropy"})};
    ASSERT_FALSE(run(one_binary(), true).cancelled);
    EXPECT_EQ(forms.shown, std::vector<int>{ids::kDialog});
    EXPECT_EQ(c.icrit, 3);
}

TEST_F(Criteria109, AnAcceptedBetaPassesTheChecksOfGoToo)
{
    // Beta is shown again as the dialog's text when Go! checks the settings; a
    // value too wide for the usual field must still read back as itself.
    const std::pair<const char*, double> entries[] = {
        {"0.5", 0.5}, {"99999.5", 99999.5}, {"2500000", 2500000.0}, {"1e30", 1e30}};
    for (const auto& [text, beta] : entries) {
        SCOPED_TRACE(text);
        forms = {};
        services.calls.clear();
        forms.steps = {enter({"Within MSE", {{ids::kBeta, text}}})};
        ASSERT_FALSE(run(one_binary()).cancelled);
        ASSERT_DOUBLE_EQ(c.beta, beta);
        ASSERT_FALSE(run(one_binary(), true).cancelled);
        EXPECT_EQ(forms.shown.size(), 1u); // only the first showing
        EXPECT_TRUE(services.with_prefix("help:").empty());
        EXPECT_DOUBLE_EQ(c.beta, beta);
    }
}

TEST_F(Criteria109, ATreeLeavesTheUsersBetaForTheSearchesAfterIt)
{
    c.auto_beta = false;
    c.beta = 0.05;
    ASSERT_FALSE(critdlg(c, texts, one_binary(), {true, true}, forms, services, log).cancelled);
    EXPECT_EQ(log_lines().at(2), " Beta parameter not used in tree analysis");
    EXPECT_DOUBLE_EQ(c.beta, 0.05);
}

TEST_F(Criteria109, CancelRestoresCriterionBetaGammaAndTheWeights)
{
    const YDescription two{{binary_y("low"), {"bwt", false, 100, 4990.0, false, false, 4.0}}, {0.0, 1.0}, false};
    c.inverse_variance = true;
    c.yweight = {0.25, 4.0, 1.0, 1.0, 1.0};
    c.auto_beta = false;
    c.beta = 0.1;
    forms.steps = {enter({"Entropy", {{ids::kBeta, "0.7"}, {ids::kGamma, "3"}}}), enter({"Chi-square"}, kCancel)};
    const CritResult r = run(two);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(c.icrit, 1);
    EXPECT_DOUBLE_EQ(c.beta, 0.1);
    EXPECT_DOUBLE_EQ(c.gamma, 0.0);
    EXPECT_TRUE(c.inverse_variance);
    EXPECT_DOUBLE_EQ(c.yweight[1], 4.0);
    EXPECT_EQ(texts.gamma, "3"); // the texts of the refused showing are kept
}

TEST_F(Criteria109, LogBlocks)
{
    forms.steps = {enter({"Chi-square", {{ids::kBeta, "0.5"}, {ids::kGamma, "0"}}})};
    ASSERT_FALSE(run(one_binary()).cancelled);
    EXPECT_EQ(services.calls, std::vector<std::string>{"actlog:%Criteria"});
    EXPECT_EQ(log_lines(), (std::vector<std::string>{" Chi-square ; gamma= 0.000; Complexity q + q' - 1",
                                                     " Penalty parameter beta=   0.5000"}));
    EXPECT_FALSE(c.auto_beta);

    forms = {};
    forms.steps = {enter({"Entropy", {{ids::kBeta, "automatic"}, {ids::kGamma, "0.5"}}, kEqual})};
    ASSERT_FALSE(run(one_binary()).cancelled);
    const auto lines = log_lines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{" Balanced Entropy ; gamma= 0.500; Complexity q + q' - 1",
                                        " Beta on automatic setting",
                                        " Prior probabilities specified:", "     0     0.50", "     1     0.50"}));
    EXPECT_EQ(c.critname, "Balanced Entropy");
    EXPECT_TRUE(c.auto_beta);
    EXPECT_DOUBLE_EQ(c.beta, 0.0);
}

TEST_F(Criteria109, SeveralYsInParallelAskForInverseVarianceWeights)
{
    const YDescription two{{binary_y("low"), {"bwt", false, 100, 4990.0, false, false, 4.0}}, {0.0, 1.0}, false};
    services.quiz_answers = {true};
    forms.steps = {enter({"Within MSE"})};
    ASSERT_FALSE(run(two).cancelled);
    EXPECT_EQ(services.with_prefix("quiz:"),
              std::vector<std::string>{"quiz:?Multivariate Y: inverse variance weighting?"});
    EXPECT_EQ(log_lines().back(), " Inverse variance weighting of  2 Ys");
    EXPECT_DOUBLE_EQ(c.yweight[0], 4.0);
    EXPECT_DOUBLE_EQ(c.yweight[1], 0.25);
    EXPECT_DOUBLE_EQ(c.yweight[2], 1.0);
}

} // namespace
} // namespace meru::settings
