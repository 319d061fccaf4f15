#include "stats/sort2.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace meru::stats {

namespace {

template <class K> void sort2_impl(std::span<K> keys, std::span<int> comp)
{
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(std::min(keys.size(), comp.size()));
    if (n < 2) return;
    // Pending sub-ranges, two bounds each. The larger part is always the one pushed,
    // so the number of pending ranges never exceeds log2(n): 64 pairs cover any size.
    constexpr int kStack = 128;
    std::ptrdiff_t stack[kStack];
    int top = 0;
    std::ptrdiff_t l = 0, r = n - 1;
    auto swap_at = [&](std::ptrdiff_t a, std::ptrdiff_t b) {
        std::swap(keys[a], keys[b]);
        std::swap(comp[a], comp[b]);
    };
    for (;;) {
        if (r - l < 7) {
            // Straight insertion on l..r.
            for (std::ptrdiff_t j = l + 1; j <= r; ++j) {
                const K a = keys[j];
                const int c = comp[j];
                std::ptrdiff_t i = j - 1;
                for (; i >= l; --i) {
                    if (keys[i] <= a) break;
                    keys[i + 1] = keys[i];
                    comp[i + 1] = comp[i];
                }
                keys[i + 1] = a;
                comp[i + 1] = c;
            }
            if (top == 0) return;
            r = stack[--top];
            l = stack[--top];
            continue;
        }
        // Median of three: key(l+1) <= key(l) <= key(r); key(l) is the pivot.
        const std::ptrdiff_t k = (l + r) / 2;
        swap_at(k, l + 1);
        if (keys[l + 1] > keys[r]) swap_at(l + 1, r);
        if (keys[l] > keys[r]) swap_at(l, r);
        if (keys[l + 1] > keys[l]) swap_at(l + 1, l);
        std::ptrdiff_t i = l + 1, j = r;
        const K a = keys[l];
        const int c = comp[l];
        for (;;) {
            do ++i;
            while (keys[i] < a);
            do --j;
            while (keys[j] > a);
            if (j < i) break;
            swap_at(i, j);
        }
        keys[l] = keys[j];
        comp[l] = comp[j];
        keys[j] = a;
        comp[j] = c;
        if (top + 2 > kStack) return; // cannot happen: see the bound above
        if (r - i + 1 >= j - l) {
            stack[top++] = i;
            stack[top++] = r;
            r = j - 1;
        } else {
            stack[top++] = l;
            stack[top++] = j - 1;
            l = i;
        }
    }
}

} // namespace

void sort2(std::span<float> keys, std::span<int> comp) { sort2_impl(keys, comp); }
void sort2(std::span<double> keys, std::span<int> comp) { sort2_impl(keys, comp); }

} // namespace meru::stats
