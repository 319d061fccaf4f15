#include "stats/membership.h"

namespace meru::stats {

AttributeMatrix::AttributeMatrix(std::span<const std::uint8_t> b, int lc_, int n_) : bytes(b.data()), lc(lc_), n(n_)
{
    if (lc_ < 0 || n_ < 0 || b.size() < static_cast<std::size_t>(lc_) * static_cast<std::size_t>(n_))
        throw std::invalid_argument("attribute matrix smaller than lc x n");
}

int failing_value(partition::Literal l, int sense, std::span<const std::int8_t> signbyte)
{
    const int a = partition::attribute_of(l);
    const bool negative_attr = static_cast<std::size_t>(a) < signbyte.size() && signbyte[a] == -1;
    const bool turned = (l > 1 && negative_attr) || (l < 0 && !negative_attr);
    return turned ? sense : 1 - sense;
}

void CompiledList::compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, int lc)
{
    sense_ = sense == partition::kFlipped ? partition::kFlipped : partition::kPlain;
    lits_.clear();
    compile_terms(list, sense_, signbyte, lc, lp_, [&](int a, int fail) {
        lits_.push_back({a - 1, static_cast<std::uint8_t>(fail)});
    });
}

int CompiledList::membership(const std::uint8_t* row) const
{
    int m = 1 - sense_;
    const Lit* lit = lits_.data();
    for (int len : lp_) {
        const TermState t = term_state(lit, len, row);
        lit += len;
        if (t == TermState::holds) return sense_;
        if (t == TermState::undetermined) m = -1;
    }
    return m;
}

bool CompiledList::skipped(const std::uint8_t* row) const
{
    for (const Lit& l : lits_)
        if (row[l.index] == kMissingByte) return true;
    return false;
}

void membership_column(const AttributeMatrix& abyte, const CompiledList& list, bool skip, std::span<std::int8_t> out,
                       const ParallelFor& parallel)
{
    if (out.size() < static_cast<std::size_t>(abyte.n)) throw std::invalid_argument("membership column too short");
    const bool drop = skip && list.q() >= 1;
    for_stretches(parallel, static_cast<std::size_t>(abyte.n), std::size_t{1} << 16,
                  [&](std::size_t, std::size_t from, std::size_t to) {
                      for (std::size_t i = from; i < to; ++i) {
                          const std::uint8_t* row = abyte.row(static_cast<int>(i));
                          out[i] = static_cast<std::int8_t>(drop && list.skipped(row) ? -1 : list.membership(row));
                      }
                  });
}

} // namespace meru::stats
