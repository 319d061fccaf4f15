#pragma once
// Ascending sort of a real key array that carries an integer companion array
// (observation numbers, weights) along with it.
#include <span>

namespace meru::stats {

// Sorts keys ascending in place; comp[i] stays attached to keys[i]. Both spans must
// have the same length (only the first min(size) elements are sorted otherwise).
// Quicksort with a median-of-three pivot and an explicit stack; sub-ranges of
// fewer than 8 elements are finished by straight insertion. Equal keys keep no
// particular order. No allocation.
void sort2(std::span<float> keys, std::span<int> comp);
void sort2(std::span<double> keys, std::span<int> comp);

} // namespace meru::stats
