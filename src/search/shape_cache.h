#pragma once
// Making a candidate's pair (mkpair) once per shape.
//
// Without label rules, added attributes or constants, what mkpair does with a
// candidate depends only on its shape: the term lengths, which literals name the
// same attribute, the signs and the side (it compares attributes for equality
// only, never by their numbers' order). The cache runs the real mkpair on the
// first candidate of each shape, keeps the outcome (skip and the reasons it
// counted, or the complexity and the reduced lists written over the places of
// the candidate's attributes in the order they first appear) and afterwards
// gives the same outcome, written over the new candidate's attributes, without
// running it. A candidate holding added attributes has its shape over its
// attributes and then those of their definitions (and theirs in turn), the
// definitions written in the key, so that expanding them makes the same lists
// over the same places.
// Other candidates ("not plain") always take the real mkpair.
#include "partition/candidate.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace meru::search {

class ShapeCache {
public:
    // `settings` must outlive the cache; `tables` (may be null) names each
    // attribute's variable for the one-variable test under label rules.
    ShapeCache(const partition::PairSettings& settings, const files::ControlTables* tables);

    // Same effect as partition::mkpair(cand, comp, repflag, cur, settings, tally, log).
    partition::PairResult make(partition::TermList& cand, partition::TermList& comp, int repflag,
                               partition::Partition& cur, partition::SkipTally& tally, io::LogWriter& log);

    // The same, except that on a cached outcome whose first list is the candidate
    // itself the pair's lists are left unwritten (only its repflag is set) and
    // `pending` is set: the first list is then `cand`, and fill_pair() writes the
    // lists when they are wanted, before the next make.
    partition::PairResult make_lazy(partition::TermList& cand, partition::TermList& comp, int repflag,
                                    partition::Partition& cur, partition::SkipTally& tally, io::LogWriter& log,
                                    bool& pending);
    void fill_pair(partition::Partition& cur) const;

    // For a candidate whose shape has a cached outcome that counts no skip reason,
    // keeps the candidate as given and makes it the first list: the complexity
    // (counted as a hit; the pair is then what make_lazy() leaves pending).
    // kNotSimple when the outcome is another, or the candidate is not plain;
    // kUnknown when its shape has no outcome yet.
    static constexpr int kNotSimple = -1, kUnknown = -2;
    int simple_complexity(const partition::TermList& cand, int repflag);

    // Whether the outcome of `cand` depends on its shape only, and it holds no
    // added attribute.
    bool plain(const partition::TermList& cand) const;
    // Whether the outcome of `cand` depends on its shape only, its added
    // attributes' definitions written in it (as the cache keys them).
    bool shaped(const partition::TermList& cand) const;

    // False under the trace switch and in tree mode: every candidate runs mkpair.
    bool enabled() const { return enabled_; }
    long long real_calls() const { return real_; }
    long long hits() const { return hits_; }
    void clear()
    {
        map_.clear();
        last_ = nullptr;
        bytes_ = 0;
    }
    // The outcomes kept take about this many bytes at most: past it the cache
    // starts again empty (outcomes are made again as they are met).
    void set_budget(std::size_t bytes) { budget_ = bytes; }

private:
    struct Outcome {
        bool cacheable = true;
        partition::PairResult result;
        std::array<long long, partition::kSkipReasons + 1> tally{};
        partition::TermList cand, first, second; // literals as +-(place + 2), or +-1
        bool cand_kept = false;                  // mkpair left the candidate as it was
        bool first_is_cand = false;              // the first list is the candidate as given
    };
    void key_of(const partition::TermList& cand, int repflag);
    // The attributes of `cand` in the order they first appear, then those of
    // the definitions of its added attributes, in turn, into `distinct_`;
    // false when a definition holds a constant.
    bool close_over_definitions(const partition::TermList& cand) const;
    // The place of an attribute in `distinct_`, -1 for none.
    int index_of(int attribute) const;
    // Whether the attributes in attrs_ name distinct variables (label rules).
    bool distinct_variables() const;
    // Appends list `l` to the key, written over the places of `distinct_`.
    void key_list(const partition::TermList& l);
    bool encode(const partition::TermList& in, partition::TermList& out) const;
    void decode(const partition::TermList& in, partition::TermList& out) const;

    const partition::PairSettings& settings_;
    const files::ControlTables* tables_;
    bool enabled_ = true;
    // Keys are short byte strings: a plain FNV-1a hash is enough.
    struct KeyHash {
        std::size_t operator()(const std::string& k) const noexcept
        {
            std::uint64_t h = 14695981039346656037ull;
            for (unsigned char c : k) h = (h ^ c) * 1099511628211ull;
            return static_cast<std::size_t>(h);
        }
    };
    std::unordered_map<std::string, Outcome, KeyHash> map_;
    std::string key_;
    // The entry of the previous lookup: consecutive candidates often share a shape.
    const std::pair<const std::string, Outcome>* last_ = nullptr;
    const Outcome* pending_ = nullptr; // the outcome fill_pair() writes
    mutable std::vector<int> distinct_; // attributes of the current candidate (and its definitions'), as they appear
    mutable std::vector<int> attrs_;
    mutable std::vector<long long> vars_;
    long long real_ = 0, hits_ = 0;
    std::size_t bytes_ = 0, budget_ = ~std::size_t{0};
};

} // namespace meru::search
