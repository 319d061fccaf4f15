// The Partition window: its rows as a pure model (prefix, operators, five
// literals a row, the label of each literal's side), the window and the log as
// partwin writes them, the full window, the caption helper, the retry of a
// failing configuration, the engine's adapter, and the acceptance picture.
#include "ui/partwin.h"

#include "files/controlfile.h"
#include "files/tables.h"
#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/io/records.h"
#include "support/recording_services.h"
#include "ui/textrow.h"
#include "ui_fixture.h"

#include <QDir>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace meru;
using meru::test::ModalAnswerer;
using meru::test::UiTest;

namespace {

// Attribute a: variable name field `name` (trailing blanks as "$"), labels
// (complement's, own) blank-padded to 20 characters.
void set_attr(files::ControlTables& t, int a, std::string name, std::string own, std::string other,
              signed char sign = 1)
{
    if (t.att.size() <= static_cast<size_t>(a)) t.att.resize(static_cast<size_t>(a) + 1);
    files::Attribute& at = t.att[static_cast<size_t>(a)];
    name.resize(8, '$');
    at.attname = name;
    at.attlab = {files::pad(other, 20), files::pad(own, 20)};
    at.signbyte = sign;
}

files::ControlTables small_tables()
{
    files::ControlTables t;
    set_attr(t, 2, "AGE", ">$30", "<=$30");
    set_attr(t, 3, "NUMBER", ">$4", "<=$4");
    set_attr(t, 6, "START", ">$12", "<=$12");
    set_attr(t, 7, "SEX", "=$F", "^=$F", -1);
    return t;
}

partition::TermList terms(std::initializer_list<std::initializer_list<int>> list)
{
    partition::TermList l;
    for (auto term : list) l.add_term(term);
    return l;
}

// The texts of the journal on `row` (by the text's top: y = 14 row - 14), in order.
std::vector<platform::DrawCall> on_row(const platform::Canvas& c, int row)
{
    std::vector<platform::DrawCall> out;
    for (const auto& call : c.journal())
        if (call.op == "text" && (call.points.at(0).y() + 14) / 14 == row) out.push_back(call);
    return out;
}

// The columns (1-based, x / 7 + 1) of one colour's single characters on a row
// put back into a line.
std::string cells(const platform::Canvas& c, int row, int colour)
{
    std::string line;
    for (const auto& call : on_row(c, row)) {
        if (call.colour != colour || call.text.size() != 1) continue;
        const size_t col = static_cast<size_t>(call.points.at(0).x() / 7);
        if (line.size() <= col) line.resize(col + 1, ' ');
        line[col] = call.text[0];
    }
    return line;
}

class PartwinTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        frame.set_journaling(true);
    }
    platform::Canvas& canvas() { return *frame.canvas(ui::kPartitionWindow); }
    files::ControlTables t = small_tables();
};

} // namespace

TEST(PartitionRows, TwoTermsOfA)
{
    const auto rows = ui::partition_rows(terms({{3, -2}, {-6}}), small_tables(), 1, false);
    ASSERT_EQ(rows.size(), 2u);
    // Columns: 2-5 the prefix, 7 "(", literals from 9, each squeezed with the one
    // blank its padded label leaves, then ")" or "&" and a blank.
    EXPECT_EQ(rows[0].text, "   A= ( NUMBER>4 & AGE<=30 )");
    EXPECT_EQ(rows[0].ops, "      (          &         )");
    EXPECT_EQ(rows[1].text, "   or ( START<=12 )");
    EXPECT_EQ(rows[1].ops, "   or (           )");
}

TEST(PartitionRows, LabelsFollowTheSideAndTheSign)
{
    const files::ControlTables t = small_tables();
    // A-: the literal's own label is the other column.
    auto rows = ui::partition_rows(terms({{3}}), t, 0, false);
    EXPECT_EQ(rows[0].text, "  A-= ( NUMBER<=4 )");
    // A negative attribute (sign -1) takes the other label for a positive literal.
    rows = ui::partition_rows(terms({{7, -7}}), t, 1, true);
    EXPECT_EQ(rows[0].text, "      ( SEX^=F & SEX=F )");
}

TEST(PartitionRows, TwelveLiteralsTakeRowsOfFiveFiveTwo)
{
    files::ControlTables t;
    for (int a = 2; a <= 13; ++a) set_attr(t, a, "V" + std::to_string(a), "=$1", "=$0");
    partition::TermList l;
    std::vector<int> lits;
    for (int a = 2; a <= 13; ++a) lits.push_back(a);
    l.add_term(lits);
    l.add_term({2});
    const auto rows = ui::partition_rows(l, t, 1, false);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].text, "   A= ( V2=1 & V3=1 & V4=1 & V5=1 & V6=1 &");
    EXPECT_EQ(rows[1].text, "        V7=1 & V8=1 & V9=1 & V10=1 & V11=1 &");
    EXPECT_EQ(rows[2].text, "        V12=1 & V13=1 )");
    EXPECT_EQ(rows[2].ops, "              &       )");
    EXPECT_EQ(rows[3].text, "   or ( V2=1 )");
}

TEST(PartitionRows, LongLiteralsMakeWideRows)
{
    files::ControlTables t;
    for (int a = 2; a <= 6; ++a) set_attr(t, a, "LONGNAME", std::string(20, 'x'), "y");
    const auto rows = ui::partition_rows(terms({{2, 3, 4, 5, 6}}), t, 1, false);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text.size(), 8u + 5 * 30 - 1); // 28 characters and two separators each
    EXPECT_EQ(rows[0].text.back(), ')');
    EXPECT_EQ(rows[0].ops.size(), rows[0].text.size());
}

TEST(PartitionCaption, PartcapAndAlabel)
{
    EXPECT_EQ(ui::partcap(7, true, false), files::pad("Best on iteration  7", 30));
    EXPECT_EQ(ui::partcap(123, true, false), files::pad("Best on iteration  123", 30));
    EXPECT_EQ(ui::partcap(7, false, false), files::pad("Best of search", 30));
    EXPECT_EQ(ui::partcap(7, true, true), files::pad("Current partition is:", 30));
    EXPECT_EQ(ui::alabel(1), " A");
    EXPECT_EQ(ui::alabel(-3), " A");
    EXPECT_EQ(ui::alabel(0), "A-");
}

TEST_F(PartwinTest, RowsMatchInTheLogAndTheWindow)
{
    std::string caption = "Best   of$ search";
    int row = 1;
    ui::partwin(ctx, terms({{3, -2}, {-6}}), t, 1, caption, row, true, true);
    EXPECT_EQ(caption, "Best of search");
    EXPECT_EQ(row, 3);
    ASSERT_TRUE(frame.is_open(ui::kPartitionWindow));
    // 600 pixels wide, as tall as its rows: caption, two rows and the empty row
    // (14 pixels each, the last one's bar ending on y 56).
    EXPECT_EQ(canvas().width(), 600);
    EXPECT_EQ(canvas().height(), 4 * 14 + 1);
    EXPECT_EQ(frame.active(), ui::kPartitionWindow);
    EXPECT_TRUE(ctx.windows.units[ui::kPartitionWindow].open);
    EXPECT_EQ(menus.text(ui::kWindowMenu, 3), "Partition ");

    const std::vector<std::string> log = log_lines();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "Best of search");
    EXPECT_EQ(log[1], "   A= ( NUMBER>4 & AGE<=30 )");
    EXPECT_EQ(log[2], "   or ( START<=12 )");

    auto caption_row = on_row(canvas(), 1);
    ASSERT_EQ(caption_row.size(), 1u);
    EXPECT_EQ(caption_row[0].text, "  Best of search");
    EXPECT_EQ(caption_row[0].colour, 0);
    for (int r = 2; r <= 3; ++r) {
        const auto texts = on_row(canvas(), r);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0].text, log[static_cast<size_t>(r - 1)]); // the whole line, black
        EXPECT_EQ(texts[0].colour, 0);
        EXPECT_EQ(texts[0].points.at(0).x(), 0);
    }
    EXPECT_EQ(cells(canvas(), 2, ui::kOperatorRed), "      (          &         )");
    EXPECT_EQ(cells(canvas(), 3, ui::kOperatorRed), "   or (           )");
    EXPECT_FALSE(ctx.cellmode);
    // Bars: green caption, white rows, one empty white row, and nothing below.
    EXPECT_EQ(canvas().get_pixel_rgb(599, 7), ui::kCaptionGreen);
    EXPECT_EQ(canvas().get_pixel_rgb(599, 20), 0xffffff);
    EXPECT_EQ(canvas().get_pixel_rgb(599, 48), 0xffffff); // row 4, empty
    EXPECT_EQ(canvas().get_pixel_rgb(300, 56), 0xffffff);
    EXPECT_TRUE(on_row(canvas(), 4).empty());

    // The complement continues below, with the literals in blue for "Sim...".
    std::string sim = "Simplified";
    ++row; // below the empty row
    ui::partwin(ctx, terms({{-3}}), t, 0, sim, row, false, true);
    EXPECT_EQ(row, 5);
    EXPECT_EQ(canvas().height(), 6 * 14 + 1); // grown to the rows added
    EXPECT_EQ(on_row(canvas(), 4)[0].text, "  Simplified");
    EXPECT_EQ(on_row(canvas(), 5)[0].colour, ui::kLiteralBlue);
    std::string lower = "simplified";
    ++row;
    ui::partwin(ctx, terms({{-3}}), t, 0, lower, row, false, true);
    EXPECT_EQ(on_row(canvas(), 7)[0].colour, 0);
    EXPECT_EQ(log_lines().size(), 3u); // no log copy asked
}

TEST_F(PartwinTest, ShowOffWritesOnlyTheLog)
{
    std::string caption = "Added attribute";
    int row = 1;
    ui::partwin(ctx, terms({{2}}), t, 1, caption, row, true, false, true);
    EXPECT_FALSE(frame.is_open(ui::kPartitionWindow));
    EXPECT_EQ(row, 2);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"Added attribute", "      ( AGE>30 )"}));
}

TEST_F(PartwinTest, FullWindowGoesOnInTheLog)
{
    partition::TermList many;
    for (int i = 0; i < 50; ++i) many.add_term({2});
    std::string caption = "Best of search";
    int row = 1;
    ui::partwin(ctx, many, t, 1, caption, row, true, true);
    EXPECT_EQ(row, 51);
    EXPECT_EQ(log_lines().size(), 51u);
    const auto full = on_row(canvas(), 42);
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].text, ui::kWindowFull);
    EXPECT_EQ(full[0].colour, ui::kOperatorRed);
    EXPECT_EQ(on_row(canvas(), 41).size(), 1u + 4); // the whole line, then "o", "r", "(", ")" in red
    for (int r = 43; r <= 52; ++r) EXPECT_TRUE(on_row(canvas(), r).empty()) << r;

    // A caption on row 44 does not fit either.
    std::string next = "Complement";
    row = 44;
    ui::partwin(ctx, terms({{2}}), t, 0, next, row, true, true);
    EXPECT_EQ(on_row(canvas(), 44).back().text, ui::kWindowFull);
    EXPECT_TRUE(on_row(canvas(), 45).empty());
    EXPECT_EQ(log_lines().back(),
              "    or ( AGE<=30 )" == log_lines().back() ? log_lines().back() : "  A-= ( AGE<=30 )");
}

TEST_F(PartwinTest, AFailingConfigurationIsTriedOnceMoreThenLogOnly)
{
    int tries = 0;
    ModalAnswerer answer({"OK"});
    EXPECT_FALSE(ui::open_partition_window(ctx, [&] {
        ++tries;
        return std::string("Unknown GETWSIZEQQ problem in Partition window$");
    }));
    EXPECT_EQ(tries, 2);
    ASSERT_EQ(answer.shown.size(), 1u);
    EXPECT_EQ(answer.shown[0].text, "Unknown GETWSIZEQQ problem in Partition window ");
    tries = 0;
    EXPECT_TRUE(ui::open_partition_window(ctx, [&] { return ++tries == 1 ? std::string("x$") : std::string(); }));
    EXPECT_EQ(tries, 2);
    EXPECT_EQ(answer.shown.size(), 1u);
}

TEST_F(PartwinTest, AdapterForThePartitionEngine)
{
    const partition::PartitionWindow show = ui::partition_window(ctx, t);
    frame.open_window(19, "Scatter");
    frame.set_active(19);
    show(terms({{2, 3}}), 0, "NOTE: not compatible with:");
    ASSERT_TRUE(frame.is_open(ui::kPartitionWindow));
    EXPECT_EQ(frame.active(), ui::kPartitionWindow);
    EXPECT_EQ(on_row(canvas(), 1)[0].text, "  NOTE: not compatible with:");
    EXPECT_EQ(on_row(canvas(), 2)[0].text, "  A-= ( AGE<=30 & NUMBER<=4 )");
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"NOTE: not compatible with:", "  A-= ( AGE<=30 & NUMBER<=4 )"}));
    // Shown again, the window starts afresh.
    show(terms({{6}}), 1, "NOTE: not compatible with:");
    EXPECT_EQ(on_row(canvas(), 2)[0].text, "   A= ( START>12 )");
    EXPECT_TRUE(on_row(canvas(), 3).empty());
    ui::front18(frame);
    EXPECT_EQ(frame.focus(), ui::kPartitionWindow);
}

TEST_F(PartwinTest, AcceptancePictureOverTheKyphosisExample)
{
    std::ifstream in(std::string(MERU_EXAMPLES_DIR) + "/kyphosis.mrc", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string cf = text.str();
    const std::string data = std::string(MERU_EXAMPLES_DIR) + "/kyphosis.csv";
    cf.replace(cf.find("\nkyphosis.csv") + 1, 12, data);
    const auto records = io::split_records(cf);
    test::RecordingServices sv;
    std::string path = data, msgline;
    files::ScanFlags flags;
    files::NoValidData nvd;
    files::ControlTables kt;
    files::CfNotes notes;
    files::allocate(kt, files::scancf(records, path, flags, true, nvd, notes));
    kt.format.datapath = path;
    files::Scratch scratch;
    ASSERT_EQ(files::readcf(records, kt, flags, msgline, scratch, notes, sv), 0);
    // age > 50 and start <= 12, or number > 4 (attributes 3, -11, 7).
    std::string caption = "Best of search";
    int row = 1;
    ui::partwin(ctx, terms({{3, -11}, {7}}), kt, 1, caption, row, true, true);
    const std::vector<std::string> log = log_lines();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_NE(log[1].find("age>50"), std::string::npos) << log[1];
    EXPECT_NE(log[1].find("start<=12"), std::string::npos) << log[1];
    EXPECT_NE(log[2].find("number>4"), std::string::npos) << log[2];

    const char* shots = std::getenv("MERU_E2E_SHOTS");
    const QString folder = shots && *shots ? QString(shots) : dir.path();
    QDir().mkpath(folder);
    ASSERT_TRUE(frame.save_canvas_png(ui::kPartitionWindow, folder + "/partition_window.png"));
    EXPECT_EQ(canvas().get_pixel_rgb(599, 1), ui::kCaptionGreen);
    EXPECT_EQ(canvas().get_pixel_rgb(599, 15), 0xffffff);
    EXPECT_EQ(canvas().get_pixel_rgb(599, 55), 0xffffff);
    EXPECT_EQ(canvas().height(), 57); // the window ends with its rows
}
