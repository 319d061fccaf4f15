#pragma once
// A small data set for the partition statistics listings: 12 observations, the
// attributes AGE >50 (2), SEX =M (3), SMOKE =yes (4) and the censoring attribute
// CENS (5, byte 1 = censored), a continuous Y, a binary Y and a survival time,
// and the partition A = (2)(3 -4).
//
//  obs  a2  a3  a4 cens  ybin ycont time  w   terms true   A
//    1   1   0   0   0     1   2.0    4   1   1            1
//    2   1   1   0   1     1   3.5    8   1   1 2          1
//    3   0   1   0   0     0   1.0    3   1   2            1
//    4   0   1   1   0     0   4.0    4   1   -            0
//    5   0   0   0   1     0   0.5    6   1   -            0
//    6   1   1   1   0     1   2.5    8   1   1            1
//    7   0   1   0   0    -1  -999   -1   1   2            1  (Y missing)
//    8   1   0   1   0     0   6.0    4   1   1            1
//    9   0   0   1   1     0   1.5    3   1   -            0
//   10   ?   1   0   1     1   3.0    9   1   2 (1 undetermined) 1
//   11   0   ?   0   0     1   2.0    7   1   - (2 undetermined) undetermined
//   12   1   1   0   1     1   5.0   10   2   1 2          1
#include "files/tables.h"
#include "partition/termlist.h"
#include "stats/censoring.h"
#include "stats/membership_kernels.h"

#include <cstdint>
#include <string>
#include <vector>

namespace meru::test {

struct PartitionStatsData {
    static constexpr int lc = 5;
    static constexpr int n = 12;
    std::vector<std::uint8_t> bytes;
    std::vector<float> ybin{1, 1, 0, 0, 0, 1, -1, 0, 0, 1, 1, 1};
    std::vector<float> ycont{2.0f, 3.5f, 1.0f, 4.0f, 0.5f, 2.5f, -999.0f, 6.0f, 1.5f, 3.0f, 2.0f, 5.0f};
    std::vector<float> time{4, 8, 3, 4, 6, 8, -1, 4, 3, 9, 7, 10};
    std::vector<int> w{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2};
    std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(n, 1);
    std::vector<std::int8_t> signbyte = std::vector<std::int8_t>(lc + 1, 1);
    std::vector<std::string> ids{"P01", "P02", "P03", "P04", "P05", "P06", "P07", "P08", "P09", "P10", "P11", "P12"};
    files::ControlTables tables;
    partition::TermList a;      // (2)(3 -4), plain
    partition::TermList aminus; // A- = (-2 -3)(-2 4), held flipped: (2 3)(2 -4)

    PartitionStatsData()
    {
        const std::uint8_t X = 255;
        const std::uint8_t rows[n][lc] = {{0, 1, 0, 0, 0}, {0, 1, 1, 0, 1}, {0, 0, 1, 0, 0}, {0, 0, 1, 1, 0},
                                          {0, 0, 0, 0, 1}, {0, 1, 1, 1, 0}, {0, 0, 1, 0, 0}, {0, 1, 0, 1, 0},
                                          {0, 0, 0, 1, 1}, {0, X, 1, 0, 1}, {0, 0, X, 0, 0}, {0, 1, 1, 0, 1}};
        for (const auto& r : rows) bytes.insert(bytes.end(), r, r + lc);
        tables.att.resize(lc + 1);
        const char* names[lc + 1] = {"", ".", "AGE", "SEX", "SMOKE", "CENS"};
        const char* labels[lc + 1][2] = {{"", ""},     {"", ""},        {"<=50", ">50"},
                                         {"=F", "=M"}, {"=no", "=yes"}, {"event", "censored"}};
        for (int k = 1; k <= lc; ++k) {
            tables.att[static_cast<std::size_t>(k)].attname = names[k];
            for (int c = 0; c < 2; ++c) {
                std::string l = labels[k][c];
                l.resize(files::kLabelLen, ' ');
                tables.att[static_cast<std::size_t>(k)].attlab[static_cast<std::size_t>(c)] = l;
            }
        }
        tables.natt = lc;
        a.add_term({2});
        a.add_term({3, -4});
        aminus.add_term({2, 3});
        aminus.add_term({2, -4});
    }

    stats::SampleView view(const std::vector<float>& y) const
    {
        return {stats::AttributeMatrix(bytes, lc, n), y, mask, w};
    }
    static stats::Censoring censoring()
    {
        stats::Censoring c;
        c.in_force = true;
        c.attribute = 5;
        c.side = 2;
        return c;
    }
};

} // namespace meru::test
