#pragma once
// The weighted count table of a partition: membership (0 non-member, 1 member of the
// subgroup) by Y class. Cell of class y and membership m is cells[2*y + m], so the
// first 2*nclasses cells are a 2 x nclasses table stored column by column, the layout
// chisqtab and the criteria read.
#include <array>
#include <cstdint>
#include <span>

namespace meru::stats {

struct CountTable {
    static constexpr int max_classes = 100; // Y classes 0..99

    std::array<std::int64_t, 2 * max_classes> cells{};
    std::int64_t w0 = 0; // weight of the counted non-members
    std::int64_t w1 = 0; // weight of the counted members
    // Weight of observations left out because their Y class lies beyond the table
    // (class >= the caller's class count, or >= max_classes). Never written to a cell.
    std::int64_t beyond = 0;

    std::int64_t at(int y, int m) const { return cells[static_cast<std::size_t>(2 * y + m)]; }
    // The 2 x nclasses table, column by column.
    std::span<const std::int64_t> columns(int nclasses) const
    {
        return {cells.data(), static_cast<std::size_t>(2 * nclasses)};
    }
    void clear()
    {
        cells.fill(0);
        w0 = w1 = beyond = 0;
    }
};

} // namespace meru::stats
