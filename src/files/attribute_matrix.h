#pragma once
// Building the attribute matrix once the records are read: the "_r_"
// permutations, the values of each attribute line, the means and percentiles
// that cuts need, the line statistics and the attribute bytes with their weights.
// The builder computes only; the caller shows the progress, and the reports
// are written above the core from what it returns.
#include "files/percentiles.h"
#include "files/readdata.h"

#include <functional>
#include <vector>

namespace meru::io {
class RandomStream;
}

namespace meru::files {

class AttributeBuilder {
public:
    AttributeBuilder(ControlTables& t, DataArrays& d, ReadDataResult& r);

    // Lines that name "_r_"; permute() draws their permutations from `rng`.
    int permutation_lines() const;
    void permute(io::RandomStream& rng);
    // Decides where each line's values come from; the pseudo-variables' values are
    // also stored in their data columns.
    void sources();

    // The mean cuts, each splitting the values as the line's weighted mean does:
    // `tick` is called once per line.
    bool has_mean_lines() const;
    void means(const std::function<void()>& tick);

    // The lines with percentile cuts; percentiles(k) sets the cuts and labels of
    // line k's attributes from the percentiles of its values.
    std::vector<int> percentile_lines() const;
    LinePercentiles percentiles(int k);

    // The line statistics, the attribute bytes and their weights. `progress` is
    // told each 5% of the observations done (with n / 20 above 5); `tick` is called
    // along the second pass. Returns the first kMaxValueErrorsLogged + 1 value
    // errors (all are counted in the result's errors).
    std::vector<ValueError> statistics(const std::function<void(int pct)>& progress,
                                       const std::function<void()>& tick);

    // Every sign byte +1, and the banned flags that the attribute weights call
    // for; returns the note of each attribute ([1..natt]).
    std::vector<AttrNote> ban();

private:
    struct LineSource {
        enum Kind { null_line, obs_number, permutation, column } kind = column;
        const float* col = nullptr; // column: the variable's data
        int perm = -1;              // permutation: its index
    };

    int line_var(int k) const;
    float value(int k, int i) const;
    bool is_r_line(int k) const;
    bool is_i_line(int k) const;
    void fill_values(int k, int i0, int cnt, float* out) const;
    void accumulate(int k, const float* v, const int* wt, int cnt);

    ControlTables& t_;
    DataArrays& d_;
    ReadDataResult& r_;
    int nobs_;
    int nlines_;
    std::vector<LineSource> src_;
    std::vector<WeightedValue> pairs_, scratch_;
};

} // namespace meru::files
