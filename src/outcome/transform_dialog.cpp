#include "outcome/transform_dialog.h"

#include "core/services.h"
#include "files/dataset.h"
#include "files/new_variable.h"
#include "files/tables.h"
#include "outcome/new_columns.h"
#include "outcome/transform.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/strings.h"
#include "ui/msgtext.h"

#include <algorithm>

namespace meru::outcome {

namespace {

int first_set(const std::vector<bool>& flags)
{
    const auto it = std::find(flags.begin(), flags.end(), true);
    return it == flags.end() ? 0 : static_cast<int>(it - flags.begin()) + 1;
}

class Transform {
public:
    explicit Transform(TransformContext& cx) : cx_(cx), t_(cx.tables) {}

    TransformDone run()
    {
        TransformView view;
        view.values = "0 1 2";
        view.name = cx_.name;
        const std::array<std::string, kTransforms>& texts = transform_texts();
        view.transforms.assign(texts.begin(), texts.end());
        for (;;) {
            view.names.assign(t_.vars.varname.begin() + 1, t_.vars.varname.begin() + 1 + t_.vars.nvar);
            view.y1.resize(view.names.size(), false);
            view.y2.resize(view.names.size(), false);
            view.transform.resize(view.transforms.size(), false);
            const int id = cx_.dialogs.transform(view);
            if (id == kDialogMissing) {
                cx_.log.write(" Error: dialog box 52 not found");
                return {};
            }
            if (id == kCancel) return {};
            view.name = io::trim(view.name.substr(0, files::kNameLen));
            view.values = view.values.substr(0, 20);
            cx_.name = view.name;
            const std::optional<TransformDone> done = attempt(view);
            if (done) return *done;
        }
    }

private:
    bool message(std::string text, bool log = true)
    {
        cx_.sv.msgbox(text, BoxKind::Ok, log);
        return false;
    }
    int n() const { return std::clamp(cx_.nobs, 0, cx_.data.n); }
    std::vector<float> column(int var) const
    {
        std::vector<float> v(static_cast<std::size_t>(n()));
        for (int i = 1; i <= n(); ++i) v[static_cast<std::size_t>(i - 1)] = cx_.data.x(i, var);
        return v;
    }
    const std::string& varname(int j) const { return t_.vars.varname[static_cast<std::size_t>(j)]; }
    bool is_char(int j) const
    {
        return j >= 0 && j < static_cast<int>(cx_.varischar.size()) && cx_.varischar[static_cast<std::size_t>(j)];
    }
    bool has_line(int var) const
    {
        for (int l = 1; l <= t_.nlines; ++l)
            if (t_.line[static_cast<std::size_t>(l)].var == var) return true;
        return false;
    }
    char delimiter() const { return t_.format.tab ? '\t' : t_.format.comma ? ',' : ' '; }

    // One pass over the dialog's answers: nullopt sends the user back to it.
    std::optional<TransformDone> attempt(const TransformView& view)
    {
        const int code = first_set(view.transform);
        if (code == 0) return fail("No transformation selected .$");
        const int y1 = first_set(view.y1);
        if (y1 == 0) return fail("No Y1 variable selected.$");
        if (heading_) {
            cx_.sv.actlog("%Y:transform");
            heading_ = false;
        }
        cx_.log.write(" Transforming variable Y1 =" + io::fmt_a(varname(y1), 8));
        const std::vector<float> v1 = column(y1);
        std::vector<int> perm;
        if (code == tcode::perm) {
            const std::span<const int> w(cx_.data.obswt);
            if (std::any_of(w.begin(), w.begin() + std::min<std::ptrdiff_t>(n(), std::ssize(w)),
                            [](int x) { return x > 1; }))
                cx_.sv.helpshow("NOTE: perm Y1 with grouped data");
            perm = permutation(v1, cx_.rng);
        }
        int y2 = 0;
        if (two_variables(code)) {
            y2 = first_set(view.y2);
            if (y2 == 0) return fail("No Y2 variable selected.$");
            cx_.log.write(" includes variable Y2=" + io::fmt_a(varname(y2), 8));
        }
        const std::vector<std::string> names(t_.vars.varname.begin() + 1, t_.vars.varname.begin() + 1 + t_.vars.nvar);
        const std::string refusal = name_refusal(view.name, names);
        if (!refusal.empty()) return fail(refusal, false);
        const std::optional<TransformParams> p = read_params(code, view.values, is_char(y1), delimiter());
        if (!p) return fail(params_message(code));
        if (const std::string line = params_line(code, *p); !line.empty()) cx_.log.write(line);

        const std::vector<float> v2 = y2 > 0 ? column(y2) : std::vector<float>();
        TransformResult r = compute_transform(code, v1, v2, *p, perm);
        if (r.log_zero) message("NOTE: log(0) in log(Y1). Considered as missing $");
        if (r.log_nonpositive) message("NOTE: Y1+a <= 0 in log(Y1+a). Considered as missing $");
        if (r.all_equal) {
            const float last = r.values.empty() ? -1.0f : r.values.back();
            return fail("NOTE: all " + io::fmt_a(view.name, 8) + " have same value " + io::fmt_e(last, 13, 6) +
                        " Try again  $");
        }
        if (r.nonbinary) message("NOTE: both Y1 and Y2 should be binary for meaningful Y1 o Y2 $");
        if (r.shift > 0)
            message("NOTE: negative transformed values are not allowed, corrected by adding " +
                    io::fmt_f(r.shift, 7, 2) + "$");
        if (r.zero_division) message("NOTE: zero division in Y1/Y2. Considered as missing $");

        const bool character = code == tcode::perm && is_char(y1);
        const int var = add_variable(t_.vars, cx_.data, cx_.varischar, view.name, r.values, character, cx_.sv);
        if (var == 0) return TransformDone{};
        long long missing = 0;
        for (std::size_t i = 0; i < r.values.size() && i < cx_.data.obswt.size(); ++i)
            if (r.values[i] < 0) missing += cx_.data.obswt[i];
        for (const std::string& line : transform_lines(code, view.name, varname(y1), y2 > 0 ? varname(y2) : "", *p))
            cx_.log.write(line);
        if (has_line(y1)) files::set_source_variable(t_.vars, var, 1, y1);
        if (y2 > 0 && has_line(y2)) files::set_source_variable(t_.vars, var, 2, y2);
        std::string done = " Done! Variable " + view.name + " is created ";
        done += missing == 0 ? "$" : "# missing values =" + io::fmt_i(missing, 7) + "$";
        message(done);
        return TransformDone{true, code, var};
    }

    std::optional<TransformDone> fail(const std::string& text, bool log = true)
    {
        message(text, log);
        return std::nullopt;
    }

    TransformContext& cx_;
    files::ControlTables& t_;
    bool heading_ = true;
};

} // namespace

TransformDone ytransdlg(TransformContext& cx) { return Transform(cx).run(); }

bool transform_mode(TransformContext& cx)
{
    const TransformDone done = ytransdlg(cx);
    if (!done.made) return true;
    if (!binary_result(done.code)) return false;
    if (!cx.sv.quiz("?Binary transformation. Create attibute?")) return false;
    if (add_binary_attribute(cx.tables, cx.data, done.var, cx.sv) == 0) return false;
    const std::string name = cx.tables.vars.varname[static_cast<std::size_t>(done.var)];
    cx.log.write(" Created positive attribute: " + ui::squeeze(io::fmt_a(name + "=1", 28)));
    return false;
}

} // namespace meru::outcome
