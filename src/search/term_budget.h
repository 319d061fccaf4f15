#pragma once
// How much memory a search's stored terms may take: sized to the counted units
// and to the machine, so that a large sample stores as many terms as a small one
// would in the same share of memory. Per unit it is a fraction of what the
// opened data take (some 140 bytes an observation), so that a search holds at
// its peak at most half as much again as the data.
#include <cstddef>

namespace meru::search {

// Bytes the stored terms of both senses may take over `units` counted units:
// kBytesPerUnit per unit, at least kFloor, at most an eighth of the machine's
// memory (`machine` bytes; 0: unknown, then kFloor at least and no cap).
inline constexpr std::size_t kStoredTermBytesPerUnit = 32;
inline constexpr std::size_t kStoredTermFloor = std::size_t{6} << 20;
std::size_t stored_term_budget(std::size_t units, std::size_t machine);
// The same on this machine.
std::size_t stored_term_budget(std::size_t units);

// The machine's physical memory in bytes, 0 where it cannot be told.
std::size_t machine_memory();

} // namespace meru::search
