#include "search/best_lists.h"

#include <algorithm>
#include <cmath>

namespace meru::search {

namespace {

constexpr std::size_t kReservedLiterals = 1024;

template <std::size_t N> void reserve_slots(std::array<StoredPartition, N>& slots)
{
    for (StoredPartition& s : slots) {
        s.list.lp.reserve(partition::MAXP);
        s.list.lits.reserve(kReservedLiterals);
    }
}

// Moves the slot at `from` to `to` (to <= from), shifting the slots between one
// place down; the moved slot's storage is then overwritten by store().
template <std::size_t N> void open_slot(std::array<StoredPartition, N>& slots, int to, int from)
{
    std::rotate(slots.begin() + to, slots.begin() + from, slots.begin() + from + 1);
}

void store(StoredPartition& s, int complexity, float value, float p, int flag, const partition::TermList& list)
{
    s.complexity = complexity;
    s.value = value;
    s.p = p;
    s.flag = flag;
    s.list.lp.assign(list.lp.begin(), list.lp.end());
    s.list.lits.assign(list.lits.begin(), list.lits.end());
}

// Applies `fix` to the first `count` slots, removing those it refuses; removed
// slots move behind the kept ones with the empty value. Returns the new count.
template <std::size_t N> int rewrite_slots(std::array<StoredPartition, N>& slots, int count, const EntryFix& fix)
{
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (!fix(slots[static_cast<std::size_t>(i)])) continue;
        if (kept != i) std::swap(slots[static_cast<std::size_t>(kept)], slots[static_cast<std::size_t>(i)]);
        ++kept;
    }
    for (int i = kept; i < count; ++i) slots[static_cast<std::size_t>(i)].value = kEmptyValue;
    return kept;
}

} // namespace

void BestAtComplexity::rewrite(const EntryFix& fix)
{
    count_ = rewrite_slots(slots_, count_, fix);
    index();
}

void BestAtComplexity::index()
{
    slot_of_.fill(-1);
    ascending_ = true;
    for (int i = 0; i < count_; ++i) {
        const int cx = slots_[static_cast<std::size_t>(i)].complexity;
        if (i > 0 && cx <= slots_[static_cast<std::size_t>(i - 1)].complexity) ascending_ = false;
        if (cx >= 0 && cx < kIndexed) slot_of_[static_cast<std::size_t>(cx)] = static_cast<signed char>(i);
    }
}
void TopList::rewrite(const EntryFix& fix)
{
    count_ = rewrite_slots(slots_, count_, fix);
    find_least();
}

void TopList::find_least()
{
    least_ = slots_[0].value;
    for (const StoredPartition& s : slots_) least_ = std::min(least_, s.value);
}
void TopG::rewrite(const EntryFix& fix) { count_ = rewrite_slots(slots_, count_, fix); }

BestAtComplexity::BestAtComplexity()
{
    reserve_slots(slots_);
    clear();
}

void BestAtComplexity::clear()
{
    count_ = 0;
    for (StoredPartition& s : slots_) s.value = kEmptyValue;
    index();
}

bool BestAtComplexity::below_stored(int cx, float g) const
{
    if (!ascending_ || cx < 0 || cx >= kIndexed || slot_of_[static_cast<std::size_t>(cx)] < 0) return false;
    return g - slots_[static_cast<std::size_t>(slot_of_[static_cast<std::size_t>(cx)])].value < -kTieTolerance;
}

std::optional<Placement> BestAtComplexity::place(int cx, float g) const
{
    if (ascending_ && cx >= 0 && cx < kIndexed && slot_of_[static_cast<std::size_t>(cx)] >= 0) {
        // The scan below stops at this slot: no slot before it has the complexity,
        // none after it lies between a smaller and a larger one.
        const int i = slot_of_[static_cast<std::size_t>(cx)];
        const float d = g - slots_[static_cast<std::size_t>(i)].value;
        if (d > kTieTolerance || std::fabs(d) <= kTieTolerance) return Placement{i, false};
        return std::nullopt;
    }
    const int last = count_ > 0 ? slots_[static_cast<std::size_t>(count_ - 1)].complexity : -1000;
    if (cx > last) {
        if (count_ == kCapacity) return std::nullopt;
        return Placement{count_, true};
    }
    for (int i = 0; i < count_; ++i) {
        const StoredPartition& s = slots_[static_cast<std::size_t>(i)];
        if (s.complexity == cx) {
            const float d = g - s.value;
            if (d > kTieTolerance || std::fabs(d) <= kTieTolerance) return Placement{i, false};
            continue;
        }
        const int before = i > 0 ? slots_[static_cast<std::size_t>(i - 1)].complexity : 0;
        if (before < cx && cx < s.complexity) return Placement{i, count_ < kCapacity};
    }
    return std::nullopt;
}

bool BestAtComplexity::offer(int cx, float g, int flag, const partition::TermList& list)
{
    const std::optional<Placement> at = place(cx, g);
    if (!at) return false;
    const auto slot = static_cast<std::size_t>(at->slot);
    // A new complexity between two stored ones shifts the larger ones down.
    const bool between = at->slot < count_ && slots_[slot].complexity != cx;
    if (at->grows) ++count_;
    if (between) open_slot(slots_, at->slot, count_ - 1);
    store(slots_[static_cast<std::size_t>(at->slot)], cx, g, 1.0f, flag, list);
    index();
    return true;
}

TopList::TopList()
{
    reserve_slots(slots_);
    clear();
}

void TopList::clear()
{
    count_ = 0;
    least_ = kEmptyValue;
    for (StoredPartition& s : slots_) {
        s.value = kEmptyValue;
        s.complexity = 0;
    }
}

int TopList::place(float value, int cx) const
{
    // Below every slot by more than the tolerance: no slot takes it (most offers).
    if (value - least_ < -kTieTolerance) return -1;
    for (int i = 0; i < kCapacity; ++i) {
        const StoredPartition& s = slots_[static_cast<std::size_t>(i)];
        const float d = value - s.value;
        if (d >= -kTieTolerance) {
            if (std::fabs(d) <= kTieTolerance && cx >= s.complexity) return -1;
            return i;
        }
    }
    return -1;
}

bool TopList::offer(int cx, float g, double beta, int flag, const partition::TermList& list)
{
    const float value = value_of(cx, g, beta);
    const int i = place(value, cx);
    if (i < 0) return false;
    open_slot(slots_, i, kCapacity - 1);
    store(slots_[static_cast<std::size_t>(i)], cx, value, 1.0f, flag, list);
    count_ = 0;
    while (count_ < kCapacity && slots_[static_cast<std::size_t>(count_)].value > kEmptyValue) ++count_;
    find_least();
    return true;
}

TopG::TopG()
{
    reserve_slots(slots_);
    start_ranking();
}

void TopG::start_ranking()
{
    count_ = 1;
    for (StoredPartition& s : slots_) s.value = kEmptyValue;
}

void TopG::set_count(int count) { count_ = std::clamp(count, 0, kCapacity); }

int TopG::place(float g) const
{
    for (int i = 0; i < count_; ++i)
        if (!(slots_[static_cast<std::size_t>(i)].value > g)) return i;
    return -1;
}

bool TopG::offer(int cx, float g, float p, int flag, const partition::TermList& list)
{
    const int i = place(g);
    if (i < 0) return false;
    open_slot(slots_, i, count_ - 1);
    store(slots_[static_cast<std::size_t>(i)], cx, g, p, flag, list);
    return true;
}

} // namespace meru::search
