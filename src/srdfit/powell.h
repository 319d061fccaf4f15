#pragma once
// Minimising a function of n reals without derivatives by the direction-set
// method: sweep through a set of directions minimising along each in turn, then
// replace the direction of the largest decrease by the sweep's net move when that
// move promises further descent, so that the set gathers conjugate directions.
// Each line minimisation brackets a minimum by golden-ratio steps and narrows it
// by parabolic interpolation with golden-section fall-back.
#include <functional>
#include <span>

namespace meru::srdfit {

using Objective = std::function<double(std::span<const double>)>;

struct PowellSettings {
    // A sweep that lowers f by less than this fraction of |f| (and at least 1e-12
    // absolute) ends the search.
    double ftol = 1e-6;
    // Length of the first direction along each coordinate (the unit vectors
    // times it); a coordinate without an entry takes 1.
    std::span<const double> steps;
    double line_tol = 1e-6;         // absolute accuracy of each line minimum along its direction
    int max_sweeps = 200;           // sweeps at most
    std::function<void()> on_sweep; // called after every sweep (event pumps)
};

struct PowellResult {
    double value = 0;
    int sweeps = 0;
    int evaluations = 0;
};

// Moves `x` to a minimum of `f` from where it starts; never to a point worse than
// the start.
PowellResult powell(const Objective& f, std::span<double> x, const PowellSettings& settings);

} // namespace meru::srdfit
