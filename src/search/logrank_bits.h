#pragma once
// The log-rank statistic of a search's candidates over bit columns: the units
// are the steps of the sample's walk (stats/logrank.h: the counted observations,
// latest time first), so each distinct time is a contiguous range of units. A
// candidate's membership words are made once; each time then adds the weights of
// each side and of their events as population counts over its range (one plane
// per weight bit), and its O, E and V terms follow as in the walk, time by
// time. Where no literal of the list has a missing byte among the units, one
// pass over the words counts the members, and a time's non-members are its
// units less its members. G, O, E, V, the side weights and the event weights
// equal those of logrank_walk() for the same membership; the follow-up sums t0
// and t1 are summed time by time (weight times time), the walk's within their
// rounding.
#include "search/kernel_set.h"
#include "search/term_words.h"
#include "stats/logrank.h"

#include <memory>

namespace meru::search {

class LogRankBits {
public:
    // The kernels are those of `kernels`.
    LogRankBits(const stats::AttributeMatrix& abyte, const stats::LogRankWalk& walk,
                const KernelSet& kernels = kernel_set(cpu_level()));
    // The same units, times and bit columns as `other` for a worker thread:
    // it reads them (see UnitColumns::Share) and keeps only its work storage.
    struct Share {};
    LogRankBits(const LogRankBits& other, Share);

    stats::LogRankResult statistic(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                                   bool skip);
    UnitColumns& columns() { return *columns_; }

    using Plane = LogRankPlane;
    using Time = LogRankTime;

private:
    // The times and weight planes, made once and read by every copy.
    struct Steps {
        std::vector<Time> times;
        std::vector<Plane> planes;
        std::vector<std::uint64_t> bits, events;
    };
    std::unique_ptr<UnitColumns> columns_;
    std::shared_ptr<const Steps> steps_;
    decltype(KernelSet::walk) walk_ = nullptr, walk_two_ = nullptr;
    UnitColumns::Compiled list_;
    std::vector<std::uint64_t> det_, mem_;
};

} // namespace meru::search
