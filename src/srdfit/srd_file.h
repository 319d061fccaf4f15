#pragma once
// Saved diagram configurations (.srd): plain text, one item a line.
//
//   MERU rectangle diagram
//   q 3
//   term 1 -7
//   term 2 8
//   term 3 3 -5
//   rectangle 1 0.000000 0.412281 0.000000 1.000000
//   rectangle 2 ...
//   rectangle 3 ...
//   fit E 0.012345 E_max 0.004567 P 0.9876 start Random
//
// The header line; q, the number of subgroups (1..6); each subgroup's term as its
// signed attribute numbers; each subgroup's rectangle as x1 x2 y1 y2 in frame
// units (the frame is the unit square, 0 <= x1 <= x2 <= 1, the same for y); and
// the fit figures when it was saved (E and E_max as shares, Fit P, the start).
// The figures are those of a fit: 0 <= E_max <= E <= 2 (E sums the cells' |a_i -
// f_i| / F over areas and counts that each total F) and 0 <= Fit P <= 1.
#include "srdfit/rect.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::srdfit {

struct SavedDiagram {
    std::vector<std::vector<int>> terms; // one per subgroup
    std::vector<Rect> boxes;             // one per subgroup
    double error = 0, e_max = 0, fit_p = 1;
    std::string start;
};

std::string srd_text(const SavedDiagram& d);

enum class SrdStatus {
    ok,
    missing,    // there is no such file
    unreadable, // the file is there but cannot be read (a folder, a pipe, a device, a link that loops)
    damaged,    // not a saved diagram, or one with a broken or missing line
    mismatch,   // a sound diagram of other terms, or of another q
};

struct SrdRead {
    SrdStatus status = SrdStatus::damaged;
    SavedDiagram diagram; // filled when ok (and when mismatch)
    std::string why;      // the system's reason when missing or unreadable
};

// Reads the text of a saved diagram and compares its terms with `terms`.
SrdRead parse_srd(std::string_view text, const std::vector<std::vector<int>>& terms);

// The file next to a log: the log's path with its extension (if any) replaced by ".srd".
std::string srd_path_for(const std::string& log_path);

// Writes the file as control files are written: whole, through a temporary file
// renamed over it, so that a failure or a kill leaves the earlier file as it was
// (or none). Empty on success, else the system's reason ("No space left on device").
std::string save_srd(const std::string& path, const SavedDiagram& d);
// Reads a regular file only: a pipe or a device is refused at once, not waited on.
// Temporaries left by a Save that was killed are removed first.
SrdRead load_srd(const std::string& path, const std::vector<std::vector<int>>& terms);

} // namespace meru::srdfit
