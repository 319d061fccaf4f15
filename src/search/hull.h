#pragma once
// The complexity hull of a search's best-at-each-complexity list: the upper
// convex hull of the points (complexity, G) starting from the origin, the penalty
// beta chosen from its first segment, the hull point with the largest penalised
// effectiveness G_beta = G - beta * complexity, and the table of penalised values
// whose optimum is the winner of the search.
#include "search/best_lists.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::search {

struct HullPoint {
    double c = 0;  // complexity
    double g = 0;  // effectiveness
    int entry = 0; // 1-based best-list entry; 0 for the origin
};

// points[0] is the origin; the hull exists when it has a point after the origin.
struct Hull {
    std::vector<HullPoint> points;
    bool exists() const { return points.size() >= 2; }
    const HullPoint& last() const { return points.back(); }
    // The position of a best-list entry on the hull, or -1 when it is not on it.
    int position_of(int entry) const;
};

// From the origin, the next hull point is the entry of the steepest slope from
// the current point; a later entry replaces the one found so far only when its
// slope is larger by more than 0.001 * |G of the first entry|, so near-ties keep
// the less complex entry. Only rising slopes count: entries whose G is not above
// the current point's never join.
Hull complexity_hull(std::span<const StoredPartition> entries);

// 5 % of the slope of the hull's first segment; never below 0, and 0 when the hull
// does not exist.
double automatic_beta(const Hull& hull);

// The hull position with the largest G - beta * c (the first of equals), the
// origin (0) when none is positive.
int hull_choice(const Hull& hull, double beta);

// The table of penalised values over the whole best list.
struct PenalisedRow {
    int c = 0;                  // complexity clamped to 0..100
    std::int64_t generated = 0; // partitions evaluated at that complexity
    float g = 0;
    double increase = 0; // percent increase of G per unit of complexity from the reference
    double gbeta = 0;
};
struct PenalisedTable {
    int cref = 0; // the first complexity at which partitions were generated
    std::vector<PenalisedRow> rows;
    int optimum = 0; // 1-based entry of the largest G_beta (the first of equals); 0: empty list
};
PenalisedTable penalised_table(std::span<const StoredPartition> entries, std::span<const std::int64_t> cplxhist,
                               double beta);
// The " Complexities generated " heading, column line and one row per entry.
void write_penalised_table(const PenalisedTable& table, io::LogWriter& log);

// Log texts of the penalty and the winner; the values are written in the
// shortest form of their single-precision value, the precision of G.
std::string automatic_beta_line(double beta);
std::string best_at_complexity_line(int complexity, double gbeta);

} // namespace meru::search
