#pragma once
// Listings that close an analysis: the odds ratio and relative risk pooled over
// the strata of a by-group run, and the incidence rate ratio of A- to A for a
// censored survival Y.
#include "stats/stat2x2.h"

#include <string>
#include <string_view>

namespace meru::io {
class LogWriter;
}

namespace meru::stats {

struct PooledEstimate {
    bool available = false; // the logit estimate needs a positive inverse-variance sum
    double value = 0.0, lower = 0.0, upper = 0.0;
};

struct PooledSummary {
    double or_mh = 0.0, rr_mh = 0.0;   // Mantel-Haenszel
    PooledEstimate or_logit, rr_logit; // inverse-variance (Woolf) with 95% interval
};

// Writes the pooled lines (nothing at all without a stratum); each line also goes
// into `msgline`, so that the last one stays there. A logit line whose
// inverse-variance sum is 0 reads "not available" in place of its numbers.
PooledSummary statsum(const PoolStat& pool, std::string& msgline, io::LogWriter& log);

struct RateRatio {
    bool computed = false; // both event counts and both person-times positive
    double rate_aminus = 0.0, rate_a = 0.0, rate_total = 0.0;
    double ratio = 0.0, lower = 0.0, upper = 0.0; // IRR (A- / A) and its 95% interval
};

// Events and person-time of A- (d0, t0) and A (d1, t1), the rates and the rate
// ratio A- / A with the interval ratio * exp(-/+ 1.96 sqrt(1/d0 + 1/d1)), or
// "Cannot compute  rate ratios". `label` (its first 14 characters) names the cases.
RateRatio rateratio(double d0, double t0, double d1, double t1, std::string_view yname, std::string_view label,
                    io::LogWriter& log);

} // namespace meru::stats
