#pragma once
// Censoring settings of the log-rank criterion: whether censoring is in force, the
// censoring attribute and which of its two labels describes the censored side.
//
// An attribute's label 1 names its false value (byte 0) and label 2 its true value
// (byte 1), so the side chosen by its label number v is the byte v - 1. Every
// routine that asks whether an observation is censored goes through `is_censored`.
#include "stats/criteria.h"

#include <cstdint>
#include <string>

namespace meru::stats {

struct Censoring {
    bool in_force = false;
    int attribute = 1;      // censoring attribute (1 when there is no censoring)
    int side = 1;           // label (1 or 2) that describes the censored side
    std::string other_side; // name and label of the other side, 28 characters at most

    // The byte of the censoring attribute that marks a censored observation.
    std::uint8_t censored_byte() const { return static_cast<std::uint8_t>(side == 2 ? 1 : 0); }
    // A censoring byte other than 0 or 1 (255: excluded) makes the observation unusable
    // while censoring is in force.
    bool usable(std::uint8_t byte) const { return !in_force || byte <= 1; }
    bool is_censored(std::uint8_t byte) const { return in_force && byte == censored_byte(); }
    // These settings as they apply to a matrix of `lc` attributes: a censoring
    // attribute outside it cannot be read, so no censoring is in force.
    Censoring within(int lc) const
    {
        Censoring r = *this;
        if (attribute < 1 || attribute > lc) r.in_force = false;
        return r;
    }
};

// Log-rank incidence mode: tables show incidence rates instead of means.
inline bool incidence_mode(Criterion criterion, const Censoring& c)
{
    return criterion == Criterion::LogRank && c.in_force;
}

} // namespace meru::stats
