// Scoring a candidate and entering it in the lists allocate nothing once the
// evaluator has seen its largest list: the allocations of this test process are
// counted around repeated scoring, under every criterion, one Y and three.
#include "search/evaluate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
std::atomic<long long> allocations{0};
} // namespace

// The replacement pair allocates with malloc and frees with free; the compiler
// cannot see that they belong together.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Every plain form of new and delete goes through malloc and free, so that the
// pairs match whichever form the library uses (a sanitizer checks that they do).
namespace {
void* counted_alloc(std::size_t n)
{
    ++allocations;
    return std::malloc(n ? n : 1);
}
} // namespace

void* operator new(std::size_t n)
{
    if (void* p = counted_alloc(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n)
{
    if (void* p = counted_alloc(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return counted_alloc(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return counted_alloc(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

TEST(Evaluation, ScoringAndRecordingAllocateNothing)
{
    const int n = 300, lc = 6;
    std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
    std::vector<float> y1(n), y2(n), y3(n);
    std::vector<std::uint8_t> mask(n, 1);
    std::vector<int> w(n, 1);
    std::vector<std::int8_t> sign(lc + 1, 1);
    for (int i = 0; i < n; ++i) {
        for (int a = 1; a < lc; ++a)
            abyte[static_cast<std::size_t>(i * lc + a)] =
                static_cast<std::uint8_t>((i * (a + 3) / 7) % 3 == 2 ? 255 : (i >> a) & 1);
        y1[static_cast<std::size_t>(i)] = static_cast<float>(i % 2);
        y2[static_cast<std::size_t>(i)] = static_cast<float>((i * 7) % 5);
        y3[static_cast<std::size_t>(i)] = 0.25f * static_cast<float>(i % 11);
    }
    meru::search::EvaluationData d;
    d.abyte = meru::stats::AttributeMatrix(abyte, lc, n);
    d.y = {y1, y2, y3, y1, y1};
    d.ymax = {1, 4, 2.5, 1, 1};
    d.ny = 3;
    d.mask = mask;
    d.weights = w;
    d.signbyte = sign;
    meru::partition::Partition pair;
    pair.first.add_term({2, -3});
    pair.first.add_term({4, 5});
    pair.second.add_term({2, 4});
    pair.second.add_term({2, 5});
    pair.second.add_term({-3, 4});
    pair.second.add_term({-3, 5});
    const meru::search::Candidate c{pair, pair.first, 3};
    for (int serial : {1, 0})
        for (int icrit = 1; icrit <= 8; ++icrit) {
            meru::stats::CritSettings crit;
            crit.icrit = icrit;
            meru::search::EvaluationSettings set;
            set.serial_y = serial;
            set.search_stage = true;
            meru::search::Evaluator e(d, crit, set);
            meru::io::LogWriter log;
            e.sort_times(log);
            meru::search::SearchResults results;
            meru::partition::SkipTally skips;
            meru::search::record(c, e.score(c), set, results, skips);
            const long long before = allocations.load();
            for (int k = 0; k < 20; ++k) {
                const meru::search::Score s = e.score(c);
                meru::search::record({pair, pair.first, 1 + k}, s, set, results, skips);
            }
            EXPECT_EQ(allocations.load(), before) << "criterion " << icrit << " serial " << serial;
        }
}
