#pragma once
// The rectangle-diagram state: what a diagram of n subgroups (at most 6) holds
// about its cells and how well it fits them. Cell i (0 .. 2^n - 1) contains
// subgroup j (1-based) when bit j - 1 of i is set. The diagram window fills the
// counts and fitted areas; the fit report (diagram_fit_report.h) writes the fit fields.
#include <array>
#include <string>

namespace meru::stats {

inline constexpr int kMaxDiagramGroups = 6;
inline constexpr int kMaxDiagramCells = 1 << kMaxDiagramGroups;

struct DiagramState {
    // Read by the fit report.
    double count_power = 1.0;                     // counts are raised to this power (1.0: plain counts)
    int first_cell = 0;                           // 0, or 1 when the cell outside every subgroup is left out
    std::array<double, kMaxDiagramCells> count{}; // f_i
    std::array<double, kMaxDiagramCells> area{};  // fitted area a_i
    bool suppress_size_message = false;

    // Written by the fit report.
    double total_count = 0.0;                            // F
    double total_area = 0.0;                             // A
    double error = 0.0;                                  // E: sum of |a_i - f_i| / F
    std::array<double, kMaxDiagramGroups> group_count{}; // S_j
    std::array<double, kMaxDiagramGroups> group_area{};  // A_j
    int mismatched = 0;                                  // absent plus surplus cells
    std::array<std::string, kMaxDiagramCells> pattern;   // 6 characters per cell
    std::string status;                                  // the status text (80 characters at most)
};

} // namespace meru::stats
