#pragma once
// A small random search problem for the loop tests: attribute lines (some with
// several cuts), the attribute bytes (0/1, 255 missing), a binary and a
// continuous Y, and a host that records what the loop shows.
#include "search/search_loop.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace meru::test {

struct SearchProblem {
    files::ControlTables tables;
    std::vector<std::uint8_t> abyte;
    std::vector<float> ybin, ycont;
    std::vector<std::uint8_t> mask;
    std::vector<int> weights;
    std::vector<std::int8_t> sign;
    int n = 0, lc = 1;
    std::vector<int> lines; // the attribute set: lines 2..

    // Line k (2..) has cuts[k - 2] attributes; attribute 1 is the null line's.
    SearchProblem(int nobs, std::vector<int> cuts, unsigned seed, double missing = 0.03)
    {
        std::mt19937 rng(seed);
        const int nlines = static_cast<int>(cuts.size()) + 1;
        tables.line.resize(static_cast<std::size_t>(nlines) + 1);
        tables.nlines = nlines;
        tables.line[1].ncuts = 1;
        tables.line[1].attoff = 1;
        for (int k = 2; k <= nlines; ++k) {
            files::AttrLine& l = tables.line[static_cast<std::size_t>(k)];
            l.var = k;
            l.type = 'o';
            l.ncuts = cuts[static_cast<std::size_t>(k - 2)];
            l.attoff = tables.line[static_cast<std::size_t>(k - 1)].attoff + l.ncuts;
            lines.push_back(k);
        }
        lc = tables.line[static_cast<std::size_t>(nlines)].attoff;
        tables.att.resize(static_cast<std::size_t>(lc) + 1);
        tables.natt = lc;
        for (int k = 1; k <= nlines; ++k) {
            const files::AttrLine& l = tables.line[static_cast<std::size_t>(k)];
            for (int a = l.first_attribute(); a <= l.attoff; ++a) tables.att[static_cast<std::size_t>(a)].attline = k;
        }
        n = nobs;
        std::uniform_real_distribution<double> u(0.0, 1.0);
        abyte.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(lc), 0);
        for (int i = 0; i < n; ++i) {
            for (int a = 2; a <= lc; ++a) {
                std::uint8_t b = u(rng) < 0.5 ? 1 : 0;
                if (u(rng) < missing) b = 255;
                abyte[static_cast<std::size_t>(i) * static_cast<std::size_t>(lc) + static_cast<std::size_t>(a - 1)] =
                    b;
            }
            const std::uint8_t* row = &abyte[static_cast<std::size_t>(i) * static_cast<std::size_t>(lc)];
            const double lean = (row[1] == 1 ? 0.3 : 0.0) + (lc > 3 && row[3] == 1 ? 0.2 : 0.0);
            ybin.push_back(u(rng) < 0.25 + lean ? 1.0f : 0.0f);
            ycont.push_back(static_cast<float>(std::floor(10.0 * u(rng) + 5.0 * lean)));
        }
        mask.assign(static_cast<std::size_t>(n), 1);
        weights.assign(static_cast<std::size_t>(n), 1);
        sign.assign(static_cast<std::size_t>(lc) + 1, 1);
    }

    search::EvaluationData data(bool continuous = false) const
    {
        search::EvaluationData d;
        d.abyte = stats::AttributeMatrix(abyte, lc, n);
        d.y[0] = continuous ? std::span<const float>(ycont) : std::span<const float>(ybin);
        d.ymax[0] = continuous ? 15.0 : 1.0;
        d.ny = 1;
        d.mask = mask;
        d.weights = weights;
        d.signbyte = sign;
        return d;
    }
};

// Records what the loop shows; raises Search:End at the given poll.
struct RecordingHost : search::SearchHost {
    std::vector<std::string> texts, rows, messages;
    int marks = 0, polls = 0;
    int end_at = -1; // the poll that sees Search:End (1-based); -1 never
    void progress(std::string_view t) override { texts.emplace_back(t); }
    bool search_end() override { return ++polls == end_at || (end_at > 0 && polls > end_at); }
    void tell(Notices& told) override
    {
        for (const Notice& n : told.items())
            if (n.kind == Notice::Kind::message) messages.push_back(n.text);
        told.clear();
    }
    void window_row(std::string_view t) override { rows.emplace_back(t); }
    void window_mark(int, float, char) override { ++marks; }
};

} // namespace meru::test
