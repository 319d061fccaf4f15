#pragma once
// The membership words of a candidate kept term by term, so that a candidate
// that shares its leading terms with the one before only pays for the terms
// that changed: slot t holds the words of terms 0..t OR-ed together (see
// TermWords), and set() makes slot t from the slot before it and term t's
// words. Candidates come in an order whose last terms vary fastest, so most
// candidates make no slot at all: the last term is counted against the slot
// before it (ClassOrderedSample::partab_terms).
//
// One stack serves one sense: the terms' words depend on it.
#include "search/term_words.h"

#include <cstdint>
#include <vector>

namespace meru::search {

class TermStack {
public:
    // Begins a walk over lists of q terms, of `words` words; `skip`: the
    // missing words are kept (the skip flag drops units missing in the list).
    void start(std::size_t words, int q, bool skip);
    // Slot t := slot t-1 OR term; slots t+1.. are stale until set again.
    void set(int t, const TermWords& term);
    // The accumulated words of terms 0..t.
    TermWords words(int t) const
    {
        const std::size_t at = static_cast<std::size_t>(t) * words_;
        return {any_true_.data() + at, any_und_.data() + at, skip_m_.data() + at};
    }

private:
    std::size_t words_ = 0;
    bool skip_ = false;
    std::vector<std::uint64_t> any_true_, any_und_, skip_m_; // q slots of words_ words
};

} // namespace meru::search
