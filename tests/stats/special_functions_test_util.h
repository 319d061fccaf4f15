#pragma once
#include <cmath>

#include <gtest/gtest.h>

// Relative closeness, with an absolute floor for values near zero.
inline ::testing::AssertionResult RelNear(double got, double want, double rel, double abs_floor = 0.0)
{
    const double tol = std::max(rel * std::fabs(want), abs_floor);
    if (std::fabs(got - want) <= tol) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got " << got << " want " << want << " (rel err "
           << (want != 0 ? std::fabs(got - want) / std::fabs(want) : got) << ", tol " << tol << ")";
}
