#include "plots/roc_model.h"

#include "files/textutil.h"
#include "platform/io/edit.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace meru::plots {

namespace {
double ratio(std::int64_t a, std::int64_t b) { return b > 0 ? static_cast<double>(a) / static_cast<double>(b) : 0.0; }
} // namespace

double ClassPair::fpr() const { return ratio(m0, n0); }
double ClassPair::sens() const { return ratio(m1, n1); }

ClassPair class_pair(const stats::CountTable& t)
{
    ClassPair p;
    int found = 0;
    for (int c = 0; c < kRocClasses; ++c) {
        const std::int64_t members = t.at(c, 1);
        const std::int64_t tot = t.at(c, 0) + members;
        if (tot == 0) continue;
        p.total += tot;
        if (found == 0) {
            p.n0 = tot;
            p.m0 = members;
        } else if (found == 1) {
            p.n1 = tot;
            p.m1 = members;
        }
        ++found;
    }
    p.ok = found >= 2;
    return p;
}

std::vector<float> binary_classes(std::span<const float> y, float ylow, float yhigh)
{
    std::vector<float> out(y.size(), -1.0f);
    for (std::size_t i = 0; i < y.size(); ++i) {
        if (!(y[i] >= 0.0f)) continue;
        if (y[i] == ylow) out[i] = 0.0f;
        else if (y[i] == yhigh) out[i] = 1.0f;
    }
    return out;
}

std::vector<stats::CountTable> cut_tables(const stats::SampleView& s, std::span<const std::int8_t> signbyte,
                                          int first, int ncuts, bool skip)
{
    std::vector<stats::CountTable> tables(static_cast<std::size_t>(std::max(ncuts, 0)));
    stats::CompiledList compiled;
    partition::TermList list;
    for (int j = 0; j < ncuts; ++j) {
        const int a = first + j;
        const int sign = a < static_cast<int>(signbyte.size()) && signbyte[static_cast<std::size_t>(a)] < 0 ? -1 : 1;
        list.clear();
        const partition::Literal lit = a * sign;
        list.add_term(std::span<const partition::Literal>(&lit, 1));
        compiled.compile(list, partition::kPlain, signbyte, s.abyte.lc);
        stats::partab(s, compiled, skip, 2, tables[static_cast<std::size_t>(j)]);
    }
    return tables;
}

RocCurve roc_points(std::span<const stats::CountTable> tables)
{
    RocCurve c;
    const int n = static_cast<int>(tables.size());
    c.sens.assign(static_cast<std::size_t>(n + 2), 0.0);
    c.fpr = c.sens;
    c.specificity = c.sens;
    c.evaluable = n > 0;
    for (int j = 1; j <= n; ++j) {
        const ClassPair p = class_pair(tables[static_cast<std::size_t>(j - 1)]);
        if (!p.ok) c.evaluable = false;
        c.fpr[j] = p.fpr();
        c.sens[j] = p.sens();
        c.specificity[j] = 1.0 - c.fpr[j];
        c.n0 = p.n0;
        c.n1 = p.n1;
    }
    if (n == 0) return c;
    c.rising = c.sens[n] >= c.sens[1] && c.fpr[n] > c.fpr[1];
    const auto set = [&](int e, double f, double s) {
        c.fpr[e] = f;
        c.sens[e] = s;
        c.specificity[e] = 1.0 - f;
    };
    set(0, c.rising ? 0.0 : 1.0, c.rising ? 0.0 : 1.0);
    set(n + 1, c.rising ? 1.0 : 0.0, c.rising ? 1.0 : 0.0);
    return c;
}

double roc_area(std::span<const double> fpr, std::span<const double> sens)
{
    std::vector<std::pair<double, double>> pts{{0.0, 0.0}, {1.0, 1.0}};
    const std::size_t n = std::min(fpr.size(), sens.size());
    for (std::size_t i = 0; i < n; ++i)
        if (std::isfinite(fpr[i]) && std::isfinite(sens[i]))
            pts.emplace_back(std::clamp(fpr[i], 0.0, 1.0), std::clamp(sens[i], 0.0, 1.0));
    std::sort(pts.begin(), pts.end());
    double area = 0;
    for (std::size_t i = 1; i < pts.size(); ++i)
        area += (pts[i].first - pts[i - 1].first) * 0.5 * (pts[i].second + pts[i - 1].second);
    return std::clamp(area, 0.0, 1.0);
}

double roc_area(const RocCurve& c)
{
    if (c.ncuts() < 1) return roc_area({}, {});
    const auto n = static_cast<std::size_t>(c.ncuts());
    return roc_area(std::span<const double>(c.fpr).subspan(1, n), std::span<const double>(c.sens).subspan(1, n));
}

std::optional<double> auc_se(double a, std::int64_t n1, std::int64_t n0)
{
    if (n1 <= 0 || n0 <= 0 || !(a >= 0.0 && a <= 1.0)) return std::nullopt;
    const double q1 = a / (2.0 - a);
    const double q2 = 2.0 * a * a / (1.0 + a);
    const double v =
        (a * (1.0 - a) + static_cast<double>(n1 - 1) * (q1 - a * a) + static_cast<double>(n0 - 1) * (q2 - a * a)) /
        static_cast<double>(n1) / static_cast<double>(n0);
    if (!(v >= 0.0)) return std::nullopt;
    return std::sqrt(v);
}

bool below_diagonal(const RocCurve& c)
{
    for (int i = 0; i <= c.ncuts(); ++i)
        if (c.specificity[i] + c.sens[i] > 1.0) return false;
    return c.ncuts() >= 0;
}

bool zigzag(const RocCurve& c)
{
    for (int i = 0; i <= c.ncuts(); ++i) {
        if (c.specificity[i] == c.specificity[i + 1]) continue;
        const bool back = c.rising ? (c.sens[i + 1] < c.sens[i] || c.specificity[i] < c.specificity[i + 1])
                                   : (c.sens[i] < c.sens[i + 1] || c.specificity[i + 1] < c.specificity[i]);
        if (back) return true;
    }
    return false;
}

namespace {
std::string se_field(std::optional<double> se) { return se ? io::fmt_f(*se * 100.0, 5, 2) : std::string("  n/a"); }
} // namespace

std::string auc_log_line(double a, std::optional<double> se)
{
    return std::string(10, ' ') + " AUC% (SE%) " + io::fmt_f(a * 100.0, 5, 1) + "(" + se_field(se) + ")";
}

std::string auc_side_line(const std::string& name, double a, std::optional<double> se)
{
    return io::fmt_a(name, 8) + io::fmt_f(a * 100.0, 5, 1) + " (" + se_field(se) + ")";
}

std::string cut_table_line(const std::string& label, double v1, double v2)
{
    return " " + io::fmt_a(label, 20) + std::string(5, ' ') + io::fmt_f(v1, 6, 3) + std::string(6, ' ') +
           io::fmt_f(v2, 6, 3);
}

QrocPoint qroc_point(const ClassPair& p)
{
    QrocPoint q;
    q.level = files::safediv(static_cast<double>(p.m0 + p.m1), static_cast<double>(p.total));
    q.qi1 = files::safediv(p.sens() - q.level, 1.0 - q.level);
    q.qi0 = files::safediv(q.level - p.fpr(), q.level);
    return q;
}

QrocCurve qroc_points(std::span<const stats::CountTable> tables)
{
    QrocCurve c;
    const std::size_t n = tables.size();
    c.x.assign(n + 2, 0.0);
    c.y.assign(n + 2, 0.0);
    c.evaluable = n > 0;
    for (std::size_t j = 1; j <= n; ++j) {
        const ClassPair p = class_pair(tables[j - 1]);
        if (!p.ok) c.evaluable = false;
        const QrocPoint q = qroc_point(p);
        c.x[j] = q.qi0;
        c.y[j] = q.qi1;
    }
    return c;
}

int best_cut(std::span<const double> values)
{
    if (values.empty()) return 0;
    return static_cast<int>(std::max_element(values.begin(), values.end()) - values.begin()) + 1;
}

std::vector<int> labelled_cuts(int ncuts, int best)
{
    std::vector<int> out;
    if (ncuts <= 5) {
        out.resize(static_cast<std::size_t>(std::max(ncuts, 0)));
        std::iota(out.begin(), out.end(), 1);
        return out;
    }
    out = {1, ncuts};
    if (best > 1 && best < ncuts) out.insert(out.begin() + 1, best);
    return out;
}

} // namespace meru::plots
