// Y > Transform: each transform on hand-made values worked out by hand, three of
// them on birthwt columns against R's vector arithmetic, the shuffle's
// uniformity by a chi-square test, the dialog's refusals and retries, the
// attribute made from a 0/1 result and the refusals of full tables.
#include "files/new_variable.h"
#include "outcome/mode_fixture.h"
#include "outcome/new_columns.h"
#include "outcome/transform.h"
#include "outcome/transform_dialog.h"
#include "platform/io/random.h"
#include "stats/special_functions.h"

#include <cmath>
#include <map>
#include <numeric>

namespace meru::test {
namespace {

using namespace outcome;
using V = std::vector<float>;

struct Case {
    int code;
    V y1, y2;
    std::string values;
    V want;
    double shift = 0;
    bool log_zero = false, zero_division = false, nonbinary = false, nonpositive = false, all_equal = false;
};

TEST(Transform, EachTransformOnHandMadeValues)
{
    const float ln2 = std::log(2.0f);
    const std::vector<Case> cases{
        {tcode::sum, {1, -1, 2}, {2, 3, 0}, "", {3, -1, 2}},
        {tcode::difference, {1, 5, -1}, {2, 1, 1}, "", {0, 5, -1}, 1.0}, // -1 computed, raised by 1
        {tcode::quotient, {1, 2, 3}, {0, 4, 1}, "", {-1, 0.5, 3}, 0, false, true},
        {tcode::product, {2, 3}, {4, -5}, "", {8, -1}},
        // Results beyond single precision are missing: 1e20 x 1e20 and 1e30 / 1e-29.
        {tcode::product, {1e20f, 2}, {1e20f, 3}, "", {-1, 6}},
        {tcode::quotient, {1e30f, 1}, {1e-29f, 4}, "", {-1, 0.25}},
        {tcode::log, {0, 0.5, 2}, {}, "", {-1, 0, 2 * ln2}, ln2, true},
        {tcode::log_shifted, {0.5, 1, 3}, {}, "-1", {-1, -1, ln2}, 0, false, false, false, true},
        {tcode::sqrt, {4, 9, -2}, {}, "", {2, 3, -1}},
        {tcode::sqrt, {4, 4}, {}, "", {2, 2}, 0, false, false, false, false, true},
        {tcode::combine, {0, 0, 1, 1, 1, 2}, {0, 1, 0, 1, 3, 1}, "0 1 2", {0, 0, 1, 2, 1, 2}, 0, false, false, true},
        {tcode::interval, {1, 2, 3, 4, -1}, {}, "1 3", {0, 1, 1, 0, -1}},
        {tcode::shift, {1, 3}, {}, "-2", {-1, 1}},
        {tcode::member, {1, 2, 3, -1}, {}, "1 3", {1, 0, 1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const auto p = read_params(c.code, c.values, false, ' ');
        ASSERT_TRUE(p);
        const TransformResult r = compute_transform(c.code, c.y1, c.y2, *p, {});
        ASSERT_EQ(r.values.size(), c.want.size());
        for (std::size_t i = 0; i < c.want.size(); ++i) EXPECT_NEAR(r.values[i], c.want[i], 1e-6) << i;
        EXPECT_NEAR(r.shift, c.shift, 1e-6);
        EXPECT_EQ(r.log_zero, c.log_zero);
        EXPECT_EQ(r.zero_division, c.zero_division);
        EXPECT_EQ(r.nonbinary, c.nonbinary);
        EXPECT_EQ(r.log_nonpositive, c.nonpositive);
        EXPECT_EQ(r.all_equal, c.all_equal);
    }
    // "A B" on a character Y1: codes 10 and 11.
    const auto p = read_params(tcode::member, "A B", true, ' ');
    ASSERT_TRUE(p);
    EXPECT_EQ(p->set, (std::vector<double>{10, 11}));
    EXPECT_EQ(compute_transform(tcode::member, V{10, 11, 12, 0}, {}, *p, {}).values, (V{1, 1, 0, 0}));
    // Texts that do not hold the parameters.
    EXPECT_FALSE(read_params(tcode::interval, "5", false, ' '));
    EXPECT_FALSE(read_params(tcode::combine, "0 1 x", false, ' '));
    EXPECT_FALSE(read_params(tcode::member, "1 two", false, ' '));
    EXPECT_FALSE(read_params(tcode::member, "", false, ' '));
}

TEST(Transform, LogLinesAndNames)
{
    TransformParams p;
    p.a = 20;
    p.b = 30;
    p.set = {1, 3};
    EXPECT_EQ(transform_lines(tcode::sum, "s", "age", "lwt", p),
              std::vector<std::string>{" Y1 + Y2  Transformed variable s       =age      + lwt     "});
    EXPECT_EQ(transform_lines(tcode::interval, "mid", "age", "", p),
              std::vector<std::string>{" a<Y1<=b  Binary variable mid     is   20.00 <age     <=   30.00"});
    EXPECT_EQ(transform_lines(tcode::member, "m", "race", "", p),
              (std::vector<std::string>{" Y1=a b . Binary variable m        has value 1 if equal to any of ",
                                        "                1.      3."}));
    EXPECT_TRUE(transform_lines(tcode::perm, "p", "age", "", p).empty());
    EXPECT_EQ(params_line(tcode::combine, *read_params(tcode::combine, "0 1 2", false, ' ')),
              " Assigned values are   0.  1.  2.");
    const std::vector<std::string> names{"age", "lwt"};
    EXPECT_EQ(name_refusal("age", names), "Variable age already exists ! $");
    EXPECT_EQ(name_refusal("  ", names), "Character string name required ! $");
    EXPECT_NE(name_refusal("a,b", names), "");
    EXPECT_NE(name_refusal("a b", names), "");
    EXPECT_EQ(name_refusal("agex", names), "");
}

// Counts of the six orders of three values over 60,000 shuffles, and the
// chi-square probability of those counts under uniformity (5 degrees of freedom).
double uniformity(const std::function<std::vector<int>(io::RandomStream&)>& shuffle)
{
    io::RandomStream rng; // the program's fixed start
    std::map<std::vector<int>, int> counts;
    const int n = 60000;
    for (int k = 0; k < n; ++k) ++counts[shuffle(rng)];
    double chi2 = 0;
    for (const auto& [order, c] : counts) chi2 += (c - n / 6.0) * (c - n / 6.0) / (n / 6.0);
    chi2 += (6 - static_cast<int>(counts.size())) * (n / 6.0);
    return stats::gammq(2.5, chi2 / 2);
}

TEST(Transform, PermutationIsUniformAndKeepsTheValuesAndTheMissingOnes)
{
    const V three{1, 2, 3};
    EXPECT_GT(uniformity([&](io::RandomStream& r) { return permutation(three, r); }), 0.01);
    // The shuffle that swaps each position with any position is not uniform
    // (orders of probability 5/27 and 4/27): the same test rejects it.
    const auto biased = [](io::RandomStream& r) {
        std::vector<int> p{0, 1, 2};
        for (int i = 0; i < 3; ++i)
            std::swap(p[static_cast<std::size_t>(i)], p[static_cast<std::size_t>(3 * r.next())]);
        return p;
    };
    EXPECT_LT(uniformity(biased), 1e-6);

    io::RandomStream rng;
    const V y{5, -1, 7, 9, -1, 2, 2};
    const std::vector<int> perm = permutation(y, rng);
    const V out = compute_transform(tcode::perm, y, {}, {}, perm).values;
    EXPECT_EQ(out[1], -1);
    EXPECT_EQ(out[4], -1);
    V a = out, b = y;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);
}

class TransformDialogTest : public YMenuTest {
protected:
    TransformDone open_dialog()
    {
        TransformContext cx{run->t, run->d, run->r.nread, run->r.marks.charflag, name, rng, modes, sv, log.log};
        return ytransdlg(cx);
    }
    bool mode()
    {
        TransformContext cx{run->t, run->d, run->r.nread, run->r.marks.charflag, name, rng, modes, sv, log.log};
        return transform_mode(cx);
    }
    // An answer: the new name, the values text and the three choices (0: none).
    static std::function<int(TransformView&)> answer(std::string nm, std::string values, int y1, int y2, int code)
    {
        return [=](TransformView& v) {
            v.name = nm;
            v.values = values;
            if (y1 > 0) v.y1.assign(v.y1.size(), false), v.y1[static_cast<std::size_t>(y1 - 1)] = true;
            if (y2 > 0) v.y2.assign(v.y2.size(), false), v.y2[static_cast<std::size_t>(y2 - 1)] = true;
            if (code > 0)
                v.transform.assign(v.transform.size(), false), v.transform[static_cast<std::size_t>(code - 1)] = true;
            return kOk;
        };
    }
    std::vector<float> column(int var) const
    {
        std::vector<float> v;
        for (int i = 1; i <= run->r.nread; ++i) v.push_back(run->d.x(i, var));
        return v;
    }
    ScriptedModeDialogs modes;
    std::string name;
    io::RandomStream rng;
};

TEST_F(TransformDialogTest, RefusalsThenAnIntervalWithItsAttribute)
{
    open_example("birthwt");
    const int nvar = run->t.vars.nvar;
    const int age = var("age");
    modes.transform_steps = {answer("mid", "20 30", 0, 0, 0),   answer("mid", "20 30", 0, 0, tcode::interval),
                             answer("age", "20 30", age, 0, 0), answer("", "20 30", 0, 0, 0),
                             answer("mid", "20", 0, 0, 0),      answer("mid", "20 30", 0, 0, 0)};
    sv.quiz_answers = {true};
    EXPECT_FALSE(mode());
    // The name refusals are not logged.
    EXPECT_EQ(sv.with_prefix("msgbox:"),
              (std::vector<std::string>{"msgbox:No transformation selected .$ [log] kind=ok",
                                        "msgbox:No Y1 variable selected.$ [log] kind=ok",
                                        "msgbox:Variable age already exists ! $ kind=ok",
                                        "msgbox:Character string name required ! $ kind=ok",
                                        "msgbox:Enter (a b) values of <aY1<=b$ [log] kind=ok",
                                        "msgbox: Done! Variable mid is created $ [log] kind=ok"}));
    // The texts are kept across the retries; the values text starts at "0 1 2".
    EXPECT_EQ(modes.transform_seen[0].values, "0 1 2");
    EXPECT_EQ(modes.transform_seen[1].name, "mid");
    EXPECT_EQ(sv.with_prefix("actlog:"), std::vector<std::string>{"actlog:%Y:transform"});

    ASSERT_EQ(run->t.vars.nvar, nvar + 1);
    EXPECT_EQ(run->t.vars.varname[static_cast<std::size_t>(nvar + 1)], "mid");
    EXPECT_EQ(files::source_variable(run->t.vars, nvar + 1, 1), age);
    const V mid = column(nvar + 1);
    EXPECT_EQ(std::accumulate(mid.begin(), mid.end(), 0.0f), 100.0f); // sum(age > 20 & age <= 30)
    EXPECT_TRUE(logged(" Assigned values of a, b are    20.00   30.00"));
    EXPECT_TRUE(logged(" a<Y1<=b  Binary variable mid     is   20.00 <age     <=   30.00"));
    EXPECT_TRUE(logged(" Created positive attribute: mid=1"));

    // One attribute and one line: nominal, one cut, labelled "=0" / "=1".
    const files::ControlTables& t = run->t;
    const files::AttrLine& l = t.line[static_cast<std::size_t>(t.nlines)];
    EXPECT_EQ(l.var, nvar + 1);
    EXPECT_EQ(l.type, 'n');
    EXPECT_EQ(l.ncuts, 1);
    EXPECT_EQ(l.attoff, t.natt);
    const files::Attribute& a = t.att[static_cast<std::size_t>(t.natt)];
    EXPECT_EQ(rtrim(a.attlab[0]), "=0");
    EXPECT_EQ(rtrim(a.attlab[1]), "=1");
    EXPECT_EQ(a.attname, "mid$$$$$");
    int ones = 0;
    for (int i = 1; i <= run->r.nread; ++i) ones += run->d.ab(t.natt, i) == 1;
    EXPECT_EQ(ones, 100);

    // The name is kept for the next opening; the values text is not.
    modes.transform_steps = {[](TransformView& v) { return v.name == "mid" && v.values == "0 1 2" ? kCancel : kOk; }};
    EXPECT_TRUE(mode());
}

TEST_F(TransformDialogTest, BirthwtColumnsAgainstR)
{
    open_example("birthwt");
    const int n0 = run->t.vars.nvar;
    modes.transform_steps = {answer("q", "", var("bwt"), var("lwt"), tcode::quotient),
                             answer("l", "1", var("ptl"), 0, tcode::log_shifted),
                             answer("d", "", var("ftv"), var("ptl"), tcode::difference)};
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(open_dialog().made);
    const V q = column(n0 + 1), l = column(n0 + 2), d = column(n0 + 3);
    // r <- bwt/lwt; sum(log(ptl + 1)); d <- ftv - ptl; sum(d - min(d))
    EXPECT_NEAR(q[0], 13.8626374, 1e-5);
    EXPECT_NEAR(q[2], 24.3523810, 1e-5);
    EXPECT_NEAR(std::accumulate(q.begin(), q.end(), 0.0), 4441.2290544, 1e-3);
    EXPECT_NEAR(std::accumulate(l.begin(), l.end(), 0.0), 23.5148881, 1e-4);
    EXPECT_NEAR(std::accumulate(d.begin(), d.end(), 0.0), 680, 1e-3);
    EXPECT_TRUE(called("msgbox:NOTE: negative transformed values are not allowed, corrected by adding    3.00$ [log] "
                       "kind=ok"));
    EXPECT_TRUE(logged(" Y1 / Y2  Transformed variable q       =bwt      / lwt"));
}

TEST(NewColumns, FullTablesAreRefusedAndNothingIsWritten)
{
    RecordingServices sv;
    files::VariableTable vars;
    files::DataArrays data;
    files::allocate_data(data, 2, 1, 1); // 151 columns
    vars.nvar = 1;
    vars.varname = {"", "x"};
    std::vector<char> ischar(2, 0);
    const V values{1, 2};
    int made = 0;
    while (outcome::add_variable(vars, data, ischar, "v", values, false, sv) != 0) ++made;
    EXPECT_EQ(made, 150);
    EXPECT_EQ(vars.nvar, 151);
    EXPECT_EQ(sv.calls.back(), "msgbox:No room for a new variable$ [log] kind=ok");
    EXPECT_EQ(data.x(2, 151), 2.0f);

    // Sources, and the sources of sources, once each (not further).
    files::set_source_variable(vars, 5, 1, 4);
    files::set_source_variable(vars, 4, 1, 3);
    files::set_source_variable(vars, 4, 2, 2);
    files::set_source_variable(vars, 3, 1, 1);
    files::set_source_variable(vars, 6, 1, 5);
    EXPECT_EQ(files::source_variables(vars, 5), (std::vector<int>{4, 3, 2}));
    EXPECT_EQ(files::source_variables(vars, 6), (std::vector<int>{5, 4}));
    EXPECT_TRUE(files::source_variables(vars, 1).empty());

    files::ControlTables t;
    files::allocate(t, {1, 1, 2}); // 51 attributes, 51 lines
    t.vars.nvar = 1;
    t.vars.varname[1] = "x";
    t.nlines = 1;
    files::DataArrays d;
    files::allocate_data(d, 2, 1, 1); // one attribute column
    EXPECT_EQ(outcome::add_binary_attribute(t, d, 1, sv), 1);
    EXPECT_EQ(outcome::add_binary_attribute(t, d, 1, sv), 0);
    EXPECT_EQ(sv.calls.back(), "msgbox:No room for a new attribute$ [log] kind=ok");
    EXPECT_EQ(t.natt, 1);
    EXPECT_EQ(t.nlines, 2);
}

} // namespace
} // namespace meru::test
