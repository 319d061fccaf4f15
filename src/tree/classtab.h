#pragma once
// The cross-tabulation of two discrete variables, written to the output log with
// its totals, and the misclassification error of the table read as predicted
// (rows) against actual (columns) classes. No Qt here.
#include <array>
#include <cstdint>
#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::tree {

// Counts indexed by two codes from -1 (missing) to 36 in both directions.
struct CrossTab {
    static constexpr int kLow = -1;
    static constexpr int kHigh = 36;
    static constexpr int kSide = kHigh - kLow + 1;
    std::array<std::int64_t, kSide * kSide> n{};

    std::int64_t& at(int x, int y) { return n[index(x, y)]; }
    std::int64_t at(int x, int y) const { return n[index(x, y)]; }
    // True when row or column -1 holds a count.
    bool has_missing() const;
    // Row -1 and column -1 set to 0.
    void drop_missing();

private:
    static std::size_t index(int x, int y) { return static_cast<std::size_t>((x - kLow) * kSide + (y - kLow)); }
};

// Labels and kinds of the two variables; a character variable shows its codes as
// the characters 0-9, A-Z.
struct CrossTabNames {
    std::string x, y;
    bool xchar = false, ychar = false;
};

// The misclassification error in percent, 100 (1 - sum over k = 0..35 of
// n(k, k) / N), N the count of the whole table (the missing row and column
// included); -1 when N = 0.
double misclassification(const CrossTab& t);

// Writes the table of the non-empty rows (X codes) and columns (Y codes) from -1
// to 35 with row and column totals to the log ("-" stands for missing) and
// returns misclassification(t). An empty table writes its heading and "no counts".
double classtab(io::LogWriter& log, const CrossTab& t, const CrossTabNames& names);

} // namespace meru::tree
