// The level partitions of an ordinal analysis in the Partition window and the log.
#include "files/dataset.h"
#include "files/tables.h"
#include "files/textutil.h"
#include "outcome/level_window.h"
#include "outcome/outcome.h"
#include "ui/partwin.h"
#include "ui/ui_fixture.h"

namespace meru::test {
namespace {

class LevelWindowTest : public UiTest {};

TEST_F(LevelWindowTest, EachLevelUnderItsCaptionThenThePredictedCategory)
{
    files::ControlTables t;
    t.att.resize(4);
    t.att[2].attname = "age$$$$$";
    t.att[2].attlab = {files::pad("<=50", 20), files::pad(">50", 20)};
    t.att[3].attname = "wt$$$$$$";
    t.att[3].attlab = {files::pad("<=60", 20), files::pad(">60", 20)};
    files::VariableTable vars;
    vars.varname = {"", "Y", "", ""};
    vars.nvar = 1;
    files::DataArrays data;
    files::allocate_data(data, 1, 3, 4);
    data.ab(2, 1) = 1;
    outcome::Outcome y;
    y.ny = 2;
    y.ydname = "Y";
    y.ycode = {1, 2, 3};
    y.yaddatt = {2, 3};
    y.yordforce = y.yordind = true;
    std::vector<char> ischar(4, 0);
    EXPECT_EQ(outcome::finish_category_analysis(y, vars, data, 1, 1, ischar, outcome::level_window(ctx, t)),
              "NOTE: Ordinal analysis done");
    EXPECT_TRUE(frame.is_open(ui::kPartitionWindow));
    EXPECT_EQ(log_lines(),
              (std::vector<std::string>{"Predictor of Y =1", "      ( age<=50 )", "Predictor of Y =2",
                                        "      ( age>50 & wt<=60 )", "Predictor of Y =3", "      ( wt>60 )"}));
    EXPECT_EQ(data.x(1, 2), 2.0f);
}

} // namespace
} // namespace meru::test
