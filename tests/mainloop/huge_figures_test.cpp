// Every listing that reaches the log or a window, fed figures far beyond their
// usual size (weights near 2^31, Ys in the tens of billions, a hundred thousand
// columns): each figure must still read back as a number and stand apart from
// its neighbours, with no field of asterisks.
//
// Before any Qt header: Qt's `slots` keyword would meet the best lists' accessor.
#include "settings/bestdlg.h"

#include "mainloop/bygroup_series.h"
#include "mainloop/dataarrays.h"
#include "mainloop/dispatch.h"
#include "mainloop/process.h"
#include "mainloop/search_host.h"
#include "opening_fixture.h"
#include "outcome/bygroup_mode.h"
#include "outcome/discrete.h"
#include "outcome/transform.h"
#include "partition/skiptally.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/io/listread.h"
#include "platform/script_host.h"
#include "platform/window.h"
#include "plots/effcuts_model.h"
#include "plots/rank_model.h"
#include "program_fixture.h"
#include "search/search_loop.h"
#include "search/search_summary.h"
#include "stats/extent.h"
#include "stats/logrank.h"
#include "stats/pooled_stats.h"
#include "stats/quartab.h"
#include "support/scripted_forms.h"
#include "three_attributes.h"
#include "tree/classtab.h"
#include "tree/tree_model.h"
#include "ui/partwin.h"
#include "ui/random_run.h"
#include "ui/ui_fixture.h"

#include <cmath>
#include <functional>

namespace meru::test {
namespace {

// The words of a line that look like figures: cut at blanks and at the marks
// that frame a figure, made of digits, point, signs and the exponent letter
// (an ellipsis such as "...9" is text).
std::vector<std::string> figure_words(const std::string& line)
{
    std::vector<std::string> out;
    std::string word;
    const auto end_word = [&] {
        const bool digits = word.find_first_of("0123456789") != std::string::npos;
        const bool ellipsis = word.find("..") != std::string::npos;
        if (digits && !ellipsis && word.find_first_not_of("0123456789.+-E") == std::string::npos) out.push_back(word);
        word.clear();
    };
    for (char c : line + " ") {
        if (std::string_view(" =(),:;|%/<>[]$#").find(c) != std::string_view::npos) end_word();
        else word.push_back(c);
    }
    return out;
}

// What is unreadable in a listing: a field of asterisks (unless the listing marks
// with them), a figure that does not read back (two run together), or an
// expected figure that is not a word of its own. Empty when all is well.
std::string unreadable(const std::vector<std::string>& lines, const std::vector<double>& expected, bool star_marks)
{
    std::vector<double> read;
    for (const std::string& line : lines) {
        if (!star_marks && line.find("**") != std::string::npos) return "asterisks: " + line;
        for (const std::string& w : figure_words(line)) {
            const auto v = io::parse_real(w);
            if (!v) return "\"" + w + "\" does not read as one figure: " + line;
            read.push_back(*v);
        }
    }
    for (double e : expected)
        if (std::none_of(read.begin(), read.end(), [e](double v) { return std::abs(v - e) <= 1e-6 * std::abs(e); }))
            return "no figure " + std::to_string(e);
    return {};
}

std::vector<std::string> captured(const std::function<void(io::LogWriter&)>& write)
{
    io::LogWriter log;
    std::vector<std::string> lines;
    log.set_trace_sink([&](std::string_view l) { lines.emplace_back(l); });
    write(log);
    return lines;
}

// Opens a control file and its data in a fresh folder, as File > Open does, and
// returns the log the opening wrote.
std::vector<std::string> opened(const std::string& mrc, const std::string& csv)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    const std::string previous = io::current_folder().value_or(".");
    std::ofstream(folder + "huge.mrc") << mrc;
    std::ofstream(folder + "huge.csv") << csv;
    io::LogWriter log;
    RecordingServices sv;
    FakeOpeningHost host(log);
    mainloop::OpeningState state;
    std::unique_ptr<mainloop::Analysis> analysis;
    std::string msgline;
    mainloop::OpeningContext cx{state, analysis, log, sv, host, msgline};
    host.answers.push_back(folder + "huge.mrc");
    mainloop::open_analysis({true, false, 0, false}, cx);
    log.close();
    io::change_folder(previous);
    std::vector<std::string> lines;
    std::ifstream in(folder + "HUGE.LOG");
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    for (const std::string& c : sv.calls) lines.push_back(c);
    lines.push_back(msgline);
    return lines;
}

constexpr int kW = 2147483647; // the largest weight

class HugeFigures : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        program->ui.help = [](std::string_view) {};
        auto owned = std::make_unique<ScriptedForms>();
        forms = owned.get();
        program->forms = std::move(owned);
        program->analysis = three_attribute_analysis_with_y(1.0f);
        program->analysis->data.obswt.assign(8, kW);
    }
    // Process item `item` on A = (a)(b) under criterion c, `script` answering its
    // windows (after "Current" in the partition dialog and OK in `forms` more
    // dialogs); its lines.
    std::vector<std::string> process(bool mainloop::MenuFlags::*item, stats::Criterion c,
                                     const std::string& script = "key 57 Esc\n", int forms_ok = 0)
    {
        program->crit.icrit = static_cast<int>(c);
        program->crit.critname = stats::criterion_name(program->crit.icrit);
        mainloop::ProcessState& ps = program->process;
        ps.current = {};
        ps.current.first.add_term({2});
        ps.current.first.add_term({3});
        ps.current.second.add_term({-2, -3});
        ps.current_valid = true;
        ps.current_g = 0.5f;
        ps.current_complexity = 2;
        clear_requests(program->flags);
        for (int k = 0; k <= forms_ok; ++k) forms->steps.push_back(ScriptedForms::press(settings::kOk));
        platform::FrameScriptHost host(frame, program->menus);
        auto answers = make_script(script, host);
        platform::install_script_hook(*answers);
        program->ui.host.script = answers.get();
        const std::size_t before = log_lines().size();
        program->flags.qproc = program->flags.*item = true;
        mainloop::process_request(*program);
        program->ui.host.script = nullptr;
        platform::remove_script_hook();
        const auto lines = log_lines();
        return {lines.begin() + static_cast<long>(before), lines.end()};
    }
    std::vector<std::string> statistics(stats::Criterion c) { return process(&mainloop::MenuFlags::pstats, c); }
    // Search:Go! from the criteria to the statistics of its winner, the hull's
    // wait answered by Esc; its lines.
    std::vector<std::string> search_go()
    {
        program->analysis = three_attribute_analysis_with_y(1.0f);
        program->analysis->data.obswt.assign(8, kW);
        mainloop::Analysis& a = *program->analysis;
        a.nobs = 8;
        a.outcome.ny = 1;
        program->crit.icrit = static_cast<int>(stats::Criterion::ChiSquare);
        program->crit.critname = "Chi-square";
        program->options.detailout = true;
        program->strategy.iterative = false;
        EndRecorder ender;
        auto script = make_script("dismiss\n", ender);
        program->ui.host.script = script.get();
        platform::FakeClock clock;
        platform::set_clock(&clock);
        const platform::WaitHook previous = platform::set_wait_hook([this](platform::WaitPoint point, int) {
            auto* w = frame.window(mainloop::kSearchUnit);
            if (point != platform::WaitPoint::mouse || w == nullptr) return;
            w->mouse_event(platform::mouse_left_down, platform::mouse_ks_left, 20, 8);
            w->mouse_event(platform::mouse_left_up, 0, 20, 8);
        });
        const std::size_t before = log_lines().size();
        program->menus.set_flags(mainloop::kSearchMenu, 0, platform::kMenuEnabled);
        program->menus.set_flags(mainloop::kSearchMenu, 1, platform::kMenuEnabled);
        choose("Search", "Go!");
        for (int round = 0; round < 20; ++round)
            if (mainloop::dispatch(*program) == mainloop::Flow::loop_head) break;
        mainloop::clear_requests(program->flags);
        platform::set_wait_hook(previous);
        platform::set_clock(nullptr);
        program->ui.host.script = nullptr;
        const auto lines = log_lines();
        return {lines.begin() + static_cast<long>(before), lines.end()};
    }
    // Y = 1.5e10 times the line number, a continuous Y.
    void huge_y()
    {
        mainloop::Analysis& a = *program->analysis;
        for (int i = 0; i < 8; ++i) a.ymat[static_cast<std::size_t>(i)] = 1.5e10f * static_cast<float>(i + 1);
        a.outcome.ybin[0] = false;
        a.outcome.ymax[0] = 1.2e11f;
        a.outcome.ylev[0] = 8;
    }
    ScriptedForms* forms = nullptr;
};

struct Listing {
    const char* name;
    std::function<std::vector<std::string>()> lines;
    std::vector<double> figures; // figures each of which must stand alone
    bool star_marks = false;     // "*" marks cells outside a subgroup
};

TEST_F(HugeFigures, EveryListingKeepsEachFigureReadableAndApart)
{
    const double w = kW;
    const std::vector<Listing> listings{
        // First, while the program holds the settings it starts with.
        {"Search:Go!", [&] { return search_go(); }, {2 * w, 3 * w, 5 * w, 6 * w, 8 * w}},
        // Y = a except on line 8: A- holds lines 1 (Y 1) and 4, 8 (Y 0, 1); cells of 2^31 - 1 each.
        {"Process > Statistics, binary Y",
         [&] {
             program->options.detailout = true;
             program->crit.priors_given = true; // the prior-adjusted table too
             program->crit.prior[0] = program->crit.prior[1] = 0.5;
             const auto lines = statistics(stats::Criterion::Entropy);
             program->crit.priors_given = false;
             return lines;
         },
         {w, 2 * w, 3 * w, 4 * w, 5 * w, 6 * w, 8 * w}},
        {"Process > Rectangle diagrams",
         [&] {
             return process(&mainloop::MenuFlags::prect, stats::Criterion::Entropy,
                            "click 16 55 5\nclick 16 10 5\nclick 16 10 5\n", 1);
         },
         {2 * w, 6 * w, 8 * w},
         true},
        {"Process > Distribution A v. A-",
         [&] { return process(&mainloop::MenuFlags::pdistab, stats::Criterion::Entropy, ""); },
         {2 * w, 6 * w}},
        {"Process > Lists",
         [&] { return process(&mainloop::MenuFlags::plists, stats::Criterion::Entropy); },
         {2 * w, 6 * w, 8 * w}},
        {"Process > Statistics, Within MSE",
         [&] {
             huge_y();
             return statistics(stats::Criterion::WithinMse);
         },
         {2 * w, 6 * w, 8 * w, 9e10, 4.5e10, 6e10, 7.5e10}},
        {"Process > Statistics, Log-rank",
         [&] {
             huge_y();
             program->incidence = true;
             return statistics(stats::Criterion::LogRank);
         },
         {2 * w, 6 * w, 8 * w}},
        {"complexities generated",
         [] {
             search::PenalisedTable t;
             t.cref = 1;
             // The last row's G fills its 15 columns exactly.
             t.rows = {{1, 5, 3676920576.0f, 0.0, 3493074547.2},
                       {2, 987654321987LL, 3.7e9f, 1e12, -3.5e9},
                       {3, 7, 12345678.0f, 0.0, 1.0}};
             return captured([&](io::LogWriter& log) { search::write_penalised_table(t, log); });
         },
         {5, 3676920576.0, 3493074547.2, 987654321987.0, 1e12, -3.5e9, 7, 12345678.0}},
        {"Search Summary",
         [] {
             search::SearchRecord r;
             r.evaluated = 987654321987LL;
             r.gbeta = 3.5e9f;
             r.nobs = kW;
             r.test_n = kW;
             r.test_error = 12.5f;
             const std::vector<search::SearchRecord> records{r};
             return captured([&](io::LogWriter& log) { search::searchsum(records, {}, {}, log); });
         },
         {987654321987.0, 3.5e9, w}},
        {"search progress",
         [] { return std::vector<std::string>{search::progress_text(987654321987LL, 12, 3)}; },
         {987654321987.0}},
        {"skipped combinations",
         [] {
             partition::SkipTally t;
             partition::skip_add(t, 8, 987654321987LL);
             partition::skip_add(t, 12, 987654321987LL);
             return captured([&](io::LogWriter& log) { partition::skip_report(t, true, log); });
         },
         {987654321987.0}},
        {"cross-tabulation",
         [] {
             tree::CrossTab t;
             t.at(0, 0) = t.at(1, 1) = 987654321987LL;
             t.at(0, 1) = 5;
             return captured([&](io::LogWriter& log) { tree::classtab(log, t, {"x", "y", false, false}); });
         },
         {987654321987.0, 987654321992.0, 1975308643979.0}},
        {"tree",
         [] {
             tree::KeptTree kept;
             kept.split = {{2, "a", "a", ""}};
             tree::TreeStats s;
             s.node.resize(3);
             for (auto& nd : s.node) nd = {987654321987LL, -2.5e11, 0, {}, -1, true, 9.87e11, 0.5, 0, 0, {}};
             s.node[2].n = 1234567; // fills its 7 columns
             tree::TreeView view;
             view.hand.assign(3, 0);
             view.split = {true, false, false};
             return captured([&](io::LogWriter& log) { tree::log_tree(log, kept, s, view, false, "y"); });
         },
         {987654321987.0, -2.5e11, 9.87e11, 1234567}},
        {"weighted frequencies and quartiles",
         [] {
             const std::vector<float> y{-1.0f, 2.5e11f, 2.5e11f, 5e11f};
             const std::vector<int> wt{kW, kW, kW, 7};
             stats::QuartabInput in;
             in.y = y;
             in.weights = wt;
             in.yname = "y";
             return captured([&](io::LogWriter& log) { stats::quartab(in, log); });
         },
         {w, 2 * w, 2.5e11, 5e11}},
        {"pooled by-group statistics",
         [] {
             stats::PoolStat pool;
             pool.strata = 987654;
             pool.or_w = pool.rr_w = 9.87e11;
             pool.w1 = pool.w2 = 1.0;
             pool.or_inv_var = pool.rr_inv_var = 1.0;
             pool.ln_or_w = pool.ln_rr_w = 20.0;
             std::string msgline;
             return captured([&](io::LogWriter& log) { stats::statsum(pool, msgline, log); });
         },
         {987654, 9.87e11, std::exp(20.0)}},
        {"censored count",
         [] {
             const std::vector<std::uint8_t> abyte{0, 1, 0, 0, 1, 0};
             const std::vector<float> y{1e11f, 2e11f, 3e11f};
             const std::vector<std::uint8_t> mask(3, 1);
             const std::vector<int> wt(3, kW);
             stats::Censoring c;
             c.in_force = true;
             c.attribute = 2;
             c.side = 2;
             Notices told;
             stats::censpct({stats::AttributeMatrix(abyte, 2, 3), y, mask, wt}, c, "time", told);
             std::vector<std::string> texts;
             for (const Notice& n : told.items()) texts.push_back(n.text);
             return texts;
         },
         {w}},
        {"best at each complexity",
         [] {
             std::vector<search::StoredPartition> entries(2);
             entries[0].value = 9.87e11f;
             entries[0].complexity = 1;
             entries[1].value = -9.87e9f;
             entries[1].complexity = 12;
             search::Hull hull;
             auto lines = settings::best_lines(entries, hull, 1, 0.0);
             lines.push_back(settings::beta_range_line(1, {9.87e11, 1.5e12}));
             return lines;
         },
         {9.87e11, 1, -9.87e9, 12, 1.5e12}},
        {"by-group headings",
         [] {
             outcome::ByGroup by;
             by.byvar = "group";
             by.values = {2.5e11};
             by.counts = {987654321987LL};
             files::ControlTables t;
             return std::vector<std::string>{mainloop::group_heading(by, t, 1, 987654321987LL),
                                             outcome::group_text(by, t, false, 1).line};
         },
         {2.5e11, 987654321987.0}},
        {"attribute rank table",
         [] {
             plots::RankRow r;
             r.position = 98765;
             r.label = "x";
             r.ncuts = 9876;
             r.g = 9.87e11;
             r.p = 0.5;
             r.used = 987654321987LL;
             return std::vector<std::string>{plots::rank_table_row(r), plots::rank_table_cut("x<=1", -9.87e11)};
         },
         {98765, 9876, 9.87e11, 987654321987.0, -9.87e11}},
        {"effectiveness v. cuts",
         [] {
             const std::vector<std::string> labels{"x<=1", "x<=2"};
             const std::vector<double> values{9.87e11, -9.87e11};
             return plots::effcuts_log("x", labels, values);
         },
         {9.87e11, -9.87e11}},
        {"discrete Y frequencies",
         [] {
             outcome::DiscreteChoice c;
             c.first = {0, 1};
             c.freq = {987654321987LL, 5};
             return std::vector<std::string>{outcome::frequency_text(c, {0, 1})};
         },
         {987654321987.0, 5}},
        {"transformed variables",
         [] {
             outcome::TransformParams p;
             p.a = -1.5e11;
             p.b = 2.5e11;
             p.set = {9.87e11, -9.87e11};
             auto lines = outcome::transform_lines(outcome::tcode::interval, "z", "y", "", p);
             for (const int code : {outcome::tcode::shift, outcome::tcode::member})
                 for (const std::string& l : outcome::transform_lines(code, "z", "y", "", p)) lines.push_back(l);
             return lines;
         },
         {-1.5e11, 2.5e11, 9.87e11, -9.87e11}},
        {"search extent box",
         [] {
             stats::ExtentBox box;
             stats::BoxLine b;
             b.p = {2, 2};
             b.classes = b.exclusions = b.searches = b.done = b.skipped = 987654321987LL;
             b.subsearch = 9.87e11;
             box.add(b);
             return box.print(true);
         },
         {2, 987654321987.0, 9.87e11}},
        {"Process > Random",
         [] {
             struct Dialog : ui::RandomDialog {
                 int run(ui::RandomDialogView& view) override
                 {
                     view.number = "20";
                     return ui::random_ids::kOk;
                 }
             } dialog;
             struct Plot : ui::DistributionPlot {
                 bool yhist(const ui::HistSeries& s, bool&) override { return s.last; }
                 void text(int, int, std::string_view) override {}
             } plot;
             const std::vector<float> y{1.5e10f, 3e10f, 4.5e10f, 6e10f};
             const std::vector<int> wt(4, 2);
             const std::vector<std::uint8_t> mask(4, 1);
             std::vector<double> searchg(20000, 9.87e11);
             std::vector<int> splithist(100, 0);
             splithist[49] = kW;
             stats::RandomInput in;
             in.y = {y};
             in.weights = wt;
             in.mask = mask;
             in.g_test = 9.87e11;
             in.searchg = searchg;
             in.splithist = splithist;
             in.seed = 1;
             stats::CritSettings crit;
             RecordingServices sv;
             std::string msgline;
             io::RandomStream random;
             return captured(
                 [&](io::LogWriter& log) { ui::process_random(in, crit, msgline, random, dialog, plot, sv, log); });
         },
         {w, 9.87e11}},
        {"Partition window caption",
         [] { return std::vector<std::string>{ui::partcap(987654, true, false)}; },
         {987654}},
        {"opening a data file",
         [] {
             std::string csv = "y,x,z,_FREQ_\n";
             for (int i = 1; i <= 4; ++i)
                 csv += std::to_string(i % 2) + "," + std::to_string(i) + "50000000000," + std::to_string(i) +
                        "2345678901,999999999\n";
             return opened("Huge\n*\nx i 250000000000\nz i p50\ny b 1\n*\nfree comma\nhuge.csv\n", csv);
         },
         {3999999996.0, 1999999998.0, 1.5e11, 4.5e11, 1.2345678901e10}},
        {"# variables",
         [] {
             RecordingServices sv;
             std::string msgline;
             mainloop::bounds_usable({10, 100000, 1}, sv, msgline);
             return std::vector<std::string>{msgline};
         },
         {100000}},
    };
    for (const Listing& l : listings) {
        const auto lines = l.lines();
        EXPECT_FALSE(lines.empty()) << l.name;
        const std::string fault = unreadable(lines, l.figures, l.star_marks);
        EXPECT_EQ(fault, "") << l.name;
    }
}

} // namespace
} // namespace meru::test
