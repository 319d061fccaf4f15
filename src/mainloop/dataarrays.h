#pragma once
// The data arrays of an analysis: their dimensions from the control file's
// pre-scan and the data file's record count, the limits an opening must respect,
// and their allocation with its messages. Releasing them is destroying the
// Analysis that holds them. No Qt here.
#include "files/tables.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::mainloop {

struct Analysis;

// The most attributes, and the largest variable bound, an analysis may have. The
// variable bound counts the pre-scan's slack of ten names, so ten thousand
// variables are accepted.
inline constexpr int kMaxAttributes = files::kMaxAttributes;
inline constexpr int kMaxVariableBound = files::kMaxAttributes + 10;

// Checks the pre-scan's bounds. More than 10000 attributes: the help topic
// "ERROR too many attributes", then "# attributes=nnnnn $" in a plain box; a
// variable bound above the limit: "ERROR too many variables" and "# variables=nnnnn $".
// `msgline` receives the count line. False when refused (nothing is allocated).
bool bounds_usable(const files::ScanCounts& counts, Services& sv, std::string& msgline);

// One allocation group: the message shown when it cannot be allocated, and the
// allocation itself (throws std::bad_alloc or std::length_error when memory runs out).
struct AllocationGroup {
    std::string_view failure;
    std::function<void()> allocate;
};

// Allocates the groups in turn. A group that fails shows its own message by
// msgok and the next group is still tried; after any failure "Catastrophic data
// array allocation error. $" (also in the log) and false.
bool allocate_groups(std::span<const AllocationGroup> groups, Services& sv);

// Sizes the control-file tables and the per-variable tables of `a` from the
// bounds: LC = attributes + 50, KMAX = NFMAX = variables + 50, in the groups
// KMAX (the variable -> line table), LC (the attributes) and NFMAX (the lines and
// the variable names), each with its "Unable to allocate arrays dim " message.
bool allocate_tables(Analysis& a, const files::ScanCounts& counts, Services& sv);

// Sizes the per-observation arrays for `n` records: the data matrix and the
// attribute matrix as `files::observation_shape` gives them, at zero, the weights, the
// X-space mask and the Y columns. When memory runs out: "Catastrophic data array
// allocation error. $" (also in the log); false, and nothing of the group is kept.
bool allocate_observations(Analysis& a, int n, Services& sv);

} // namespace meru::mainloop
