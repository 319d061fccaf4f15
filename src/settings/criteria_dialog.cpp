#include "settings/criteria_dialog.h"

#include "core/services.h"
#include "files/charcodes.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"
#include "platform/io/logwriter.h"
#include "platform/io/strings.h"

#include <algorithm>
#include <cmath>

namespace meru::settings {

namespace ids = criteria_ids;
using stats::CritSettings;
using stats::PriorMode;

namespace {

constexpr int kMeasures = 3;

// The slot of a category value in the per-class tables.
std::size_t slot(double v) { return static_cast<std::size_t>(std::clamp(std::lround(v), 0L, 99L)); }

char code_of(double v) { return files::codechar(static_cast<int>(std::lround(v))); }

using C = stats::Criterion;
using stats::YSuit;

void msg(Services& services, std::string text) { services.msgbox(text, BoxKind::Ok, false); }

std::string name20(int icrit) { return io::fmt_a(stats::criterion_name(icrit), 20); }

Form criteria_form(const CritSettings& c, const CritTexts& t, const YDescription& y)
{
    Form f;
    auto& crits = f.items[ids::kCriterionList];
    for (const stats::CriterionTraits& k : stats::kCriterionTable) crits.emplace_back(k.name);
    auto& measures = f.items[ids::kComplexity];
    for (int k = 1; k <= kMeasures; ++k) measures.emplace_back(stats::complexity_name(k));
    f.choice[ids::kCriterionList] = io::trim(t.criterion);
    f.choice[ids::kComplexity] = io::trim(t.complexity);
    f.text[ids::kShownCriterion] = "Criterion: " + io::fmt_a(stats::criterion_name(c.icrit), 19);
    f.text[ids::kShownComplexity] = "Complexity: " + std::string(stats::complexity_name(c.complexity));
    f.captions[ids::kCriterionList] = {ids::kShownCriterion, "Criterion: "};
    f.captions[ids::kComplexity] = {ids::kShownComplexity, "Complexity: "};
    f.text[ids::kBeta] = t.beta;
    f.text[ids::kGamma] = t.gamma;
    f.text[ids::kPriors] = t.priors;
    f.text[ids::kCostA] = t.cost_a;
    f.text[ids::kCostAMinus] = t.cost_a_minus;
    f.on[ids::kDataPriors] = c.prior_mode == PriorMode::Data;
    f.on[ids::kEqualPriors] = c.prior_mode == PriorMode::Equal;
    f.on[ids::kUserPriors] = c.prior_mode == PriorMode::User;
    f.on[ids::kSpecifyCosts] = c.specify_costs;
    f.on[ids::kWeighByCosts] = c.weigh_by_costs;
    if (!y.ys.empty() && y.ys[0].ncat <= 10) {
        f.text[ids::kValuesOf] = "Values of " + y.ys[0].name;
        std::string codes;
        for (double v : y.cats) codes += std::string("  ") + code_of(v) + "  ";
        f.text[ids::kCodes] = codes;
        f.text[ids::kCostCodes] = codes;
    }
    return f;
}

void read_form(Form& f, CritSettings& c, CritTexts& t)
{
    if (!f.choice[ids::kCriterionList].empty()) t.criterion = f.choice[ids::kCriterionList];
    if (!f.choice[ids::kComplexity].empty()) t.complexity = f.choice[ids::kComplexity];
    t.beta = f.text[ids::kBeta];
    t.gamma = f.text[ids::kGamma];
    t.priors = f.text[ids::kPriors];
    t.cost_a = f.text[ids::kCostA];
    t.cost_a_minus = f.text[ids::kCostAMinus];
    c.prior_mode = f.is_on(ids::kUserPriors)    ? PriorMode::User
                   : f.is_on(ids::kEqualPriors) ? PriorMode::Equal
                                                : PriorMode::Data;
    c.specify_costs = f.is_on(ids::kSpecifyCosts);
    c.weigh_by_costs = f.is_on(ids::kWeighByCosts);
}

// The refusal a Y gives the criterion, or an empty text.
std::string y_refusal(const stats::CriterionTraits& k, const YInfo& yk)
{
    const std::string name = io::fmt_a(k.name, 20);
    const std::string y8 = yk.name.substr(0, 8);
    if (!yk.binary) {
        switch (k.y) {
        case YSuit::Binary: return name + " not allowed. Non-binary " + y8 + "$";
        case YSuit::Categories:
            if (yk.ymax >= 36.0) return name + " not allowed. A category of " + y8 + ">= 36. Use MSE$";
            if (yk.ncat > 36) return name + " not allowed. # categories of " + y8 + " > 36. Use MSE$";
            if (yk.nonint) return name + " not allowed. Non-integer category of " + y8 + ". Use MSE$";
            return {};
        case YSuit::Numeric:
        case YSuit::Survival:
            if (yk.nominal) return name + "  not sensible with nominal/categorical Y=" + y8 + "$";
            return {};
        }
    } else if (k.y == YSuit::Survival) {
        return name + " criterion not sensible with binary Y=" + y8 + "$";
    }
    return {};
}

// Reads exactly one value per category; false on a read error, too few values,
// or a value that is not a finite number ("nan", "inf", "1e999").
bool read_per_category(std::string_view text, std::vector<double>& v, std::size_t n)
{
    v.assign(n, 0.0);
    return n == 0 || (io::list_read(text, std::span<double>(v)) == 0 &&
                      std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); }));
}

bool check_priors(CritSettings& c, const CritTexts& t, const YDescription& y, Services& services)
{
    const std::size_t n = y.cats.size();
    if (c.prior_mode == PriorMode::Equal) {
        for (double v : y.cats) c.prior[slot(v)] = 1.0 / static_cast<double>(n);
        return true;
    }
    if (c.prior_mode != PriorMode::User) return true;
    std::vector<double> p;
    if (!read_per_category(t.priors, p, n)) {
        msg(services, "NOTE: error reading prior probabilities $");
        return false;
    }
    double sum = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        c.prior[slot(y.cats[k])] = p[k];
        sum += p[k];
    }
    for (double v : p) {
        if (!(v > 0.0 && v < 1.0)) {
            msg(services, "NOTE:invalid prior probability: <=0 or >=1.$");
            return false;
        }
    }
    if (std::fabs(sum - 1.0) > 1e-5) {
        msg(services, "NOTE:invalid user specified prior. Sum =" + io::fmt_f(sum, 6, 3) + " ne 1  $");
        return false;
    }
    return true;
}

bool check_costs(CritSettings& c, const CritTexts& t, const YDescription& y, Services& services)
{
    const std::size_t n = y.cats.size();
    std::vector<double> for_a, for_a_minus;
    if (!read_per_category(t.cost_a, for_a, n) || !read_per_category(t.cost_a_minus, for_a_minus, n)) {
        msg(services, "NOTE: error reading costs for A or A- $");
        return false;
    }
    bool all_same = true;
    bool negative = false;
    for (std::size_t k = 0; k < n; ++k) {
        c.cost[slot(y.cats[k])] = {for_a_minus[k], for_a[k]};
        all_same = all_same && for_a[k] == for_a_minus[k];
        negative = negative || for_a[k] < 0.0 || for_a_minus[k] < 0.0;
    }
    if (negative) {
        msg(services, "NOTE:costs not sensible. Not allowed. $");
        return false;
    }
    if (all_same) {
        msg(services, "NOTE:costs same for A or A-. Not sensible. $");
        return false;
    }
    if (c.is(C::QualityIndex) && n >= 2) {
        const double a = c.cost[slot(y.cats[1])].in_a_minus;
        const double b = c.cost[slot(y.cats[0])].in_a;
        if (!(a + b > 0.0)) {
            msg(services, "NOTE:costs not sensible. Not allowed. $");
            return false;
        }
        c.qi_r = a / (a + b);
        c.qi_1r = 1.0 - c.qi_r;
    }
    return true;
}

// The checks in order; false after a refusal (the dialog is shown next).
bool checks(CritSettings& c, CritTexts& t, const YDescription& y, const CritInput& in, Services& services)
{
    for (const stats::CriterionTraits& k : stats::kCriterionTable)
        if (io::trim(t.criterion) == k.name) c.icrit = static_cast<int>(k.code);
    const stats::CriterionTraits& traits = *stats::criterion_traits(c.icrit);
    for (const YInfo& yk : y.ys) {
        const std::string refusal = y_refusal(traits, yk);
        if (!refusal.empty()) {
            msg(services, refusal);
            return false;
        }
    }
    if (traits.needs_costs && !c.weigh_by_costs) {
        msg(services, "Quality index. Must have costs specified!$");
        c.specify_costs = c.weigh_by_costs = true;
        std::string for_a, for_a_minus;
        for (std::size_t k = 0; k < y.cats.size(); ++k) {
            const stats::CostPair pair = k == 0   ? stats::CostPair{0.0, 1.0}
                                         : k == 1 ? stats::CostPair{1.0, 0.0}
                                                  : stats::CostPair{0.0, 0.0};
            c.cost[slot(y.cats[k])] = pair;
            for_a += io::fmt_i(std::lround(pair.in_a), 3);
            for_a_minus += io::fmt_i(std::lround(pair.in_a_minus), 3);
        }
        t.cost_a = for_a;
        t.cost_a_minus = for_a_minus;
        return false;
    }
    t.criterion = traits.name;
    c.priors_given = c.prior_mode != PriorMode::Data;
    if (c.priors_given && !traits.priors) {
        msg(services, "Non-data priors only allowed for Entropy and Gini!$");
        c.prior_mode = PriorMode::Data;
        c.priors_given = false;
        return false;
    }
    if ((c.specify_costs || c.weigh_by_costs) && !traits.costs) {
        msg(services, "Costs only allowed for Entropy, Gini, Quality!$");
        c.specify_costs = c.weigh_by_costs = false;
        return false;
    }
    if (!in.go && c.is(C::SubgroupMse)) services.helpshow("NOTE: subgroup MSE");
    if (c.prior_mode != PriorMode::Data && !y.ys.empty() && y.ys[0].ncat > 10) {
        msg(services, " Non-data prior not allowed. # categories of " + y.ys[0].name.substr(0, 8) + " > 10 $");
        return false;
    }
    if (y.parallel()) {
        if (traits.y == YSuit::Survival) {
            services.helpshow("NOTE: incompatible multiple Y");
            return false;
        }
        if (c.priors_given) {
            msg(services, "User prior and multivariate Y not allowed ! $");
            return false;
        }
    }
    if (!check_priors(c, t, y, services)) return false;
    if (c.specify_costs && traits.costs && !check_costs(c, t, y, services)) return false;
    if (c.weigh_by_costs && !c.specify_costs) {
        msg(services, "Must specify costs for cost weighting$");
        return false;
    }
    c.subgroup_mse = c.is(C::SubgroupMse);
    if (c.is(C::OddsRatioBayes)) c.or_prior = {1.0, 1.0, 1.0, 1.0};
    const std::string beta = io::trim(t.beta);
    if (beta.rfind("auto", 0) == 0) {
        c.auto_beta = true;
        c.beta = 0.0;
    } else {
        const auto v = io::list_read_real(beta);
        if (!v || !(*v >= 0.0) || !std::isfinite(*v)) {
            services.helpshow("NOTE: Beta mis-specified ");
            return false;
        }
        c.beta = *v;
        c.auto_beta = false;
    }
    const auto g = io::list_read_real(t.gamma);
    if (!g || !(*g >= 0.0 && *g <= 2.0)) {
        services.helpshow("NOTE: Gamma mis-specified");
        return false;
    }
    c.gamma = *g;
    c.balanced = c.gamma > 0.0;
    const std::string name(stats::criterion_name(c.icrit));
    c.critname = files::squeeze(c.balanced ? "Balanced " + name : name).substr(0, 29);
    for (int k = 1; k <= kMeasures; ++k)
        if (io::trim(t.complexity) == stats::complexity_name(k)) c.complexity = k;
    return true;
}

} // namespace

void write_criteria(CritSettings& c, const YDescription& y, const CritInput& in, Services& services,
                    io::LogWriter& log)
{
    if (in.go) log.write(io::list_record("Criteria:"));
    else services.actlog("%Criteria");
    const std::string line = io::fmt_a(c.critname, 30) + "; gamma=" + io::fmt_f(c.gamma, 6, 3) + "; Complexity " +
                             io::fmt_a(stats::complexity_name(c.complexity), 12);
    log.write(" " + files::squeeze(line).substr(0, 80));
    // A tree's splits are the nodes' best G: the user's beta is kept for later searches.
    if (in.treemode) {
        log.write(" Beta parameter not used in tree analysis");
    } else if (c.auto_beta) {
        log.write(" Beta on automatic setting");
    } else {
        log.write(" Penalty parameter beta=" + io::fmt_f(c.beta, 9, 4));
    }
    const int ny = static_cast<int>(y.ys.size());
    if (y.parallel()) {
        c.inverse_variance = services.quiz("?Multivariate Y: inverse variance weighting?");
        log.write((c.inverse_variance ? " Inverse variance weighting of " : " No inverse variance weighting of ") +
                  io::fmt_i(ny, 2) + " Ys ");
    }
    for (int k = 0; k < stats::kMaxYs; ++k) {
        double w = 1.0;
        if (y.parallel() && c.inverse_variance && k < ny)
            w = y.ys[static_cast<std::size_t>(k)].variance > 0.0 ? 1.0 / y.ys[static_cast<std::size_t>(k)].variance
                                                                 : 1e20;
        c.yweight[static_cast<std::size_t>(k)] = w;
    }
    if (c.is(C::OddsRatioBayes)) {
        std::string cells = " Odds ratio: Prior 2x2 cell counts= ";
        for (double v : c.or_prior) cells += io::fmt_f(v, 5, 1);
        log.write(cells);
    }
    if (c.priors_given) {
        log.write(" Prior probabilities specified:");
        for (double v : y.cats)
            log.write(std::string(5, ' ') + code_of(v) + "  " + io::fmt_f(c.prior[slot(v)], 7, 2));
    }
    const stats::CriterionTraits& traits = *stats::criterion_traits(c.icrit);
    const bool cost_criterion = traits.costs;
    if (c.specify_costs && cost_criterion) {
        log.write(" Costs specified:");
        log.write(std::string(5, ' ') + " Y    for A-   for A");
        for (double v : y.cats) {
            const stats::CostPair& pair = c.cost[slot(v)];
            log.write(std::string(5, ' ') + code_of(v) + "  " + io::fmt_f(pair.in_a_minus, 7, 2) + "  " +
                      io::fmt_f(pair.in_a, 7, 2));
        }
    }
    if (!cost_criterion) c.specify_costs = c.weigh_by_costs = false;
    if (c.weigh_by_costs && traits.cost_weighted) {
        log.write(" " + name20(c.icrit) + " criterion is cost weighted");
        log.write(std::string(22, ' ') + "i.e.  multiplied by expected cost");
    } else if (c.is(C::QualityIndex) && !in.go) {
        std::string text = " Value of r, for QI(r), calculated from costs is r =" + io::fmt_f(c.qi_r, 5, 2) + "$";
        services.msgbox(text, BoxKind::Ok, true);
    }
}

CritResult critdlg(CritSettings& c, CritTexts& t, const YDescription& y, const CritInput& in, FormDialog& dialog,
                   Services& services, io::LogWriter& log)
{
    const int icrit0 = c.icrit;
    const double beta0 = c.beta, gamma0 = c.gamma;
    const int complexity0 = c.complexity;
    // A beta too wide for the field keeps all its digits: the text is read again
    // by the checks, and a field of "*" would refuse the beta the user gave.
    t.beta = c.auto_beta ? "automatic" : io::fmt_f(c.beta, 13, 6);
    t.gamma = io::fmt_f(c.gamma, 6, 3);
    t.criterion = stats::criterion_name(c.icrit);
    CritResult r;
    bool showing = !in.go;
    for (;;) {
        if (showing) {
            Form f = criteria_form(c, t, y);
            const int closed = dialog.run(ids::kDialog, f);
            if (closed == kMissing) {
                log.write(io::list_record("Error: dialog box 9  not found"));
                r.cancelled = r.missing = true;
                return r;
            }
            if (closed == kCancel) {
                c.icrit = icrit0;
                c.beta = beta0;
                c.gamma = gamma0;
                r.cancelled = true;
                return r;
            }
            read_form(f, c, t);
            if (closed == ids::kHelp) {
                services.helpshow("Help: Criteria");
                continue;
            }
        }
        showing = true;
        if (checks(c, t, y, in, services)) break;
    }
    write_criteria(c, y, in, services, log);
    r.changed = c.beta != beta0 || c.complexity != complexity0 || c.icrit != icrit0 || c.gamma != gamma0;
    return r;
}

} // namespace meru::settings
