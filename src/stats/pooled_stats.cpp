#include "stats/pooled_stats.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <cmath>

namespace meru::stats {

namespace {

PooledEstimate logit_estimate(double weighted_logs, double inv_var_sum)
{
    PooledEstimate e;
    if (!(inv_var_sum > 0.0)) return e;
    const double m = weighted_logs / inv_var_sum;
    const double h = 1.96 / std::sqrt(inv_var_sum);
    e.available = true;
    e.value = std::exp(m);
    e.lower = std::exp(m - h);
    e.upper = std::exp(m + h);
    return e;
}

std::string logit_line(std::string_view what, const PooledEstimate& e)
{
    std::string line = " Logit weighted " + std::string(what) + " and 95% CI ";
    if (!e.available) return line + "not available";
    return line + io::fmt_f(e.value, 8, 2) + "(" +
           io::side_by_side({io::fmt_f(e.lower, 8, 2), io::fmt_f(e.upper, 8, 2)}) + ")";
}

// The whole number of a weight (its fraction cut off).
long long whole(double v) { return static_cast<long long>(std::trunc(v)); }

} // namespace

PooledSummary statsum(const PoolStat& pool, std::string& msgline, io::LogWriter& log)
{
    PooledSummary s;
    if (pool.strata == 0) return s;
    const auto put = [&](std::string line) {
        log.write(line);
        msgline = std::move(line);
    };
    put("Analysis of BY: Summary Pooled Stats over " + io::fmt_i(pool.strata, 3) + " BY group strata:");
    s.or_mh = files::safediv(pool.or_w, pool.w1);
    put(" Mantel-Haenszel weighted OR=" + io::fmt_f(s.or_mh, 8, 2));
    s.rr_mh = files::safediv(pool.rr_w, pool.w2);
    put(" Mantel-Haenszel weighted RR=" + io::fmt_f(s.rr_mh, 8, 2));
    s.or_logit = logit_estimate(pool.ln_or_w, pool.or_inv_var);
    put(logit_line("OR", s.or_logit));
    s.rr_logit = logit_estimate(pool.ln_rr_w, pool.rr_inv_var);
    put(logit_line("RR", s.rr_logit));
    return s;
}

RateRatio rateratio(double d0, double t0, double d1, double t1, std::string_view yname, std::string_view label,
                    io::LogWriter& log)
{
    RateRatio r;
    const std::string rule = io::fmt_x(4) + std::string(68, '-');
    const std::string name = io::fmt_a(yname, 8);
    log.write("");
    log.write(io::fmt_x(24) + "|" + io::fmt_x(5) + io::fmt_a("   A-", 5) + io::fmt_x(6) + io::fmt_a("    A", 5) +
              io::fmt_x(4) + "|" + io::fmt_x(3) + "Total");
    log.write(rule);
    log.write(io::fmt_x(4) + "Cases " + io::fmt_a(label, 14) + "|" + io::fmt_x(2) + io::fmt_i(whole(d0), 8) +
              io::fmt_x(6) + io::fmt_i(whole(d1), 8) + io::fmt_x(1) + "|" + io::fmt_x(3) +
              io::fmt_i(whole(d0 + d1), 8));
    log.write(io::fmt_x(4) + "Person-time " + name + "|" + io::fmt_f(t0, 11, 1) + io::fmt_x(2) +
              io::fmt_f(t1, 11, 1) + io::fmt_x(1) + "|" + io::fmt_f(t0 + t1, 11, 1));
    log.write(rule);
    if (!(d0 > 0.0 && d1 > 0.0 && t0 > 0.0 && t1 > 0.0)) {
        log.write(" Cannot compute  rate ratios");
        return r;
    }
    r.computed = true;
    r.rate_aminus = d0 / t0;
    r.rate_a = d1 / t1;
    r.rate_total = (d0 + d1) / (t0 + t1);
    r.ratio = r.rate_aminus / r.rate_a;
    const double f = std::exp(1.96 * std::sqrt(1.0 / d0 + 1.0 / d1));
    r.lower = r.ratio / f;
    r.upper = r.ratio * f;
    log.write(io::fmt_x(4) + " Rates/unit " + name + "|" + io::fmt_x(2) + io::fmt_g(r.rate_aminus, 11, 5) +
              io::fmt_x(1) + io::fmt_g(r.rate_a, 11, 5) + "|" + io::fmt_x(3) + io::fmt_g(r.rate_total, 11, 5));
    log.write(rule);
    log.write(io::fmt_x(5) + "Incidence rate ratio (A- / A) =" + io::fmt_f(r.ratio, 7, 3) + " (95% CI " +
              io::fmt_f(r.lower, 7, 3) + io::fmt_x(2) + io::fmt_f(r.upper, 7, 3) + ")");
    return r;
}

} // namespace meru::stats
