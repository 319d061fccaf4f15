#pragma once
// The walk over a size vector's candidates when each item stands for one
// fixed literal and the scorer counts runs (DirectScorer::runs()): a run at a
// time, a run being the candidates that share their terms before the last.
// A run's last terms come in the walk's order (each set of items after the
// first, in increasing order, that is no subset of an earlier term); a block
// of them is counted for both sides at once and handed to a sink. The calling
// thread's sink merges the block at once; a worker's writes its records.
#include "partition/combinations.h"
#include "search/direct_path.h"
#include "search/evaluate.h"
#include "search/search_loop.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace meru::search {

class FixedWalk {
public:
    static constexpr std::size_t kBlock = 128;

    // Walks from the candidate `comb` stands at (of the walk comb.start(n, p)
    // began, n the settings' lines) up to the candidate of items `end`,
    // excluded (empty: to the walk's end), each block through sink(*this);
    // false as soon as the sink returns false.
    template <class Sink>
    bool walk(DirectScorer& direct, Evaluator& ev, const LoopSettings& s, partition::Combinations& comb,
              std::span<const int> p, int lo, int hi, std::span<const int> end, Sink&& sink);

    // The block handed to the sink: its m candidates, `counted` of them
    // newest (the others are covered). Per candidate: its lead (the last
    // term's items before its last item, at lead * (places - 1) in leads)
    // << 32 | its last item, and whether it is newest.
    std::size_t m = 0, counted = 0;
    std::vector<std::uint64_t> cand;
    std::vector<int> leads;
    std::vector<char> newest;
    // Per newest candidate: its shape key, and per side its table, G bound
    // and split band.
    std::vector<std::uint64_t> keys;
    std::array<std::vector<ClassOrderedSample::Cells>, 2> cells;
    std::array<std::vector<float>, 2> bound;
    std::array<std::vector<int>, 2> band;
    long long walked = 0; // candidates walked over, usable or not

    // The literals of the block's candidate i (written over the walk's own).
    std::span<const partition::Literal> lits_of(std::size_t i);

private:
    // Sizes the blocks and reads each item's usability and literal.
    void begin(const DirectScorer& direct, const LoopSettings& s, std::span<const int> p);
    // Begins the run of the combination `index`: its literals and, per item,
    // the earlier terms that could hold a last term. False when an item
    // before the last term is unusable (the run then holds no candidate).
    bool begin_run(std::span<const int> index, std::span<const int> p);
    template <class Sink>
    bool blocks(DirectScorer& direct, Evaluator& ev, int lo, int hi, int n, bool has_newest, std::span<const int> end,
                Sink& sink);

    const DirectScorer* direct_ = nullptr;
    std::size_t before_ = 0;                                 // positions before the last term
    std::vector<partition::Literal> lits_;                   // the run's candidate
    std::vector<int> last_;                                  // the walk's last term
    std::array<std::vector<const std::uint64_t*>, 2> words_; // of the newest candidates' last terms, per side
    std::vector<std::uint32_t> masks_;                       // or, counted by patterns, their literals' bits
    std::vector<std::uint64_t> in_term_;                     // per item: the earlier terms holding it (bits)
    std::vector<char> usable_;                               // per item
    std::vector<std::uint64_t> held_;                        // per place of the last term (see blocks())
    std::vector<char> ok_;
    std::vector<std::size_t> part_;
    std::vector<std::uint64_t> key_;
};

// Moves `s`, a set of items of 1..n in increasing order, to the set that
// follows it in increasing order; returns the first place it changed, -1
// after the last set.
inline int next_subset(int n, std::span<int> s)
{
    const int k = static_cast<int>(s.size());
    for (int i = k - 1; i >= 0; --i) {
        const auto u = static_cast<std::size_t>(i);
        if (s[u] < n - (k - 1 - i)) {
            ++s[u];
            for (std::size_t j = u + 1; j < s.size(); ++j) s[j] = s[j - 1] + 1;
            return i;
        }
    }
    return -1;
}

template <class Sink>
bool FixedWalk::walk(DirectScorer& direct, Evaluator& ev, const LoopSettings& s, partition::Combinations& comb,
                     std::span<const int> p, int lo, int hi, std::span<const int> end, Sink&& sink)
{
    const int n = static_cast<int>(s.lines.size());
    const bool later = s.iterative && s.iteration >= 2;
    begin(direct, s, p);
    while (true) {
        const std::span<const int> index = comb.index();
        // The run of the end candidate is the walk's last.
        const bool last_run = !end.empty() && std::equal(index.begin(), index.begin() + before_, end.begin());
        const bool has_newest =
            !later || std::find(index.begin(), index.begin() + before_, n) != index.begin() + before_;
        if (begin_run(index, p)) {
            direct.begin_run(lits_);
            if (!blocks(direct, ev, lo, hi, n, has_newest, last_run ? end : std::span<const int>{}, sink))
                return false;
        }
        if (last_run) return true;
        const partition::Count rank = comb.rank().back(), top = comb.maxrank().back();
        if (!comb.jump(top - rank + 1)) return true;
    }
}

// The blocks of the run begun from its current last term on, up to the end
// candidate when `end` is not empty (the run is then the end candidate's);
// false when the sink returned false. The walk steps the last item in a loop
// of its own, with what the items before it hold in registers.
template <class Sink>
bool FixedWalk::blocks(DirectScorer& direct, Evaluator& ev, int lo, int hi, int n, bool has_newest,
                       std::span<const int> end, Sink& sink)
{
    const std::size_t lead = last_.size() - 1; // places before the last
    const std::span<const int> end_last = end.empty() ? end : end.subspan(before_);
    // Per place j of the last term, for its items before j: the earlier
    // terms holding them all, whether all are usable, their part of the
    // rank (counted by patterns: their literals' bits) and of the shape key.
    held_.resize(lead + 1);
    ok_.resize(lead + 1);
    part_.resize(lead + 1);
    key_.resize(lead + 1);
    held_[0] = ~std::uint64_t{0};
    ok_[0] = 1;
    // The walk's arrays through pointers of its own, kept in registers.
    const DirectScorer::RunSteps steps = direct.run_steps();
    part_[0] = steps.masks ? 0 : direct.rank_base();
    key_[0] = direct.run_key_base();
    std::size_t from = 0; // the first place the walk changed
    bool first = true, left = true;
    std::uint64_t* const held = held_.data();
    char* const ok = ok_.data();
    std::size_t* const part = part_.data();
    std::uint64_t* const key = key_.data();
    std::uint64_t* const cand_of = cand.data();
    int* const leads_of = leads.data();
    char* const newest_of = newest.data();
    std::uint64_t* const keys_of = keys.data();
    const std::uint64_t** const words0 = words_[0].data();
    const std::uint64_t** const words1 = words_[1].data();
    std::uint32_t* const masks_of = masks_.data();
    const std::uint64_t* const in_term = in_term_.data();
    const char* const usable = usable_.data();
    const std::span<int> lasts(last_);
    while (left) {
        std::size_t size = 0, newer = 0, seg = 0, seg_m = 0;
        long long steps_walked = 0;
        while (size < kBlock && left) {
            for (std::size_t j = from; j < lead; ++j) {
                const auto i = static_cast<std::size_t>(lasts[j]);
                held[j + 1] = held[j] & in_term[i];
                ok[j + 1] = ok[j] & usable[i];
                part[j + 1] = steps.masks ? part[j] | steps.masks[i] : part[j] + steps.parts[i * steps.places + j];
                key[j + 1] = (key[j] << steps.shift) | steps.bits[i];
            }
            // This lead's items, kept for the candidates that follow (a
            // lead none of them took is written over).
            if (seg == 0 || size > seg_m) ++seg;
            seg_m = size;
            for (std::size_t j = 0; j < lead; ++j) leads_of[(seg - 1) * lead + j] = lasts[j];
            // The end candidate's lead: the walk stops before its last item.
            const bool ends = !end_last.empty() && std::equal(lasts.begin(), lasts.begin() + lead, end_last.begin());
            const int top = ends ? end_last[lead] - 1 : n;
            const std::uint64_t lead_bits = static_cast<std::uint64_t>(seg - 1) << 32;
            const std::uint64_t held_lead = held[lead];
            const char ok_lead = ok[lead];
            const std::size_t part_lead = part[lead];
            const std::uint64_t key_lead = key[lead] << steps.shift;
            const std::size_t* const parts = steps.masks ? nullptr : steps.parts + lead;
            const std::size_t places = steps.places;
            int v = lasts[lead];
            // The walk's own first candidate stands as it came.
            std::uint64_t held_v = first ? 0 : held_lead;
            first = false;
            for (; v <= top && size < kBlock; ++v, held_v = held_lead) {
                const auto i = static_cast<std::size_t>(v);
                if ((held_v & in_term[i]) != 0) continue;
                ++steps_walked;
                if (!(ok_lead & usable[i])) continue;
                cand_of[size] = lead_bits | static_cast<std::uint32_t>(v);
                const bool is_newest = has_newest || v == n;
                newest_of[size++] = is_newest;
                if (is_newest) {
                    keys_of[newer] = key_lead | steps.bits[i];
                    if (steps.masks) {
                        masks_of[newer++] = static_cast<std::uint32_t>(part_lead | steps.masks[i]);
                        continue;
                    }
                    const std::size_t at = (part_lead + parts[i * places]) * steps.stride;
                    words0[newer] = steps.words[0] + at;
                    words1[newer++] = steps.words[1] + at;
                }
            }
            if (v <= top) { // the block is full
                lasts[lead] = v;
                from = lead;
            } else if (ends) {
                left = false;
            } else {
                lasts[lead] = n;
                const int changed = next_subset(n, lasts);
                left = changed >= 0;
                from = static_cast<std::size_t>(std::max(changed, 0));
            }
        }
        walked += steps_walked;
        for (int r = lo; r <= hi; ++r) {
            const auto u = static_cast<std::size_t>(r);
            const std::span cells_of(cells[u].data(), newer);
            if (steps.masks) direct.count_masks(r, std::span(masks_.data(), newer), cells_of);
            else direct.count_lasts(r, std::span(words_[u].data(), newer), cells_of);
            ev.run_bounds(cells_of, std::span(bound[u].data(), newer), std::span(band[u].data(), newer));
        }
        m = size;
        counted = newer;
        if (!sink(*this)) return false;
    }
    return true;
}

} // namespace meru::search
