#pragma once
// The direct path of the search loop: candidates whose literals are fixed per
// item (no floating cuts) and whose pair is the candidate itself are scored
// without making the pair. Two things make that cheap:
//  - shapes: a candidate's shape (which of its attributes are equal, their
//    order, their signs) is read off its item numbers as one 64-bit key, so the
//    shape cache's outcome is looked up in a small table per side instead of
//    through the cache's byte-string key;
//  - membership: each side keeps a TermStack, so a candidate rebuilds only the
//    terms that differ from the candidate before it, and the count table comes
//    from the class-ordered snapshot's kernels.
// The results are those of the shape cache and ClassOrderedSample::partab().
#include "partition/termlist.h"
#include "search/class_sample.h"
#include "search/evaluate.h"
#include "search/term_stack.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

namespace meru::search {

// A table from shape keys to what is known of the shape (kUnknown at first).
class ShapeTable {
public:
    static constexpr int kUnknown = -2;
    void clear();
    int& at(std::uint64_t key);

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
// combination's item numbers, and per side what the merge does with it.
struct DirectJobs {
    enum Kind : signed char { kScore, kOther, kCovered };
    std::size_t width = 0;  // items per combination
    std::vector<int> items; // `width` per combination
    struct Job {
        Kind kind = kScore; // scored here / through the pair / tallied under reason 8
        signed char side = 0;
        int complexity = 0; // of kScore: the shape's
        std::size_t combination = 0;
    };
    std::vector<Job> jobs;

    std::span<const int> items_of(const Job& j) const { return {items.data() + j.combination * width, width}; }
    std::size_t combinations() const { return width ? items.size() / width : 0; }
    void clear()
    {
        items.clear();
        jobs.clear();
    }
};

class DirectScorer {
public:
    // `items[i]` is the literal of item i + 1, `plain[i]` whether it may stand in
    // a plain candidate (see ShapeCache::plain; any set of plain items must
    // make a plain candidate); `sample` the evaluator's snapshot; `skip`: the
    // skip flag of the evaluation.
    DirectScorer(ClassOrderedSample& sample, std::span<const partition::Literal> items, std::vector<char> plain,
                 std::span<const std::int8_t> signbyte, bool skip);

    partition::Literal item(int i) const { return items_[static_cast<std::size_t>(i - 1)]; }
    // Whether the candidate with these item numbers is plain.
    bool plain(std::span<const int> index) const
    {
        for (int i : index)
            if (!plain_[static_cast<std::size_t>(i - 1)]) return false;
        return true;
    }

    // Begins a size vector; false when its shapes do not fit a 64-bit key.
    bool start(std::span<const int> p);
    // The shape key of the candidate with these item numbers (1-based); each
    // side has its own table of keys.
    std::uint64_t key(std::span<const int> index) const;
    int& shape(int r, std::uint64_t key) { return shapes_[static_cast<std::size_t>(r)].at(key); }
    // The count table of the candidate's list read in the sense of side r.
    void table(std::span<const int> index, int r, stats::CountTable& out);
    // Scores the kScore jobs of [from, to) into out (sized by the caller) until
    // `cancel` is raised.
    void score(const DirectJobs& jobs, std::size_t from, std::size_t to, Evaluator& ev, std::span<Score> out,
               const std::atomic<bool>& cancel);

private:
    ClassOrderedSample& sample_;
    bool skip_;
    std::vector<partition::Literal> items_;
    std::vector<char> plain_;
    std::vector<std::array<UnitColumns::Lit, 2>> cols_; // per item: sense 0, sense 1
    std::vector<int> p_;
    std::vector<std::uint8_t> sign_;                         // per item: its literal is negative
    std::vector<std::pair<std::size_t, std::size_t>> pairs_; // positions in different terms
    std::array<TermStack, 2> stacks_;
    std::array<std::vector<int>, 2> held_; // the item numbers each stack holds
    std::array<ShapeTable, 2> shapes_;
    std::vector<UnitColumns::Lit> term_;
    stats::CountTable counts_;
};

} // namespace meru::search
