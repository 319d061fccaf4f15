#pragma once
// The direct path of the search loop: candidates whose literals are fixed per
// item (no floating cuts) and whose pair is the candidate itself are scored
// without making the pair. Two things make that cheap:
//  - shapes: a candidate's shape (which of its attributes are equal, their
//    signs) is read off its literals as one 64-bit key, so the shape cache's
//    outcome is looked up in a small table per side instead of through the
//    cache's byte-string key; the items may stand in any order of their
//    attributes;
//  - membership: every term of up to a few literals is made once per search
//    and sense (SubsetColumns); each side keeps a TermStack of the terms before
//    the last, so a candidate makes only the terms that differ from the
//    candidate before it, for both sides at once, and its last term is counted
//    against that stack in one pass by the class-ordered snapshot's kernel;
//  - runs: with one literal per item, the candidates that share their terms
//    before the last are counted a block of last terms at a time (their stored
//    words found by rank), and their keys are the run's bits before the last
//    term and a few bits per last-term item;
//  - patterns: where it pays, each pattern of the literals is counted once
//    (PatternCounts) and a candidate's table is a few lookups instead of a
//    pass over the units' words (one literal per item, two valued).
// The results are those of the shape cache and ClassOrderedSample::partab().
#include "partition/termlist.h"
#include "search/class_sample.h"
#include "search/evaluate.h"
#include "search/pattern_counts.h"
#include "search/subset_columns.h"
#include "search/term_stack.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace meru::search {

// A table from shape keys to what is known of the shape (kUnknown at first).
class ShapeTable {
public:
    static constexpr int kUnknown = -2;
    void clear();
    int& at(std::uint64_t key);
    // What is known of the shape (kUnknown also when it was never asked for).
    int find(std::uint64_t key) const
    {
        if (slots_.empty()) return kUnknown;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = slot_of(key) & mask;; i = (i + 1) & mask) {
            if (!slots_[i].used) return kUnknown;
            if (slots_[i].key == key) return slots_[i].value;
        }
    }
    static std::size_t slot_of(std::uint64_t key)
    {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32);
    }

private:
    struct Slot {
        std::uint64_t key = 0;
        bool used = false;
        int value = kUnknown;
    };
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

// Candidate sides queued for the direct path, in enumeration order: each
// candidate's literals, and per side what the merge does with it.
struct DirectJobs {
    enum Kind : signed char { kScore, kUnknown, kOther, kCovered };
    std::size_t width = 0;                // literals per candidate
    std::vector<partition::Literal> lits; // `width` per candidate
    struct Job {
        // Scored by the scorers / plain, its shape's outcome not known when queued /
        // through the pair / tallied under reason 8.
        Kind kind = kScore;
        signed char side = 0;
        int complexity = 0; // of kScore: the shape's
        std::size_t candidate = 0;
    };
    std::vector<Job> jobs;

    std::span<const partition::Literal> lits_of(const Job& j) const
    {
        return {lits.data() + j.candidate * width, width};
    }
    std::size_t candidates() const { return width ? lits.size() / width : 0; }
    void clear()
    {
        lits.clear();
        jobs.clear();
    }
};

class DirectScorer : public ListCounter {
public:
    // `literals`: every literal the search's candidates can hold (an attribute's
    // literal always has the same sign), `plain[i]` whether literals[i] may
    // stand in a plain candidate (see ShapeCache::plain; any set of plain
    // literals must make a plain candidate); `fixed`: each item's literal when
    // no line floats its cuts, else empty; `sample` the evaluator's snapshot;
    // `skip`: the skip flag of the evaluation. The literals' attributes must
    // differ; a term's literals stand in the order of their positions.
    DirectScorer(ClassOrderedSample& sample, std::span<const partition::Literal> literals,
                 std::span<const char> plain, std::vector<partition::Literal> fixed,
                 std::span<const std::int8_t> signbyte, bool skip);

    // The literal of item i (1-based) when no line floats.
    bool fixed() const { return !fixed_.empty(); }
    partition::Literal item(int i) const { return fixed_[static_cast<std::size_t>(i - 1)]; }
    // Whether every candidate is plain.
    bool all_plain() const { return all_plain_; }
    // Whether the candidate of these literals is plain.
    bool plain(std::span<const partition::Literal> lits) const
    {
        if (all_plain_) return true;
        for (partition::Literal l : lits)
            if (!plain_[static_cast<std::size_t>(partition::attribute_of(l))]) return false;
        return true;
    }

    // Counts the units by the patterns of the literals a plain candidate may
    // hold (see PatternCounts) where it can: one literal per item, those
    // literals at most PatternCounts::kMaxLiterals and without a missing
    // byte among the units (their bytes must be 0 or 1: the caller's
    // check), the weights within PatternCounts::fits(). Size vectors begun
    // afterwards (of at most PatternCounts::kMaxTerms terms) take their
    // tables from the pattern counts (counted shared out by `parallel`).
    // False where it cannot.
    bool count_patterns(const stats::ParallelFor& parallel = {});
    // The pattern counts, this scorer's or those of the scorer it shares.
    const PatternCounts* patterns() const { return shared_ ? shared_->patterns_.get() : patterns_.get(); }
    // Whether the size vector begun last takes its tables from the pattern counts.
    bool counting() const { return counting_; }
    // The table of any list (a candidate's pair) from the pattern counts,
    // where its literals are among the scorer's; false otherwise.
    bool count_list(const partition::TermList& list, int sense, stats::CountTable& out) override;

    // Begins a size vector; false when its shapes do not fit a 64-bit key.
    bool start(std::span<const int> p);
    // The shape key of the candidate of these literals; each side has its own
    // table of keys.
    std::uint64_t key(std::span<const partition::Literal> lits);
    // What is known of the shape of side r (ShapeTable::kUnknown when not yet
    // known: then ask shape()), through a small cache of known outcomes (an
    // outcome once known stays so while the size vector lasts).
    int known(int r, std::uint64_t key)
    {
        Known& k = known_[static_cast<std::size_t>(r)][ShapeTable::slot_of(key) % kKnown];
        if (k.key == key && k.value != ShapeTable::kUnknown) return k.value;
        const int value = shapes_[static_cast<std::size_t>(r)].find(key);
        if (value != ShapeTable::kUnknown) k = {key, value};
        return value;
    }
    // known() from the small cache alone: kUnknown also when the shape is
    // known but not there.
    int cached(int r, std::uint64_t key) const
    {
        const Known& k = known_[static_cast<std::size_t>(r)][ShapeTable::slot_of(key) % kKnown];
        return k.key == key ? k.value : ShapeTable::kUnknown;
    }
    int& shape(int r, std::uint64_t key)
    {
        // Both sides of a candidate ask for the same key one after the other.
        if (!memo_ || key != memo_key_) {
            memo_key_ = key;
            memo_ = true;
            memo_at_ = {&shapes_[0].at(key), &shapes_[1].at(key)};
        }
        return *memo_at_[static_cast<std::size_t>(r)];
    }
    // The count table of the candidate's list read in the sense of side r.
    void table(std::span<const partition::Literal> lits, int r, stats::CountTable& out);
    // The same in two steps: the candidate's terms for both sides, then the
    // table of side r of the candidate prepared last.
    void prepare(std::span<const partition::Literal> lits);
    void count(int r, stats::CountTable& out);
    // Runs: candidates that share every term but the last, the last holding
    // sets of items (each item's fixed literal) in order. runs() tells whether
    // the size vector begun last can take them: no line floats, a Y of two
    // classes, its last terms stored.
    bool runs() const { return runs_; }
    // Begins a run at the candidate of these literals (its last term is not
    // read): the terms before the last are made for both sides, and the key
    // bits that each item adds as a literal of the last term are kept.
    void begin_run(std::span<const partition::Literal> lits);
    // The stored rank of a last term of items i_0 < i_1 < .. (run_rank()):
    // rank_base() and rank_part(i_j, j) summed over its places j.
    std::size_t rank_base() const { return run_base_; }
    std::size_t rank_part(int item, std::size_t j) const
    {
        return item_rank_[static_cast<std::size_t>(item) * static_cast<std::size_t>(p_.back()) + j];
    }
    std::size_t run_rank(std::span<const int> items) const
    {
        std::size_t rank = rank_base();
        for (std::size_t j = 0; j < items.size(); ++j) rank += rank_part(items[j], j);
        return rank;
    }
    // rank_part() and run_key_step() without the calls, for a walk that keeps
    // them in registers: the parts of item i at place j, at i * places + j;
    // the key bits of item i, at i; the key's shift per item. The stored
    // last term of rank k of side r starts at words[r] + k * stride. Where
    // the vector counts by patterns, each item's literal's bit (at i; else
    // null), and no parts or words.
    struct RunSteps {
        const std::size_t* parts;
        std::size_t places;
        const std::uint64_t* bits;
        int shift;
        std::array<const std::uint64_t*, 2> words;
        std::size_t stride;
        const std::uint32_t* masks;
    };
    RunSteps run_steps() const
    {
        if (counting_)
            return {nullptr,
                    static_cast<std::size_t>(p_.back()),
                    item_bits_.data(),
                    run_block_,
                    {nullptr, nullptr},
                    0,
                    item_mask_.data()};
        return {item_rank_.data(),
                static_cast<std::size_t>(p_.back()),
                item_bits_.data(),
                run_block_,
                {subsets(0).at_rank(0), subsets(1).at_rank(0)},
                term_stride(),
                nullptr};
    }
    // The shape key of the run's candidate whose last term holds these items.
    std::uint64_t run_key(std::span<const int> items) const
    {
        std::uint64_t k = run_key_base();
        for (int i : items) k = run_key_step(k, i);
        return k;
    }
    // The same literal by literal: the bits before the last term, and those
    // with the last term's next item added.
    std::uint64_t run_key_base() const { return run_key_; }
    std::uint64_t run_key_step(std::uint64_t k, int item) const
    {
        return (k << run_block_) | item_bits_[static_cast<std::size_t>(item)];
    }
    // The count tables of side r of the run's candidates whose last terms have
    // these ranks, as table() gives them (see ClassOrderedSample::table_of()).
    void count_run(int r, std::span<const std::size_t> ranks, std::span<ClassOrderedSample::Cells> out);
    void table_of(const ClassOrderedSample::Cells& c, stats::CountTable& out) const { sample_.table_of(c, out); }
    // The same with the last terms given by their words (term_stride() of
    // them: holds, undetermined and, with the skip flag, missing), as last()
    // gives them; the cells are a whole table only for a Y of two classes.
    void count_lasts(int r, std::span<const std::uint64_t* const> lasts, std::span<ClassOrderedSample::Cells> out);
    // The same where the vector counts by patterns, the last terms given by
    // their literals' bits (RunSteps::masks).
    void count_masks(int r, std::span<const std::uint32_t> lasts, std::span<ClassOrderedSample::Cells> out) const
    {
        pattern_run_.count(r, lasts, out);
    }
    // The words of side r's last term as prepared (made now where it was
    // left joined to its stored prefix).
    const std::uint64_t* last(int r);
    std::size_t term_stride() const { return (skip_ ? 3 : 2) * sample_.unit_words(); }
    bool two_classes() const { return sample_.classes() == 2; }

    // Reads the stored terms of `owner` (a scorer of the same literals over a
    // snapshot of the same data, started on each size vector before this one)
    // instead of storing its own: the workers' scorers share the calling
    // thread's, which stay unchanged while the workers read them.
    void share_terms(const DirectScorer& owner) { shared_ = &owner; }

    // Scores the kScore jobs of [from, to) into out (sized by the caller) until
    // `cancel` is raised.
    void score(const DirectJobs& jobs, std::size_t from, std::size_t to, Evaluator& ev, std::span<Score> out,
               const std::atomic<bool>& cancel);

private:
    ClassOrderedSample& sample_;
    bool skip_;
    std::vector<partition::Literal> fixed_;
    std::vector<char> plain_;                           // per attribute
    bool all_plain_ = true;                             // every literal may stand in a plain candidate
    bool two_valued_ = true;                            // no literal has a missing byte among the units
    std::vector<int> position_;                         // per attribute: its literal's position
    std::array<std::vector<UnitColumns::Lit>, 2> cols_; // per position: sense 0, sense 1
    std::vector<int> p_;
    std::vector<int> term_of_;                 // per position: its term; then q
    std::vector<std::size_t> start_;           // per position: the first position of its term
    std::vector<std::size_t> term_start_;      // per term: its first position; then the width
    std::vector<partition::Literal> key_held_; // the literals of the last key
    std::vector<std::uint64_t> key_at_;        // its bits before each position
    std::array<SubsetColumns, 2> subsets_;     // per sense
    int subsets_k_ = 0;                        // the longest term they were made for
    const DirectScorer* shared_ = nullptr;     // the owner of the stored terms read, when not this
    const SubsetColumns& subsets(std::size_t r) const { return shared_ ? shared_->subsets_[r] : subsets_[r]; }
    std::array<TermStack, 2> stacks_;
    std::vector<partition::Literal> held_;       // the literals the sides hold
    std::array<const std::uint64_t*, 2> last_{}; // each side's last term (its words' start); null: joined
    struct Joined {
        const std::uint64_t* held = nullptr; // the stored term of the last term's positions but the last
        const std::uint64_t* fail = nullptr; // where the last literal fails
    };
    std::array<Joined, 2> joined_{};
    std::array<ShapeTable, 2> shapes_;
    struct Known {
        std::uint64_t key = 0;
        int value = ShapeTable::kUnknown;
    };
    static constexpr std::size_t kKnown = 256;
    std::array<std::array<Known, kKnown>, 2> known_{};
    bool memo_ = false; // the slots of memo_key_ in both tables are memo_at_
    std::uint64_t memo_key_ = 0;
    std::array<int*, 2> memo_at_{};
    std::array<std::vector<std::vector<std::uint64_t>>, 2> scratch_; // per side and term
    // Terms that are not stored, as made for both sides, kept per place in the
    // list and found by their positions: a walk over floating cuts meets each
    // last term of a combination once per setting of the terms before it, and
    // the terms before the last again in the combinations that follow.
    static constexpr std::size_t kMadeSlots = 64;
    struct MadeTerms {
        std::array<std::uint64_t, kMadeSlots> key{}; // 0: free
        std::size_t used = 0;
        std::array<std::array<std::vector<std::uint64_t>, kMadeSlots>, 2> words;
    };
    // The slot of term t's words of these positions, made if new (kMadeSlots:
    // not kept).
    std::size_t made_term(std::size_t t, std::span<const int> pos);
    std::vector<MadeTerms> made_;
    std::vector<int> term_; // positions of the term prepare() makes; after it, of the last term
    std::unique_ptr<PatternCounts> patterns_;
    bool counting_ = false;                   // the size vector counts by patterns
    std::vector<std::uint32_t> masks_;        // counting: per term, its literals' bits (as prepared)
    std::vector<std::uint32_t> item_mask_;    // per item: its literal's bit
    std::vector<PatternTerm> list_terms_;     // count_list()'s
    std::vector<partition::Literal> literal_; // per position: its literal
    std::vector<int> bit_;                    // per position: its literal's bit in a pattern, or -1
    std::vector<UnitColumns::Lit> counted_;   // the columns of the literals of the bits, read plainly
    bool patternable_ = true;                 // every plain literal has a bit
    // The bit of a literal a pattern holds (0 for any other).
    std::uint32_t mask_of(partition::Literal l) const
    {
        const int b = bit_[static_cast<std::size_t>(position_[static_cast<std::size_t>(partition::attribute_of(l))])];
        return b < 0 ? 0u : 1u << b;
    }
    PatternCounts::Run pattern_run_;
    stats::CountTable counts_;
    bool runs_ = false;
    std::uint64_t run_key_ = 0;                // the run's key bits before its last term
    int run_block_ = 0;                        // key bits per literal of the last term
    std::vector<std::uint64_t> item_bits_;     // per item: its bits there
    std::size_t run_base_ = 0;                 // the first rank of a last term
    std::vector<std::size_t> item_rank_;       // per item and place in the last term: its part of the rank
    std::vector<const std::uint64_t*> run_at_; // the last terms' words
};

} // namespace meru::search
