#include "srdfit/powell.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace meru::srdfit {

namespace {

constexpr double kGold = 1.618033988749895;     // growth of the bracketing steps
constexpr double kGoldCut = 0.3819660112501051; // golden-section share, 2 - kGold
constexpr int kMaxBracketSteps = 60;
constexpr int kMaxLineSteps = 100;

// f along one line: g(t) = f(origin + t dir), counting its calls.
class Line {
public:
    Line(const Objective& f, std::span<const double> origin, std::span<const double> dir, int& calls)
        : f_(f), origin_(origin), dir_(dir), point_(origin.size()), calls_(calls)
    {}
    double operator()(double t)
    {
        for (std::size_t i = 0; i < point_.size(); ++i) point_[i] = origin_[i] + t * dir_[i];
        ++calls_;
        return f_(point_);
    }

private:
    const Objective& f_;
    std::span<const double> origin_, dir_;
    std::vector<double> point_;
    int& calls_;
};

struct Bracket {
    double a, b, c;    // a and c around b
    double fa, fb, fc; // with f(b) <= f(a), f(c)
};

// From g(0) = f0, steps downhill by growing golden steps until g rises again.
Bracket bracket(Line& g, double f0)
{
    Bracket k{0, 1, 0, f0, g(1), 0};
    if (k.fb > k.fa) {
        std::swap(k.a, k.b);
        std::swap(k.fa, k.fb);
    }
    k.c = k.b + kGold * (k.b - k.a);
    k.fc = g(k.c);
    for (int n = 0; k.fc < k.fb && n < kMaxBracketSteps; ++n) {
        k.a = k.b, k.fa = k.fb;
        k.b = k.c, k.fb = k.fc;
        k.c = k.b + kGold * (k.b - k.a);
        k.fc = g(k.c);
    }
    return k;
}

// The least value of g inside the bracket, by parabolic steps through the three
// best points, falling back to golden-section steps when a parabola would step
// outside the bracket or not shrink it fast enough. Returns {t, g(t)}.
std::pair<double, double> line_minimum(Line& g, const Bracket& k, double tol)
{
    double lo = std::min(k.a, k.c), hi = std::max(k.a, k.c);
    double x = k.b, w = k.b, v = k.b; // best, second best, previous second best
    double fx = k.fb, fw = k.fb, fv = k.fb;
    double d = 0, e = 0; // this step and the one before the last
    for (int n = 0; n < kMaxLineSteps; ++n) {
        const double mid = 0.5 * (lo + hi);
        const double tol1 = tol + 1e-10 * std::fabs(x), tol2 = 2 * tol1;
        if (std::fabs(x - mid) <= tol2 - 0.5 * (hi - lo)) break;
        bool golden = true;
        if (std::fabs(e) > tol1) {
            const double r = (x - w) * (fx - fv), q0 = (x - v) * (fx - fw);
            double p = (x - v) * q0 - (x - w) * r, q = 2 * (q0 - r);
            if (q > 0) p = -p;
            q = std::fabs(q);
            const double before = e;
            e = d;
            if (std::fabs(p) < std::fabs(0.5 * q * before) && p > q * (lo - x) && p < q * (hi - x)) {
                d = p / q;
                const double u = x + d;
                if (u - lo < tol2 || hi - u < tol2) d = mid >= x ? tol1 : -tol1;
                golden = false;
            }
        }
        if (golden) {
            e = x >= mid ? lo - x : hi - x;
            d = kGoldCut * e;
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + (d >= 0 ? tol1 : -tol1);
        const double fu = g(u);
        if (fu <= fx) {
            (u >= x ? lo : hi) = x;
            v = w, fv = fw;
            w = x, fw = fx;
            x = u, fx = fu;
        } else {
            (u < x ? lo : hi) = u;
            if (fu <= fw || w == x) {
                v = w, fv = fw;
                w = u, fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u, fv = fu;
            }
        }
    }
    return {x, fx};
}

// Minimises f from x along dir; moves x there and returns the new value (never
// above f0, the value at x). `moved` is the step taken, as a multiple of dir.
double minimise_along(const Objective& f, std::span<double> x, std::span<const double> dir, double f0, double tol,
                      int& calls, double& moved)
{
    double length = 0;
    for (double d : dir) length += d * d;
    length = std::sqrt(length);
    moved = 0;
    if (length <= 0) return f0;
    Line g(f, x, dir, calls);
    const Bracket k = bracket(g, f0);
    const auto [t, ft] = line_minimum(g, k, tol / length);
    if (!(ft < f0)) return f0;
    for (std::size_t i = 0; i < x.size(); ++i) x[i] += t * dir[i];
    moved = t;
    return ft;
}

} // namespace

PowellResult powell(const Objective& f, std::span<double> x, const PowellSettings& s)
{
    const std::size_t n = x.size();
    PowellResult res;
    res.value = f(x);
    res.evaluations = 1;
    if (n == 0) return res;
    std::vector<std::vector<double>> dirs(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i) dirs[i][i] = i < s.steps.size() ? s.steps[i] : 1.0;
    std::vector<double> start(n), extended(n), net(n);
    double moved = 0;
    for (res.sweeps = 0; res.sweeps < s.max_sweeps;) {
        ++res.sweeps;
        const double f_start = res.value;
        std::copy(x.begin(), x.end(), start.begin());
        std::size_t biggest = 0;
        double biggest_drop = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double before = res.value;
            res.value = minimise_along(f, x, dirs[i], before, s.line_tol, res.evaluations, moved);
            if (before - res.value > biggest_drop) biggest_drop = before - res.value, biggest = i;
        }
        if (s.on_sweep) s.on_sweep();
        if (f_start - res.value <= s.ftol * std::fabs(res.value) + 1e-12) break;
        // The sweep's net move, and the point as far again beyond.
        for (std::size_t i = 0; i < n; ++i) {
            net[i] = x[i] - start[i];
            extended[i] = x[i] + net[i];
        }
        const double f_ext = f(extended);
        ++res.evaluations;
        if (f_ext >= f_start) continue;
        // Take the net move as a new direction only when the descent along it is
        // not mainly the one direction that dropped most (which it would replace)
        // and the curvature along it is not too strong.
        const double a = f_start - res.value - biggest_drop, b = f_start - f_ext;
        const double t = 2 * (f_start - 2 * res.value + f_ext) * a * a - biggest_drop * b * b;
        if (t >= 0) continue;
        res.value = minimise_along(f, x, net, res.value, s.line_tol, res.evaluations, moved);
        dirs[biggest] = std::move(dirs[n - 1]);
        dirs[n - 1] = net;
    }
    return res;
}

} // namespace meru::srdfit
