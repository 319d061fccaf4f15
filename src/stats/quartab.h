#pragma once
// Weighted frequency table of a Y with its mean, standard deviation, range and
// quartiles, written to the output log.
#include "stats/quartiles.h"

#include <span>
#include <string_view>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::stats {

struct QuartabInput {
    std::span<const float> y;       // the Y value of each observation (negative: missing)
    std::span<const int> weights;   // observation weights
    std::span<const char> mask;     // nonzero: the observation is in the sample (empty: all are)
    std::span<const char> censored; // nonzero: censored (empty: censoring not in force)
    std::string_view header;        // written first when printing
    std::string_view yname;         // 20 characters at most are shown
    bool censor_flag = false;       // keep censored weight apart (negative weights)
    bool print = true;
    bool encoded = false; // values are character state codes
};

// One distinct value with its summed weight (negative: censored weight). Every
// missing value is held in one entry of value -1.
struct QuartabEntry {
    float value;
    long long weight;
};

struct QuartabResult {
    std::vector<QuartabEntry> entries; // ascending by value, the missing entry first
    int distinct = 0;                  // entries after merging equal values (and signs)
    long long abs_total = 0;           // total of the absolute weights of the entries
    double mean = 0;
    double sd = 0;
    double total = 0; // weight of the values >= 0
    float min = 0, max = 0;
    Quartiles q;
};

// Values are merged when they differ by at most 1e-20; with censor_flag a change
// of the weight's sign (censored weight is held negative) starts a new entry. The
// detailed table is written only with fewer than 100 entries. All negative values
// together make one "missing" row that takes no part in the percentages. With a
// total weight below 1 only "  No observations!" is written.
QuartabResult quartab(const QuartabInput& in, io::LogWriter& log);

} // namespace meru::stats
