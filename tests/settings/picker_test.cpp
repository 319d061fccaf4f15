// The attribute picker and what it sets: the list and its loop, X constraints,
// forcing, the training split and the bootstrap.
#include "files/dataset.h"
#include "files/tables.h"
#include "platform/io/random.h"
#include "settings/attr_picker.h"
#include "settings/censoring_dialog.h"
#include "settings/forceattr.h"
#include "settings/trainsplit.h"
#include "settings/xconstr.h"
#include "settings_fixture.h"

#include <numeric>

namespace meru::settings {
namespace {

using test::ScriptedForms;

std::string label(const std::string& s) { return s + std::string(20 - s.size(), ' '); }

// Variables age (line 2: age>40, age>60), x (no line) and sex (line 3: sex=2).
files::ControlTables three_attributes()
{
    files::ControlTables t;
    t.vars.nvar = 3;
    t.vars.varname = {"", "age", "x", "sex"};
    t.nlines = 3;
    t.line.resize(4);
    const auto line = [&](int k, const char* name, int var, int ncuts, int attoff) {
        t.line[k].name = name;
        t.line[k].var = var;
        t.line[k].ncuts = ncuts;
        t.line[k].attoff = attoff;
    };
    line(1, ".", 0, 1, 1);
    line(2, "age", 1, 2, 3);
    line(3, "sex", 3, 1, 4);
    t.natt = 4;
    t.att.resize(5);
    const auto set = [&](int a, const char* name, const char* l1, const char* l2, int line) {
        t.att[a].attname = name;
        t.att[a].attlab = {label(l1), label(l2)};
        t.att[a].attline = line;
    };
    set(1, ".", "^=null", "=null", 1);
    set(2, "age$$$$$", "<=40", ">40", 2);
    set(3, "age$$$$$", "<=60", ">60", 2);
    set(4, "sex$$$$$", "=1", "=2", 3);
    return t;
}

// A step choosing the item whose text starts with `prefix`.
ScriptedForms::Step choose(std::string prefix, int closing = kOk)
{
    return [prefix, closing](Form& f) {
        for (const std::string& item : f.items[picker_ids::kList])
            if (item.rfind(prefix, 0) == 0) f.choice[picker_ids::kList] = item;
        return closing;
    };
}

class Picker : public test::SettingsTest {
protected:
    files::ControlTables tables = three_attributes();
    std::vector<int> varline = variable_lines(tables);
};

std::vector<std::string> texts(const std::vector<PickItem>& items)
{
    std::vector<std::string> out;
    for (const PickItem& i : items) out.push_back(i.text.substr(0, i.text.find_last_not_of(' ') + 1));
    return out;
}

TEST_F(Picker, ListsEachAttributePerShownColumnAndTagsLabelTwo)
{
    EXPECT_EQ(varline, (std::vector<int>{1, 2, 1, 3}));
    const auto both = picker_items(tables, varline, {1, 3, 0, 1, false});
    EXPECT_EQ(texts(both),
              (std::vector<std::string>{" age<=40", "*age>40", " age<=60", "*age>60", " sex=1", "*sex=2"}));
    EXPECT_EQ(both[0].text.size(), 40u);
    EXPECT_EQ(both[3].attribute, 3);
    EXPECT_EQ(both[3].side, 1);
    EXPECT_EQ(both[5].line, 3);
    const auto forcing = picker_items(tables, varline, {1, 3, 0, 1, true});
    EXPECT_EQ(texts(forcing),
              (std::vector<std::string>{" age>40", "*age>40", " age>60", "*age>60", " sex=2", "*sex=2"}));
    EXPECT_EQ(texts(picker_items(tables, varline, {1, 3, 1, 1, false})),
              (std::vector<std::string>{" age>40", " age>60", " sex=2"}));
    EXPECT_TRUE(picker_items(tables, varline, {2, 2, 0, 1, false}).empty()); // x has no line of its own
}

TEST_F(Picker, LoopShowsTheListAgainUntilAChoiceOrCancel)
{
    forms.steps = {ScriptedForms::press(kOk), ScriptedForms::press(picker_ids::kHelp), choose("*age>60")};
    Pick p = selattr(tables, varline, {1, 3, 0, 1, false}, "Caption", "Help:Topic", forms, services, log);
    ASSERT_EQ(forms.shown.size(), 3u);
    EXPECT_EQ(services.calls, std::vector<std::string>{"help:Help:Topic"});
    EXPECT_EQ(forms.forms[0].text[picker_ids::kCaption], "Caption");
    EXPECT_EQ(p.attribute, 3);
    EXPECT_EQ(p.side, 1);
    EXPECT_EQ(p.result, 2);
    forms.steps = {ScriptedForms::press(kCancel)};
    EXPECT_EQ(selattr(tables, varline, {1, 3, 0, 1, false}, "", "", forms, services, log).result, 0);
    forms.missing = true;
    EXPECT_EQ(selattr(tables, varline, {1, 3, 0, 1, false}, "", "", forms, services, log).result, 0);
    EXPECT_EQ(log_lines(), std::vector<std::string>{"Error: dialog box 5 not found"});
}

// Six observations: age bytes (a2, a3) and sex bytes (a4); weights 1 except obs 6 (2).
class XConstraints : public Picker {
protected:
    void SetUp() override
    {
        Picker::SetUp();
        files::allocate_data(data, 6, 3, 4);
        const int a2[] = {1, 1, 1, 0, 0, 255}, a3[] = {1, 0, 0, 0, 0, 0}, a4[] = {1, 1, 0, 0, 1, 1};
        for (int i = 1; i <= 6; ++i) {
            data.ab(2, i) = static_cast<std::uint8_t>(a2[i - 1]);
            data.ab(3, i) = static_cast<std::uint8_t>(a3[i - 1]);
            data.ab(4, i) = static_cast<std::uint8_t>(a4[i - 1]);
            data.obswt[static_cast<std::size_t>(i - 1)] = i == 6 ? 2 : 1;
        }
        xmask.assign(7, 1);
    }
    void run() { xconstr(cx); }
    int in_space() const { return std::accumulate(xmask.begin() + 1, xmask.end(), 0); }

    files::DataArrays data;
    std::vector<char> xmask;
    XSpace xs;
    bool constrainx = true;
    long long nobs = 7;
    bool qrank = false;
    int yranges = 0;
    XConstrContext cx{constrainx, xs,       xmask, data, 6, tables, varline, 3, 7, nobs, qrank, [this] { ++yranges; },
                      forms,      services, log};
};

TEST_F(XConstraints, AConstraintNarrowsXSpaceAndMissingBytesLeaveIt)
{
    forms.steps = {choose("*age>40")};
    run();
    EXPECT_EQ(xs.nxspace, 3); // obs 1-3; obs 6 is missing
    EXPECT_EQ(nobs, 3);
    EXPECT_EQ(in_space(), 3);
    EXPECT_TRUE(xs.xspaceon && qrank);
    EXPECT_EQ(xs.xconline, 2);
    EXPECT_EQ(xs.xconlist, std::vector<std::string>{"age>40"});
    EXPECT_EQ(services.calls,
              std::vector<std::string>{"note: There are 3 observations in X space $ [log] kind=cut79"});
    // The other label: obs 6 stays out as well.
    SetUp();
    xs = {};
    forms.steps = {choose(" age<=40")};
    run();
    EXPECT_EQ(xs.nxspace, 2);
    EXPECT_EQ(in_space(), 2);
}

TEST_F(XConstraints, TheOtherLabelOfTheSameAttributeIsPointlessAndTheListComesBack)
{
    forms.steps = {choose("*age>40")};
    run();
    services.quiz_answers = {true, true}; // change, add
    forms.steps = {choose(" age<=40"), ScriptedForms::press(kCancel)};
    run();
    EXPECT_EQ(services.with_prefix("msgbox:There are 0 or 1 obs in X space. Pointless! Try again! $ [log]").size(),
              1u);
    EXPECT_EQ(services.with_prefix("quiz:").size(), 2u); // no questions before the second list
    // The Cancel after it counts as not adding: everything is lifted.
    EXPECT_FALSE(constrainx);
    EXPECT_EQ(xs.nxcon, 0);
    EXPECT_EQ(in_space(), 6);
}

TEST_F(XConstraints, FiveConstraintsThenChangeStartsAfreshWithoutAskingToAdd)
{
    for (int k = 0; k < 5; ++k) {
        services.quiz_answers = {true, true};
        forms.steps = {choose(" sex=1")};
        run();
    }
    EXPECT_EQ(xs.nxcon, 5);
    services.calls.clear();
    services.quiz_answers = {true};
    forms.steps = {choose("*sex=2")};
    run();
    EXPECT_EQ(services.with_prefix("quiz:").size(), 1u);
    EXPECT_EQ(services.calls.front(), "quiz:? Existing X constraints.  Change or add to them?");
    EXPECT_EQ(xs.nxcon, 1);
    EXPECT_EQ(xs.nxspace, 5); // obs 1, 2, 5 and 6 (weight 2)
}

TEST_F(XConstraints, LiftingRestoresTheWholeMaskAndTheWeightRead)
{
    forms.steps = {choose("*age>40")};
    run();
    nobs = 99; // as another count could leave it
    constrainx = false;
    run();
    EXPECT_EQ(nobs, 7);
    EXPECT_EQ(in_space(), 6);
    EXPECT_FALSE(xs.xspaceon);
    EXPECT_EQ(xs.nxcon, 0);
    EXPECT_EQ(log_lines().back(), " Constrain X space lifted");
}

TEST_F(Picker, ForcingTheTaggedItemOfANegativeAttributeIntersects)
{
    tables.att[3].signbyte = -1;
    Forcing f;
    bool forcein = true;
    forms.steps = {choose("*age>60")};
    forceattr(f, forcein, tables, varline, 3, forms, services, log);
    EXPECT_TRUE(f.forceinter);
    EXPECT_FALSE(f.forceunion);
    EXPECT_EQ(f.forcedattr, -3);
    EXPECT_EQ(log_lines().back().substr(0, 24), "Forced attribute: age>60");
    ASSERT_EQ(services.calls.size(), 1u);
    EXPECT_NE(services.calls[0].find("Forced intersection of age>60"), std::string::npos);
    EXPECT_NE(services.calls[0].find("forced union of age<=60"), std::string::npos);
    forms.steps = {ScriptedForms::press(kCancel)};
    forceattr(f, forcein, tables, varline, 3, forms, services, log);
    EXPECT_FALSE(forcein);
    EXPECT_EQ(services.calls.back(), "note:Forcing is cancelled $ [log] kind=full");
    // A long note is cut at a word boundary within 255 characters.
    const std::string note = bounded_note(std::string(200, 'a') + " " + std::string(100, 'b'));
    EXPECT_EQ(note, std::string(200, 'a') + "$");
}

TEST_F(Picker, LogRankCensoringIsPickedKeptOrDropped)
{
    files::DataArrays data;
    files::allocate_data(data, 4, 3, 4);
    const int sex[] = {0, 0, 1, 0};
    for (int i = 1; i <= 4; ++i) {
        data.ab(4, i) = static_cast<std::uint8_t>(sex[i - 1]);
        data.obswt[static_cast<std::size_t>(i - 1)] = 1;
    }
    const std::vector<float> y{5, 6, 7, 8};
    const std::vector<std::uint8_t> mask(4, 1);
    const stats::SampleView base{stats::AttributeMatrix(data.abyte, data.lc, 4), y, mask, data.obswt};
    std::string msgline;
    const CensoringSetup in{tables, varline, 3, 7, base, "time", msgline};
    stats::Censoring c;
    forms.steps = {choose(" sex=1")};
    EXPECT_TRUE(logrank_setup(in, c, forms, services, log));
    ASSERT_FALSE(forms.forms.empty());
    EXPECT_EQ(forms.forms[0].text[picker_ids::kCaption],
              "Log rank: Cancel for no censoring, else pick censoring attribute");
    EXPECT_EQ(msgline, "Criteria:Log-rank");
    EXPECT_TRUE(c.in_force);
    EXPECT_EQ(c.attribute, 4);
    EXPECT_EQ(c.side, 1);                                // label 1: byte 0 is censored
    EXPECT_EQ(services.with_prefix("note:").size(), 1u); // 3 of 4 censored
    // Kept: the line again, no new share.
    services.calls.clear();
    services.quiz_answers = {false};
    EXPECT_TRUE(logrank_setup(in, c, forms, services, log));
    EXPECT_EQ(services.calls, std::vector<std::string>{"quiz:?Already specified censor attribute. Change it?"});
    // Changed to none.
    services.quiz_answers = {true};
    forms.steps = {ScriptedForms::press(kCancel)};
    EXPECT_FALSE(logrank_setup(in, c, forms, services, log));
    EXPECT_FALSE(c.in_force);
    const auto lines = log_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Censor attribute : sex=1"), 2);
    EXPECT_EQ(lines.back(), "No censoring");
}

class Split : public Picker {
protected:
    void weights(std::vector<int> w)
    {
        files::allocate_data(data, static_cast<int>(w.size()), 3, 4);
        data.obswt = std::move(w);
    }
    SplitResult split()
    {
        SplitContext cx{data.obswt, data.testwt, data.n, msgline, tables,   varline,
                        3,          data,        rng,    forms,   services, log};
        return trainsplit(settings, cx);
    }
    files::DataArrays data;
    std::string msgline;
    io::RandomStream rng;
    SplitSettings settings;
};

TEST_F(Split, BothSamplesMustHoldMoreThanTen)
{
    weights(std::vector<int>(30, 1));
    // Sizes that are no number or above the total are refused with a message saying what is taken.
    forms.steps = {ScriptedForms::fill({{split_ids::kSize, "abc"}}), ScriptedForms::fill({{split_ids::kSize, "31"}}),
                   ScriptedForms::fill({{split_ids::kSize, "20"}}), ScriptedForms::fill({{split_ids::kSize, "19"}})};
    const SplitResult r = split();
    ASSERT_FALSE(forms.forms.empty());
    EXPECT_EQ(services.with_prefix("msgbox:Training sample size takes a whole number less than 30$").size(), 2u);
    EXPECT_EQ(forms.forms[0].text[split_ids::kSize], "    19"); // int(0.6666 x 30)
    EXPECT_EQ(forms.forms[0].text[split_ids::kSizeLabel],
              "Enter training sample size (<   30), unless attribute defined");
    EXPECT_EQ(services.with_prefix("msgbox: Require > 10 observations").size(), 1u);
    EXPECT_TRUE(r.active);
    EXPECT_EQ(r.total, 19);
    EXPECT_EQ(std::accumulate(data.obswt.begin(), data.obswt.end(), 0), 19);
    EXPECT_EQ(std::accumulate(data.testwt.begin(), data.testwt.end(), 0), 11);
    EXPECT_EQ(log_lines().back(), " There are      19(  63.33%) training observations");
}

TEST_F(Split, ARepeatableSplitGivesTheSameSampleAndCopiesSplitSeparately)
{
    weights({3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    forms.steps = {ScriptedForms::fill({{split_ids::kSize, "15"}})};
    split();
    const std::vector<int> first = data.obswt;
    rng.next();
    forms.steps = {ScriptedForms::fill({{split_ids::kSize, "15"}})};
    split();
    EXPECT_EQ(data.obswt, first);
    // Observation 1's three copies are drawn one by one.
    io::RandomStream r;
    std::vector<int> w{3}, t{0};
    int both = 0;
    for (int k = 0; k < 200; ++k) {
        w = {3};
        t = {0};
        select_training(w, t, 1, 1 + k % 2, 3, r);
        EXPECT_EQ(w[0], 1 + k % 2);
        EXPECT_EQ(w[0] + t[0], 3);
        both += w[0] > 0 && t[0] > 0;
    }
    EXPECT_EQ(both, 200);
    // Weights near the largest are drawn together: the sample has its size, and
    // each observation about its share (2e9 of 3147483652: 63.54%; sd about 1.3e4).
    std::vector<int> big{2147483647, 1000000000, 5}, rest(3, 0);
    select_training(big, rest, 3, 2000000000, 3147483652LL, r);
    EXPECT_EQ(static_cast<long long>(big[0]) + big[1] + big[2], 2000000000LL);
    EXPECT_EQ(static_cast<long long>(big[0]) + rest[0], 2147483647LL);
    EXPECT_NEAR(big[1], 635428241.0, 1e5);
}

TEST_F(Split, AnAttributeDefinedSplitSendsMissingBytesToTheTestSample)
{
    weights(std::vector<int>(4, 2));
    const int a2[] = {1, 0, 255, 1};
    for (int i = 1; i <= 4; ++i) data.ab(2, i) = static_cast<std::uint8_t>(a2[i - 1]);
    forms.steps = {ScriptedForms::fill({}, {{split_ids::kByAttribute, true}, {split_ids::kRepeatable, false}}),
                   choose("*age>40")};
    const SplitResult r = split();
    EXPECT_EQ(r.total, 4);
    EXPECT_EQ(data.obswt, (std::vector<int>{2, 0, 0, 2}));
    EXPECT_EQ(data.testwt, (std::vector<int>{0, 2, 2, 0}));
    const auto lines = log_lines();
    EXPECT_EQ(lines[0], "Training sample:age>40");
    EXPECT_EQ(lines[1], "       4(  50.00%) training observations in age>40");
    // Cancel merges and leaves the data unsplit.
    forms.steps = {ScriptedForms::press(kCancel)};
    EXPECT_FALSE(split().active);
    EXPECT_EQ(data.obswt, (std::vector<int>{2, 2, 2, 2}));
}

TEST_F(Split, BootstrapRestoresTheSavedWeightsAndASplitMergedFirstKeepsTheTotal)
{
    BootState boot;
    std::vector<int> one{0};
    bootsamp(one, 1, true, boot, rng, log);
    EXPECT_EQ(one[0], 1);
    boot = {};
    std::vector<int> w{1, 0, 3, 1, 1};
    bootsamp(w, 5, true, boot, rng, log);
    bootsamp(w, 5, true, boot, rng, log); // a second draw keeps the first saved weights
    EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), 5);
    bootsamp(w, 5, false, boot, rng, log);
    EXPECT_EQ(w, (std::vector<int>{1, 0, 3, 1, 1}));
    // Split, merge for the bootstrap, undo it, split again: the total stays.
    weights(std::vector<int>(40, 1));
    forms.steps = {ScriptedForms::fill({{split_ids::kSize, "20"}})};
    split();
    merge_split(data.obswt, data.testwt);
    bootsamp(data.obswt, 40, true, boot, rng, log);
    bootsamp(data.obswt, 40, false, boot, rng, log);
    forms.steps = {ScriptedForms::press(kCancel)};
    EXPECT_EQ(split().total, 40);
}

} // namespace
} // namespace meru::settings
