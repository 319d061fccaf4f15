// Indicator Ys of a discrete Y, the predicted category from the partitions of
// the serial searches, and the level partitions, on the three-category cases.
#include "files/dataset.h"
#include "files/new_variable.h"
#include "files/tables.h"
#include "outcome/categories.h"
#include "outcome/outcome.h"
#include "outcome/ysummary.h"

#include <gtest/gtest.h>

namespace meru::outcome {
namespace {

const std::vector<int> k123{1, 2, 3};

TEST(Indicators, NamesAscendingDescendingAndCodesAbove35)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(indicator_names(CategoryKind::ordinal, true, k123, "Y"), (V{"{Y >1}", "{Y >2}"}));
    EXPECT_EQ(indicator_names(CategoryKind::ordinal, false, k123, "Y"), (V{"{Y <3}", "{Y <2}"}));
    EXPECT_EQ(indicator_names(CategoryKind::nominal, true, k123, "AGE"), (V{"{AGE =1}", "{AGE =2}"}));
    EXPECT_EQ(indicator_names(CategoryKind::nominal, false, k123, "AGE"), (V{"{AGE =3}", "{AGE =2}"}));
    EXPECT_EQ(indicator_names(CategoryKind::ordinal, true, std::vector<int>{10, 36, 40}, "ABCDEFGH"),
              (V{"{ABCDEFGH>A}", "{ABCDEFGH>?}"}));
    EXPECT_EQ(indicator_log(CategoryKind::nominal, k123, "Y"),
              (V{" Assumed nominal structure of Y" + std::string(7, ' ') + " categories: 1 2 3",
                 " Creating indicator values for levels of Y"}));
}

TEST(Indicators, ValuesFollowTheOrderOfTheCategories)
{
    // as.numeric(match(v, order) > k) for the ordinal, == k for the nominal.
    const std::vector<std::vector<int>> orders{{1, 2, 3}, {3, 2, 1}, {2, 3, 1}};
    for (const auto& order : orders)
        for (int v = 1; v <= 3; ++v) {
            const int pos = static_cast<int>(std::find(order.begin(), order.end(), v) - order.begin()) + 1;
            for (int k = 1; k <= 2; ++k) {
                const auto fv = static_cast<float>(v);
                EXPECT_EQ(indicator_value(CategoryKind::ordinal, true, order, k, fv), pos > k ? 1.0f : 0.0f);
                EXPECT_EQ(indicator_value(CategoryKind::ordinal, false, order, k, fv), pos < 4 - k ? 1.0f : 0.0f);
                EXPECT_EQ(indicator_value(CategoryKind::nominal, true, order, k, fv), pos == k ? 1.0f : 0.0f);
                EXPECT_EQ(indicator_value(CategoryKind::nominal, false, order, k, fv), pos == 4 - k ? 1.0f : 0.0f);
            }
        }
    // Ascending codes: the same as comparing values.
    EXPECT_EQ(indicator_value(CategoryKind::ordinal, true, k123, 1, 3.0f), 1.0f);
    EXPECT_EQ(indicator_value(CategoryKind::ordinal, true, k123, 2, 2.0f), 0.0f);
    EXPECT_EQ(indicator_value(CategoryKind::ordinal, true, k123, 1, -1.0f), -1.0f);
}

TEST(PredictedCategory, OrdinalAndNominalRulesOnHandMadeBytes)
{
    using B = std::vector<int>;
    EXPECT_EQ(category_level(CategoryKind::ordinal, B{1, 1}), 3);
    EXPECT_EQ(category_level(CategoryKind::ordinal, B{1, 0}), 2);
    EXPECT_EQ(category_level(CategoryKind::ordinal, B{0, 0}), 1);
    EXPECT_EQ(category_level(CategoryKind::ordinal, B{1, 255}), 0);
    EXPECT_EQ(category_level(CategoryKind::nominal, B{0, 1}), 2);
    EXPECT_EQ(category_level(CategoryKind::nominal, B{1, 255}), 1);
    EXPECT_EQ(category_level(CategoryKind::nominal, B{255, 1}), 0);
    EXPECT_EQ(category_level(CategoryKind::nominal, B{0, 0}), 3);
    // Ascending ycode(L); descending ycode(ny + 2 - L).
    EXPECT_EQ(level_value(3, false, k123, 2), 3.0f);
    EXPECT_EQ(level_value(1, false, k123, 2), 1.0f);
    EXPECT_EQ(level_value(3, true, k123, 2), 1.0f);
    EXPECT_EQ(level_value(1, true, k123, 2), 3.0f);
    EXPECT_EQ(level_value(0, true, k123, 2), -1.0f);
}

TEST(PredictedCategory, HatVariableIsMadeOnceAndNeverOverwritesData)
{
    EXPECT_EQ(hat_name("ABCDEFGH"), "^ABCDEFG");
    EXPECT_EQ(hat_name("ph_ecog"), "^ph_ecog");
    const std::vector<std::string> names{"", "^Y", "Y", "^Y"};
    // "^Y" as data variable 1 is not reused; the one made after the data is.
    EXPECT_EQ(hat_place(names, 3, 2, 10, "^Y").var, 3);
    EXPECT_FALSE(hat_place(names, 3, 2, 10, "^Y").created);
    const HatPlace fresh = hat_place(names, 3, 3, 10, "^Y");
    EXPECT_EQ(fresh.var, 4);
    EXPECT_TRUE(fresh.created);
    EXPECT_EQ(hat_place(names, 3, 3, 3, "^Y").var, 0); // no room

    // Three observations: attributes 2 and 3 hold the partitions of the two
    // indicators; the third observation's first byte is missing.
    files::VariableTable vars;
    vars.varname = {"", "Y", "", ""};
    vars.nvar = 1;
    files::DataArrays data;
    files::allocate_data(data, 3, 3, 3);
    const int bytes[3][2] = {{1, 1}, {1, 0}, {255, 0}};
    for (int i = 1; i <= 3; ++i) {
        data.ab(2, i) = static_cast<std::uint8_t>(bytes[i - 1][0]);
        data.ab(3, i) = static_cast<std::uint8_t>(bytes[i - 1][1]);
    }
    Outcome y;
    y.ny = 2;
    y.ydname = "Y";
    y.ycode = {1, 2, 3};
    y.yaddatt = {2, 3};
    std::vector<char> ischar{0, 1, 0, 0};
    EXPECT_EQ(store_predicted(CategoryKind::ordinal, y, vars, data, 3, 1, ischar), "NOTE: Ordinal analysis done");
    EXPECT_EQ(y.hatvar, 2);
    EXPECT_EQ(vars.varname[2], "^Y");
    EXPECT_EQ(ischar[2], 1); // made from a character variable
    EXPECT_EQ(data.x(1, 2), 3.0f);
    EXPECT_EQ(data.x(2, 2), 2.0f);
    EXPECT_EQ(data.x(3, 2), -1.0f);
    EXPECT_EQ(store_predicted(CategoryKind::nominal, y, vars, data, 3, 1, ischar), "NOTE: Nominal analysis done");
    EXPECT_EQ(vars.nvar, 2); // reused
    EXPECT_EQ(data.x(1, 2), 1.0f);
    EXPECT_EQ(data.x(3, 2), -1.0f);

    // With every spare variable made, a new one is not made and nothing is written.
    y.ydname = "Z";
    vars.made = files::kMadeVariables;
    EXPECT_EQ(store_predicted(CategoryKind::nominal, y, vars, data, 3, 2, ischar), "");
    EXPECT_EQ(vars.nvar, 2);
}

TEST(LevelPartitions, OrdinalAndNominalCaptionsAndTerms)
{
    const std::vector<int> att{7, 9};
    const auto asc = ordparts(att, k123, false, true, "Y");
    ASSERT_EQ(asc.size(), 3u);
    EXPECT_EQ(asc[0].term, (std::vector<int>{-7}));
    EXPECT_EQ(asc[1].term, (std::vector<int>{7, -9}));
    EXPECT_EQ(asc[2].term, (std::vector<int>{9}));
    EXPECT_EQ(asc[0].caption, "Predictor of Y" + std::string(7, ' ') + "=1");
    // Descending: ycode(1) comes from the count level 3 (both true).
    const auto desc = ordparts(att, k123, true, false, "Y");
    EXPECT_EQ(desc[0].term, (std::vector<int>{9}));
    EXPECT_EQ(desc[2].term, (std::vector<int>{-7}));
    EXPECT_EQ(desc[1].caption, "Assigned Predicted level 2 value= 2");

    const std::vector<std::string> names{"{A}", "{B}"};
    const auto nom = nomparts(att, k123, false, false, "Y", names);
    ASSERT_EQ(nom.size(), 3u);
    EXPECT_EQ(nom[0].term, (std::vector<int>{7}));
    EXPECT_EQ(nom[0].caption, "Assigned Predicted {A}" + std::string(17, ' ') + "value= 1");
    EXPECT_EQ(nom[2].term, (std::vector<int>{-7, -9}));
    EXPECT_EQ(nom[2].caption, "Assigned Predicted Y" + std::string(21, ' ') + "=rest value= 3");
    EXPECT_TRUE(nom[2].side_label && !nom[0].side_label);
    const auto nomd = nomparts(att, k123, true, true, "Y", names);
    EXPECT_EQ(nomd[0].caption, "Predictor of Y" + std::string(7, ' ') + "=3");
    EXPECT_EQ(nomd[2].caption, "Predictor of Y" + std::string(7, ' ') + "=1");
}

TEST(Categorical, YdiscokCases)
{
    EXPECT_FALSE(ydiscok(false, 37, 36, false, false)); // 0..36
    EXPECT_TRUE(ydiscok(false, 36, 35, false, false));
    EXPECT_TRUE(ydiscok(false, 50, 99, true, true));  // character
    EXPECT_TRUE(ydiscok(true, 2, 100, false, false)); // binary 0/100
    EXPECT_FALSE(ydiscok(false, 3, 2.5, true, false));
}

} // namespace
} // namespace meru::outcome

namespace meru::outcome {
namespace {

TEST(LevelPartitions, FinishingAnOrdinalAnalysisShowsEachLevelAndAsksForTheScatterPlot)
{
    files::VariableTable vars;
    vars.varname = {"", "ph_ecog", "", ""};
    vars.nvar = 1;
    files::DataArrays data;
    files::allocate_data(data, 2, 3, 4);
    data.ab(3, 1) = 1; // observation 1: both indicators' partitions hold: level 3
    data.ab(4, 1) = 1;
    Outcome y;
    y.ny = 2;
    y.ycol = {1, 1, 0, 0, 0};
    y.ydname = "ph_ecog";
    y.ycode = {0, 1, 2};
    y.yaddatt = {3, 4};
    y.yordforce = y.yordind = true;
    std::vector<char> ischar{0, 0, 0, 0};
    std::vector<std::pair<std::string, bool>> shown;
    const std::string note =
        finish_category_analysis(y, vars, data, 2, 1, ischar,
                                 [&](const LevelPartition& p, bool first) { shown.emplace_back(p.caption, first); });
    EXPECT_EQ(note, "NOTE: Ordinal analysis done");
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].first, "Predictor of ph_ecog =2");
    EXPECT_TRUE(shown[0].second && !shown[1].second);
    EXPECT_EQ(vars.varname[2], "^ph_ecog");
    EXPECT_EQ(data.x(1, 2), 2.0f);
    EXPECT_EQ(data.x(2, 2), 0.0f);
    EXPECT_TRUE(y.direct_scatter);
    EXPECT_EQ(y.scaty, 2);
    EXPECT_EQ(y.scatx, 1);
}

} // namespace
} // namespace meru::outcome
