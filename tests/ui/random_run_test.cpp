// Process > Random: the dialog's checks, the progress and the escape, the
// hand-over to the distribution plot and the result lines.
#include "ui/random_run.h"

#include "platform/io/random.h"
#include "stats/log_capture.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

using namespace meru;
using namespace meru::stats;
using namespace meru::ui;
using meru::test::LogCapture;
using meru::test::RecordingServices;

namespace {

// Answers the dialog from a queue of entries (Cancel when it runs out).
struct Entry {
    std::string number = "10000";
    SplitMode mode = SplitMode::Uniform;
    std::string percent;
    int id = random_ids::kOk;
};

class ScriptedDialog : public RandomDialog {
public:
    std::deque<Entry> entries;
    std::vector<RandomDialogView> shown;
    int run(RandomDialogView& view) override
    {
        shown.push_back(view);
        if (entries.empty()) return random_ids::kCancel;
        const Entry e = entries.front();
        entries.pop_front();
        view.number = e.number;
        view.mode = e.mode;
        view.percent = e.percent;
        return e.id;
    }
};

// A distribution plot that reports "done" once it has its last series, and records
// what it was given.
struct SeriesCall {
    std::string label, title;
    std::size_t count = 0;
    bool overlay = false, last = false, first = false;
    double lower = 0, upper = 0, marker = 0;
    int style = 0;
};

class DonePlot : public DistributionPlot {
public:
    std::vector<SeriesCall> series;
    std::vector<std::pair<int, std::string>> texts; // (y, text)
    bool yhist(const HistSeries& s, bool& first) override
    {
        series.push_back(
            {s.label, s.title, s.values.size(), s.overlay, s.last, first, s.lower, s.upper, s.marker, s.style});
        EXPECT_EQ(s.axis, "%G                  ");
        EXPECT_EQ(s.marker_label, "Gtest");
        first = false;
        return s.last; // the user leaves the plot once its last series is shown
    }
    void text(int x, int y, std::string_view t) override
    {
        EXPECT_EQ(x, 0);
        texts.emplace_back(y, std::string(t));
    }
};

// Raises Search:End at the yield numbered `end_at`.
class EndingServices : public RecordingServices {
public:
    int end_at = -1;
    void yield() override
    {
        RecordingServices::yield();
        if (yields == end_at) end_requested = true;
    }
};

// 40 observations: Y binary, related to the observation number; weight 2 on every
// fifth observation (48 weight units).
struct Data {
    std::vector<float> y;
    std::vector<int> w;
    std::vector<std::uint8_t> mask;
    std::vector<double> searchg;
    std::vector<int> splithist = std::vector<int>(100, 0);
    Data()
    {
        for (int i = 0; i < 40; ++i) {
            y.push_back(static_cast<float>((i * 7) % 3 == 0 ? 1 : 0));
            w.push_back(i % 5 == 0 ? 2 : 1);
            mask.push_back(1);
        }
    }
    RandomInput input(double g_test = 3.0)
    {
        RandomInput in;
        in.y = {y};
        in.weights = w;
        in.mask = mask;
        in.g_test = g_test;
        in.n_a_minus = 30;
        in.n_a = 10;
        in.searchg = searchg;
        in.splithist = splithist;
        in.seed = 12345;
        return in;
    }
};

CritSettings criterion(int icrit)
{
    CritSettings c;
    c.icrit = icrit;
    return c;
}

struct RunOut {
    RandomResult result;
    std::vector<std::string> lines;
    std::string msgline;
};

RunOut run_once(Data& d, ScriptedDialog& dialog, DonePlot& plot, RecordingServices& services, int icrit = 5,
                double g_test = 3.0)
{
    LogCapture cap;
    io::RandomStream random;
    CritSettings crit = criterion(icrit);
    RunOut r;
    r.result = process_random(d.input(g_test), crit, r.msgline, random, dialog, plot, services, cap.log);
    r.lines = cap.lines;
    return r;
}

// One run on a given input, the dialog answered by `entries`.
RunOut run_input(const RandomInput& in, std::deque<Entry> entries, int icrit, RecordingServices& services)
{
    ScriptedDialog dialog;
    dialog.entries = std::move(entries);
    DonePlot plot;
    LogCapture cap;
    io::RandomStream random;
    CritSettings crit = criterion(icrit);
    RunOut r;
    r.result = process_random(in, crit, r.msgline, random, dialog, plot, services, cap.log);
    r.lines = cap.lines;
    return r;
}

bool has_line(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

// ---------------------------------------------------------------- the run

TEST(RandomRun, SameSeedGivesTheSameLinesTwice)
{
    Data d;
    d.searchg = {0.5, 4.0, 1.5, 2.5};
    d.splithist[60] = 30;
    d.splithist[70] = 20;
    auto go = [&] {
        ScriptedDialog dialog;
        dialog.entries = {{"200", SplitMode::Mimic, "", random_ids::kOk}};
        DonePlot plot;
        RecordingServices services;
        return run_once(d, dialog, plot, services);
    };
    const RunOut a = go();
    const RunOut b = go();
    ASSERT_EQ(a.result.nrand, 200);
    EXPECT_EQ(a.lines, b.lines);
    EXPECT_EQ(a.result.gs, b.result.gs);
    EXPECT_TRUE(std::is_sorted(a.result.gs.begin(), a.result.gs.end()));
    EXPECT_TRUE(has_line(a.lines, "   200 random partitions generated"));
    // Another seed draws other partitions.
    Data other = d;
    ScriptedDialog dialog;
    dialog.entries = {{"200", SplitMode::Mimic, "", random_ids::kOk}};
    DonePlot plot;
    RecordingServices services;
    LogCapture cap;
    io::RandomStream random;
    CritSettings crit = criterion(5);
    std::string msg;
    RandomInput in = other.input();
    in.seed = 777;
    const auto r = process_random(in, crit, msg, random, dialog, plot, services, cap.log);
    EXPECT_NE(r.gs, a.result.gs);
}

TEST(RandomRun, LinesPlotsAndProgress)
{
    Data d;
    d.searchg = {2.5, 0.5, 4.0, 1.5};
    d.splithist[60] = 12; // m = 12 > 10: the extreme-value lines follow
    ScriptedDialog dialog;
    dialog.entries = {{"300", SplitMode::Uniform, "", random_ids::kOk}};
    DonePlot plot;
    RecordingServices services;
    const RunOut r = run_once(d, dialog, plot, services, 5, 3.0);

    // The search values are sorted in place.
    EXPECT_EQ(d.searchg, (std::vector<double>{0.5, 1.5, 2.5, 4.0}));
    // The dialog's start values.
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].header, " # Partitions on last search=   12 G_test= 3.0000    ");
    EXPECT_EQ(dialog.shown[0].number, "10000");
    EXPECT_EQ(dialog.shown[0].mode, SplitMode::Mimic);
    EXPECT_EQ(dialog.shown[0].percent, "  25.0");

    ASSERT_GE(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0], "Random Partitions being done:");
    EXPECT_EQ(r.lines[1], " # Partitions on last search=   12 G_test= 3.0000"); // trailing blanks dropped
    EXPECT_EQ(r.result.nrand, 300);
    // Progress every 100 partitions, one yield per partition.
    EXPECT_EQ(services.yields, 300);
    const auto progress = services.with_prefix("thinking:");
    ASSERT_EQ(progress.size(), 4u);
    EXPECT_EQ(progress[0], "thinking:... generating random partitions");
    EXPECT_EQ(progress[3], "thinking:   300 random partitions done (use Search:End to quit)");
    EXPECT_EQ(services.with_prefix("thinking-open:").size(), 1u);

    // Both series, random then search values, with common bounds.
    ASSERT_EQ(plot.series.size(), 2u);
    const auto& rs = plot.series[0];
    const auto& ss = plot.series[1];
    EXPECT_EQ(rs.label, "R ");
    EXPECT_EQ(rs.title, "Search and random distributions");
    EXPECT_TRUE(rs.first);
    EXPECT_FALSE(rs.overlay);
    EXPECT_FALSE(rs.last);
    EXPECT_EQ(rs.count, 300u);
    EXPECT_EQ(ss.label, "G ");
    EXPECT_EQ(ss.style, 255);
    EXPECT_TRUE(ss.overlay);
    EXPECT_TRUE(ss.last);
    EXPECT_EQ(ss.count, 4u);
    EXPECT_EQ(ss.lower, std::min(0.5, r.result.gs.front()));
    EXPECT_EQ(ss.upper, std::max({4.0, r.result.gs.back(), 3.0}));
    EXPECT_EQ(ss.marker, 3.0);

    // The result lines: the exceedances counted over the generated G values.
    const long long exc = std::count_if(r.result.gs.begin(), r.result.gs.end(), [](double g) { return g >= 3.0; });
    EXPECT_EQ(r.result.exceedances, exc);
    char pct[16];
    std::snprintf(pct, sizeof pct, "%8.4f", 100.0 * static_cast<double>(exc) / 300.0);
    char cnt[32];
    std::snprintf(cnt, sizeof cnt, "%7lld", exc);
    const std::string exceed =
        " # exceedances >= G_test (3.000     ) is =" + std::string(cnt) + "/    300=" + pct + "%";
    EXPECT_TRUE(has_line(r.lines, exceed)) << exceed;
    // 5% point: the first j with j/300 > 0.95 is 286.
    EXPECT_DOUBLE_EQ(r.result.upper5, (r.result.gs[285] + r.result.gs[284]) / 2);
    // Blocks of 12: 25 maxima.
    EXPECT_EQ(r.result.blocks, 25);
    ASSERT_EQ(plot.texts.size(), 3u);
    EXPECT_EQ(plot.texts[0], std::make_pair(-400, exceed));
    EXPECT_EQ(plot.texts[1].first, -390);
    EXPECT_EQ(plot.texts[1].second.rfind(" Gumbel extreme value P, for n=     12 extrema is=", 0), 0u);
    EXPECT_EQ(plot.texts[2].first, -380);
    EXPECT_EQ(plot.texts[2].second.rfind(" Empirical extreme value P =", 0), 0u);
    EXPECT_EQ(r.msgline, plot.texts[2].second);
    EXPECT_EQ(services.with_prefix("selfont:"), std::vector<std::string>{"selfont:2"});
}

TEST(RandomRun, DialogEntriesThatCannotBeUsedShowItAgain)
{
    Data d; // 48 weight units, no search values
    ScriptedDialog dialog;
    dialog.entries = {
        {"-5", SplitMode::Uniform, "", random_ids::kOk},  // negative count
        {"ten", SplitMode::Uniform, "", random_ids::kOk}, // not a number
        {"10", SplitMode::Fixed, "1", random_ids::kOk},   // 1% of 48 units: s = 0
        {"10", SplitMode::Fixed, "100", random_ids::kOk}, // s = W
        {"10", SplitMode::Fixed, "x", random_ids::kOk},   // not a number
        {"10", SplitMode::Mimic, "", random_ids::kOk},    // nothing to mimic
        {"10", SplitMode::Fixed, "50", random_ids::kOk},  // s = 24
    };
    DonePlot plot;
    RecordingServices services;
    const RunOut r = run_once(d, dialog, plot, services);
    ASSERT_EQ(dialog.shown.size(), 7u);
    EXPECT_EQ(r.result.nrand, 10);
    EXPECT_EQ(services.with_prefix("msgbox:"),
              std::vector<std::string>{"msgbox:Note there is no distribution to mimic !$ [log] kind=ok"});
    // The mimic choice was turned back to uniform.
    EXPECT_EQ(dialog.shown[6].mode, SplitMode::Uniform);
    // Only the random series, and it is the last.
    ASSERT_EQ(plot.series.size(), 1u);
    EXPECT_EQ(plot.series[0].title, "Random partition distribution");
    EXPECT_TRUE(plot.series[0].last);
}

TEST(RandomRun, RefusalsAndCancel)
{
    Data d;
    {
        ScriptedDialog dialog;
        DonePlot plot;
        RecordingServices services;
        const RunOut r = run_once(d, dialog, plot, services, 2);
        EXPECT_EQ(services.calls, std::vector<std::string>{"help:NOTE: No Subgroup purity random split"});
        EXPECT_TRUE(dialog.shown.empty());
        EXPECT_EQ(r.msgline, "NOTE: No Subgroup purity random split");
    }
    {
        Data one;
        one.mask.assign(40, 0);
        one.mask[3] = 1; // one unit
        ScriptedDialog dialog;
        DonePlot plot;
        RecordingServices services;
        run_once(one, dialog, plot, services);
        EXPECT_EQ(
            services.with_prefix("msgbox:"),
            std::vector<std::string>{"msgbox:None or one observation. Random splits are pointless!$ [log] kind=ok"});
        EXPECT_TRUE(dialog.shown.empty());
    }
    {
        ScriptedDialog dialog; // answers Cancel
        DonePlot plot;
        RecordingServices services;
        const RunOut r = run_once(d, dialog, plot, services);
        EXPECT_FALSE(r.result.ran);
        EXPECT_TRUE(plot.series.empty());
        EXPECT_EQ(r.lines.size(), 2u);
    }
    {
        // No search values and no partitions asked for: nothing to do.
        ScriptedDialog dialog;
        dialog.entries = {{"0", SplitMode::Uniform, "", random_ids::kOk}};
        DonePlot plot;
        RecordingServices services;
        const RunOut r = run_once(d, dialog, plot, services);
        EXPECT_FALSE(r.result.ran);
        EXPECT_TRUE(plot.series.empty());
    }
    {
        ScriptedDialog dialog;
        dialog.entries = {{"10", SplitMode::Uniform, "", random_ids::kDialogMissing}};
        DonePlot plot;
        RecordingServices services;
        const RunOut r = run_once(d, dialog, plot, services);
        EXPECT_EQ(r.lines.back(), " Error: dialog box 24 not found");
    }
}

TEST(RandomRun, EscapeAtTheFirstPartitionPlotsTheSearchValuesOnly)
{
    Data d;
    d.searchg = {1.0, 2.0, 3.0};
    d.splithist[10] = 40;
    ScriptedDialog dialog;
    dialog.entries = {{"50", SplitMode::Mimic, "", random_ids::kOk}};
    DonePlot plot;
    EndingServices services;
    services.end_at = 1;
    const RunOut r = run_once(d, dialog, plot, services);
    EXPECT_EQ(r.result.nrand, 0);
    EXPECT_TRUE(r.result.escaped);
    EXPECT_TRUE(has_line(r.lines, " User escape from Random. # done=      0"));
    EXPECT_EQ(r.lines.back(), "     0 random partitions generated");
    ASSERT_EQ(plot.series.size(), 1u);
    EXPECT_EQ(plot.series[0].label, "G ");
    EXPECT_EQ(plot.series[0].title, "Search distribution of G");
    EXPECT_FALSE(plot.series[0].overlay);
    EXPECT_TRUE(plot.texts.empty());
}

TEST(RandomRun, EscapeWithNothingToPlotEnds)
{
    Data d; // no search values
    ScriptedDialog dialog;
    dialog.entries = {{"50", SplitMode::Uniform, "", random_ids::kOk}};
    DonePlot plot;
    EndingServices services;
    services.end_at = 1;
    const RunOut r = run_once(d, dialog, plot, services);
    EXPECT_EQ(r.result.nrand, 0);
    EXPECT_TRUE(plot.series.empty());
    EXPECT_EQ(r.lines.back(), "     0 random partitions generated");
}

TEST(RandomRun, EscapeMidwayKeepsThePartitionsMade)
{
    Data d;
    ScriptedDialog dialog;
    dialog.entries = {{"1000", SplitMode::Uniform, "", random_ids::kOk}};
    DonePlot plot;
    EndingServices services;
    services.end_at = 31;
    const RunOut r = run_once(d, dialog, plot, services);
    EXPECT_EQ(r.result.nrand, 30);
    EXPECT_EQ(r.result.gs.size(), 30u);
    EXPECT_TRUE(has_line(r.lines, " User escape from Random. # done=     30"));
    EXPECT_TRUE(has_line(r.lines, "    30 random partitions generated"));
}

TEST(RandomRun, OnePartitionAndEqualValues)
{
    // One partition: the 5% point is that partition's G. Y constant: every G is 0,
    // which the user is told before the plot.
    Data d;
    d.y.assign(40, 1.0f);
    ScriptedDialog dialog;
    dialog.entries = {{"1", SplitMode::Uniform, "", random_ids::kOk}};
    DonePlot plot;
    RecordingServices services;
    const RunOut r = run_once(d, dialog, plot, services, 1, 0.0);
    ASSERT_EQ(r.result.nrand, 1);
    EXPECT_EQ(r.result.upper5, 0.0);
    EXPECT_TRUE(has_line(r.lines, "  Empirical upper 5% point  = 0.0"));
    EXPECT_EQ(services.with_prefix("msgbox:"),
              std::vector<std::string>{
                  "msgbox:NOTE: all random partitions have same G= 0.000000E+00$ [log] kind=okcancel"});
    EXPECT_TRUE(has_line(r.lines, " # exceedances >= G_test (0.000     ) is =      1/      1=100.0000%"));
    EXPECT_FALSE(r.result.extreme_lines);

    // Cancel at the equal-G question ends the run before the plot.
    ScriptedDialog dialog2;
    dialog2.entries = {{"5", SplitMode::Uniform, "", random_ids::kOk}};
    DonePlot plot2;
    RecordingServices services2;
    services2.msgbox_answers = {2};
    const RunOut r2 = run_once(d, dialog2, plot2, services2, 1, 0.0);
    EXPECT_TRUE(plot2.series.empty());
    EXPECT_FALSE(has_line(r2.lines, "     5 random partitions generated"));
}

TEST(RandomRun, NoBlockFilledIsNotAvailable)
{
    // m = 20 partitions on the last search but only 10 random ones: no block of 20
    // is complete, so the empirical extreme-value P is not available.
    Data d;
    d.searchg = {1.0, 2.0};
    d.splithist[40] = 20;
    ScriptedDialog dialog;
    dialog.entries = {{"10", SplitMode::Uniform, "", random_ids::kOk}};
    DonePlot plot;
    RecordingServices services;
    const RunOut r = run_once(d, dialog, plot, services);
    EXPECT_EQ(r.result.blocks, 0);
    EXPECT_TRUE(has_line(r.lines, " Empirical extreme value P =     0/     0= not available"));
    EXPECT_TRUE(has_line(r.lines, " NOTE:# simulations too small"));
}

TEST(RandomRun, EmptySplitHistogramIsNothingToMimic)
{
    // Search values but no split shares recorded (m = 0): mimic is not offered, and
    // choosing it brings the note instead of putting every unit into A.
    Data d;
    d.searchg = {1.0, 2.0, 3.0};
    ScriptedDialog dialog;
    dialog.entries = {{"20", SplitMode::Mimic, "", random_ids::kOk}, {"20", SplitMode::Uniform, "", random_ids::kOk}};
    DonePlot plot;
    RecordingServices services;
    const RunOut r = run_once(d, dialog, plot, services);
    ASSERT_EQ(dialog.shown.size(), 2u);
    EXPECT_EQ(dialog.shown[0].mode, SplitMode::Uniform);
    EXPECT_EQ(services.with_prefix("msgbox:"),
              std::vector<std::string>{"msgbox:Note there is no distribution to mimic !$ [log] kind=ok"});
    EXPECT_EQ(r.result.nrand, 20);
    EXPECT_FALSE(r.result.extreme_lines); // m = 0
}

namespace {

// A run that asks for no random partitions, so that only the search values are shown.
RunOut search_values_only(Data& d, DonePlot& plot)
{
    d.splithist[5] = static_cast<int>(d.searchg.size());
    ScriptedDialog dialog;
    dialog.entries = {{"0", SplitMode::Uniform, "", random_ids::kOk}};
    RecordingServices services;
    const RunOut r = run_once(d, dialog, plot, services);
    EXPECT_EQ(services.yields, 0);
    EXPECT_EQ(r.lines.back(), "     0 random partitions generated");
    return r;
}

} // namespace

TEST(RandomRun, NoPartitionsAskedForShowsTheSearchDistribution)
{
    Data d;
    d.searchg = {3.0, 1.0, 2.0};
    DonePlot plot;
    search_values_only(d, plot);
    ASSERT_EQ(plot.series.size(), 1u);
    EXPECT_EQ(plot.series[0].title, "Search distribution of G");
    EXPECT_EQ(plot.series[0].lower, 1.0);
    EXPECT_EQ(plot.series[0].upper, 3.0);
}

TEST(RandomRun, SearchScoresThatAreNotFiniteAreLeftOut)
{
    Data d;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    d.searchg = {nan, 3.0, nan, 1.0, inf, 2.0, nan};
    DonePlot plot;
    search_values_only(d, plot);
    ASSERT_EQ(plot.series.size(), 1u);
    EXPECT_EQ(plot.series[0].count, 3u);
    EXPECT_EQ(plot.series[0].lower, 1.0);
    EXPECT_EQ(plot.series[0].upper, 3.0);
}

// Y 0 and 0.1f under Within MSE, A of one unit: every random partition has the
// tested split and its G, (0.1f)^2/4 = 0.0025000000745..., which in single
// precision would be 0.0025000001770..., above every random G.
TEST(RandomRun, APartitionWithTheTestedSplitReachesGTest)
{
    const std::vector<float> y{0.0f, 0.1f};
    const std::vector<int> w{1, 1};
    const std::vector<std::uint8_t> mask{1, 1};
    const std::vector<std::int8_t> member{0, 1};
    RandomInput in;
    in.y = {y};
    in.weights = w;
    in.mask = mask;
    in.member = member;
    in.g_test = static_cast<float>(0.0025000000745058065);
    in.n_a_minus = in.n_a = 1;
    in.seed = 5;
    RecordingServices services;
    const RunOut out = run_input(in, {{"100", SplitMode::Fixed, "50", random_ids::kOk}}, 1, services);
    const RandomResult& r = out.result;
    ASSERT_EQ(r.nrand, 100);
    EXPECT_EQ(r.gs.front(), 0.0025000000745058065);
    EXPECT_EQ(r.exceedances, 100);
    EXPECT_TRUE(std::any_of(out.lines.begin(), out.lines.end(),
                            [](const std::string& l) { return l.ends_with(") is =    100/    100=100.0000%"); }));
}

// A run holds its G values: more than fit in memory are refused with a message,
// and counts wider than their fields print in full.
TEST(RandomRun, PartitionsBeyondMemoryAreRefusedAndCountsPrintInFull)
{
    Data d;
    RandomInput in = d.input();
    in.max_nrand = 100000;
    RecordingServices services;
    const RunOut out = run_input(
        in,
        {{"100001", SplitMode::Uniform, "", random_ids::kOk}, {"100000", SplitMode::Uniform, "", random_ids::kOk}}, 5,
        services);
    EXPECT_EQ(services.with_prefix("msgbox:"),
              std::vector<std::string>{"msgbox:NOTE: at most 100000 random partitions fit in memory$ [log] kind=ok"});
    EXPECT_EQ(out.result.nrand, 100000);
    EXPECT_TRUE(has_line(out.lines, "  100000 random partitions generated"));
}

// Log-rank over five units stored out of time order (3, 1, 3, 2, 5; the second 3
// censored), A = the units of times 1 and 2: R's survdiff gives 81/19 (O = 2,
// E = 2/5 + 1/4, V = 6/25 + 3/16 by hand). Every random partition of two units
// into A is one of the ten splits, whose survdiff chi-squares are listed; only
// the tested split reaches G_test.
TEST(RandomRun, LogRankOfThePartitionInHandAndOfEachRandomSplitAsRSurvdiff)
{
    const std::vector<float> t{3, 1, 3, 2, 5};
    const std::vector<int> w(5, 1);
    const std::vector<std::uint8_t> mask(5, 1), censor{0, 0, 1, 0, 0};
    const std::vector<std::int8_t> member{0, 1, 0, 1, 0};
    RandomInput in;
    in.y = {t};
    in.weights = w;
    in.mask = mask;
    in.abyte = AttributeMatrix(censor, 1, 5);
    in.censoring = {true, 1, 2, ""};
    in.member = member;
    in.seed = 7;
    RecordingServices services;
    const RunOut out = run_input(in, {{"300", SplitMode::Fixed, "40", random_ids::kOk}}, 7, services);
    EXPECT_TRUE(has_line(out.lines, " # Partitions on last search=    0 G_test= 4.2632"));
    const std::vector<double> survdiff{1.590850790936, 0.450858034321, 0.825273010920, 0.000427533134,
                                       81.0 / 19.0,    0.076443057722, 3.446177847114};
    const RandomResult& r = out.result;
    ASSERT_EQ(r.nrand, 300);
    for (const double g : r.gs)
        EXPECT_TRUE(std::ranges::any_of(survdiff, [g](double s) { return std::abs(g - s) < 1e-9; })) << g;
    const auto tested = std::ranges::count_if(r.gs, [](double g) { return std::abs(g - 81.0 / 19.0) < 1e-9; });
    EXPECT_TRUE(tested > 0 && r.exceedances == tested) << tested;
}
