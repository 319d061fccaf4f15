#pragma once
// The membership words of a candidate kept term by term, so that a candidate
// that shares its leading terms with the one before only pays for the terms
// that changed: slot t holds the accumulated words of terms 0..t (see
// TermWords), and set() rebuilds slot t from the slot before it and the
// literal columns of term t. Candidates come in an order whose last terms vary
// fastest, so most candidates rebuild only their last term.
//
// One stack serves one sense: the literals' columns depend on it.
#include "search/unit_columns.h"

#include <cstdint>
#include <span>
#include <vector>

namespace meru::search {

class TermStack {
public:
    // Begins a walk over lists of q terms, columns of `words` words; `skip`: the
    // missing words are kept (the skip flag drops units missing in the list).
    void start(std::size_t words, int q, bool skip);
    // Term t holds the literals `lits`; slots t+1.. are stale until set again.
    void set(int t, std::span<const UnitColumns::Lit> lits);
    // The accumulated words of terms 0..t.
    TermWords words(int t) const;

private:
    std::size_t words_ = 0;
    bool skip_ = false;
    std::vector<std::uint64_t> any_true_, any_und_, skip_m_; // q slots of words_ words
};

} // namespace meru::search
