#pragma once
// The extent of a search: which shapes of Boolean combination it tries. A shape is
// a size vector p_1 >= p_2 >= .. >= p_q: q terms, term j the intersection of p_j
// attributes. The user types one size vector and chooses whether only that shape
// is searched or every shape up to it; `nextsize` steps the search from one shape
// to the next, and ExtentBox tallies each shape's counts for the log.
// Plain data and code, no Qt: the search engine reads these settings.
#include "core/notices.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::stats {

// Which side candidates are built as.
enum class Side { Both, AMinusOnly, AOnly };

// The current shape of a walk over the size vectors, and the bounds it keeps to
// while it has q terms.
struct SizeWalk {
    int q = 0;
    std::vector<int> p;         // the current size vector, q entries
    std::vector<int> curbounds; // the first q typed bounds
    int companion = 0;          // n - q + 1, set when q grows
};

struct ExtentSettings {
    std::string sizetext = "2 2"; // the size vector as typed
    bool upto = true;             // every shape up to the typed one
    Side side = Side::Both;
    int nfloatx = 1; // float levels of attributes with several cuts, 1..3

    std::vector<int> bounds{2, 2}; // the typed p_1..p_q (qmax = its size)
    SizeWalk start{1, {1}, {2}};   // where a search starts

    // Sides the search builds candidates for: side 1 is A, side 0 A-.
    int first_side = 0;
    int last_side = 1;
    bool one_side = false;

    bool iter_note_shown = false; // "NOTE: q=1 and p_1=1" shown in this run
    int qmax() const { return static_cast<int>(bounds.size()); }
};

// What reading a size text gave.
enum class SizeRead {
    ok,
    bad_number,     // a token is not an integer
    empty,          // no numbers
    not_positive,   // some p_j below 1
    not_descending, // some p_(j+1) > p_j
    too_large,      // p_1 or q above kMaxSize
};
inline constexpr int kMaxSize = 100;

// Splits `text` at blanks and commas (tokens of at most 8 characters) and reads
// the integers p_1..p_q, checking them in that order.
SizeRead read_sizes(std::string_view text, std::vector<int>& p);

// Stores `bounds` and the walk's start: with `upto` (q = 1, p_1 = 1), else the
// typed vector itself; then the side settings of `side`.
void set_extent(ExtentSettings& e, std::vector<int> bounds);

// Steps `walk` to the next shape: the first p(k) below its current bound grows by
// one and p(1..k) take its new value; when every p(k) is at its bound, q grows by
// one (p all 1) unless it has reached bounds.size(). False when the extent is
// exhausted. `n` gives the companion count n - q + 1 when q grows.
bool nextsize(SizeWalk& walk, const std::vector<int>& bounds, int n);

// Iterative mode needs the shapes from (1) on: without "Up to" it is switched on
// and the walk starts at q = 1, p_1 = 1 ("NOTE: up to in iterative mode"). Then
// "NOTE: q=1 and p_1=1" is shown, once per run. The help topics are left in `told`.
void itercheck(ExtentSettings& e, Notices& told);

// One size vector's counts for the extent box.
struct BoxLine {
    std::vector<int> p;
    bool all_skipped = false;
    std::vector<int> subset_of; // the shape it is a subset of, when all skipped
    long long classes = 0;
    bool classes_exact = true;
    long long exclusions = 0;
    double subsearch = 0.0;
    bool subsearch_exact = true;
    long long searches = 0;
    bool searches_exact = true;
    long long done = 0;
    long long skipped = 0;
};

// The search extent box: one line per size vector of a search and the totals.
class ExtentBox {
public:
    static constexpr int kMaxLines = 33; // stored lines, the closing line included
    static constexpr int kWidth = 74;

    void reset();
    void add(const BoxLine& line);
    // Stores the closing " Overall" line and returns the box as log lines; the
    // lines are empty unless `detailout`.
    std::vector<std::string> print(bool detailout);

    int count() const { return count_; }
    // The stored lines and the closing line, as the last print wrote them.
    const std::vector<std::string>& lines() const { return lines_; }
    long long total_classes() const { return total_.classes; }
    long long total_done() const { return total_.done; }

private:
    int count_ = 0;
    std::vector<BoxLine> rows_; // the stored size vectors' lines
    std::vector<std::string> lines_;
    BoxLine total_; // the totals of every size vector not skipped as a whole
};

} // namespace meru::stats
