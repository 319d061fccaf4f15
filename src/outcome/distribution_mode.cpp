#include "outcome/distribution_mode.h"

#include "core/services.h"
#include "files/dataset.h"
#include "files/tables.h"
#include "outcome/bygroup_mode.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/strings.h"
#include "stats/censoring.h"
#include "stats/quartab.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {

namespace {

std::string name8(std::string_view s) { return io::rtrim(s.substr(0, 8)); }

class Distribution {
public:
    explicit Distribution(DistributionContext& cx) : cx_(cx) {}

    bool run()
    {
        cx_.sv.thinking("... creating a distribution", true);
        cx_.msgline = kPickPrompt;
        const files::VariableTable& vars = cx_.tables.vars;
        const std::vector<std::string> names(vars.varname.begin() + 1, vars.varname.begin() + 1 + vars.nvar);
        bool heading = true;
        for (;;) {
            std::vector<bool> selected(names.size(), false);
            const int id = cx_.dialogs.distribution_variable(cx_.msgline, names, selected);
            if (id == kDialogMissing) {
                cx_.log.write(" Error: dialog box 54 not found");
                return true;
            }
            if (id == kCancel) return true;
            const auto it = std::find(selected.begin(), selected.end(), true);
            if (it == selected.end()) {
                std::string text = "No Y variable selected.$";
                cx_.sv.msgbox(text, BoxKind::Ok, true);
                cx_.msgline = kPickPrompt;
                continue;
            }
            if (heading) {
                cx_.sv.actlog("%Y:distribution");
                heading = false;
            }
            pick(static_cast<int>(it - selected.begin()) + 1);
            cx_.msgline = kPickPrompt;
        }
    }

private:
    int n() const { return std::clamp(cx_.nobs, 0, cx_.data.n); }

    void pick(int var)
    {
        distvar_ = cx_.tables.vars.varname[static_cast<std::size_t>(var)];
        character_ = var < static_cast<int>(cx_.varischar.size()) && cx_.varischar[static_cast<std::size_t>(var)];
        values_.assign(static_cast<std::size_t>(n()), -1.0f);
        for (int i = 1; i <= n(); ++i) {
            const float v = cx_.data.x(i, var);
            values_[static_cast<std::size_t>(i - 1)] = v < 0 ? -1.0f : v;
        }
        ByGroup& by = cx_.bygroup;
        by.current = 0;
        if (!by.mode) {
            plot(std::vector<char>(), 0);
            return;
        }
        while (next_group(by, cx_.tables, cx_.varischar, cx_.dialogs, cx_.log, cx_.msgline))
            if (!plot(group_mask(by, cx_.tables, cx_.data, n(), cx_.obsmask, by.current), by.current)) return;
    }

    // One window; false when the variable has no data there (back to the dialog).
    bool plot(std::vector<char> mask, int group)
    {
        if (group == 0) {
            mask.assign(static_cast<std::size_t>(n()), 1);
            for (std::size_t i = 0; i < mask.size() && !cx_.obsmask.empty(); ++i)
                mask[i] = i < cx_.obsmask.size() && cx_.obsmask[i];
        }
        std::vector<char> censored;
        const stats::Censoring* c = cx_.censoring;
        if (c && c->in_force && name8(distvar_) == name8(cx_.y.defyname)) {
            std::string text =
                "Variable " + name8(distvar_) + " is designated censored." + " Survival and cdf are Kaplan-Meier $";
            cx_.sv.msgbox(text, BoxKind::Ok, false);
            const stats::Censoring within = c->within(cx_.data.lc);
            censored.assign(static_cast<std::size_t>(n()), 0);
            for (int i = 1; i <= n() && within.in_force; ++i)
                censored[static_cast<std::size_t>(i - 1)] =
                    within.is_censored(cx_.data.ab(within.attribute, i)) ? 1 : 0;
        }
        stats::QuartabInput q;
        q.y = values_;
        const std::span<const int> w(cx_.data.obswt);
        q.weights = w.first(std::min(w.size(), values_.size()));
        q.mask = mask;
        q.censored = censored;
        q.censor_flag = !censored.empty();
        q.header = "     ";
        q.yname = distvar_;
        q.encoded = character_;
        const stats::QuartabResult r = stats::quartab(q, cx_.log); // a local total: the count read stays
        if (r.total <= 0) {
            std::string text = "No data for this variable $";
            cx_.sv.msgbox(text, BoxKind::Ok, false);
            return false;
        }
        const ByGroup& by = cx_.bygroup;
        cx_.msgline = by.mode ? "Distribution of " + io::fmt_a(distvar_, 8) + " in by group: " + io::fmt_i(group, 2)
                              : "Distribution of " + name8(distvar_);

        std::vector<double> x;
        std::vector<long long> weights;
        std::vector<int> categories;
        bool whole = true;
        double lower = 0, upper = 0;
        int present = 0;
        for (const stats::QuartabEntry& e : r.entries) {
            x.push_back(e.value);
            weights.push_back(e.weight);
            if (e.value < 0) continue;
            if (present == 0) lower = e.value;
            upper = e.value;
            ++present;
            if (std::floor(e.value) != e.value) whole = false;
            if (character_ && static_cast<int>(categories.size()) < kMaxCharCats)
                categories.push_back(static_cast<int>(e.value));
        }
        plots::DistCall call;
        call.x = x;
        call.w = weights;
        call.nobs = r.abs_total;
        call.title = cx_.msgline;
        call.name = name8(distvar_);
        call.overlay = false;
        call.interactive = true;
        call.label = "  ";
        call.lower = lower;
        call.upper = upper;
        call.mark = true;
        call.markvalue = r.mean;
        call.marklabel = "mean ";
        call.discrete = character_;
        call.categories = categories;
        // The plotted variable's own character flag stands for the last Y's.
        call.integer_ticks = whole && (cx_.y.ybin[0] || character_ || present < 10);
        call.open = true;
        call.group_label = by.mode ? by.bylabel : std::string();
        cx_.dialogs.distribution_plot(call);
        return true;
    }

    DistributionContext& cx_;
    std::string distvar_;
    bool character_ = false;
    std::vector<float> values_;
};

} // namespace

bool distribution_mode(DistributionContext& cx) { return Distribution(cx).run(); }

} // namespace meru::outcome
