#include "partition/combinatorics.h"

#include "partition/wide_count.h"

#include <algorithm>
#include <vector>

namespace meru::partition {

using detail::fits;
using detail::kMaxCount;
using detail::Wide;

std::optional<Count> binom(Count n, Count k)
{
    if (k < 1) return 1;
    if (n < 0 || k > n) return 0;
    if (k > n - k) k = n - k;
    Count small = 1; // while the products fit in 64 bits
    Count i = 1;
    for (; i <= k && small < (Count{1} << 31) && n < (Count{1} << 31); ++i) small = small * (n - k + i) / i;
    Wide r = small;
    for (; i <= k; ++i) {
        r = r * static_cast<Wide>(n - k + i) / i; // exact: r holds C(n - k + i, i)
        if (!fits(r)) return std::nullopt;
    }
    return static_cast<Count>(r);
}

void unrank(int n, int k, Count r, std::span<int> out)
{
    Count N = n, R = r;
    int m = k, last = 0;
    for (int j = 0; j < k; ++j) {
        --m;
        Count s = 0;
        Count count = binom(N - 1, m).value_or(kMaxCount);
        while (count < R) {
            R -= count;
            // C(N-1-(s+1), m) = C(N-1-s, m) * (N-1-s-m) / (N-1-s)
            const Count top = N - 1 - s;
            if (top <= 0) count = 0;
            else if (count < (Count{1} << 31) && top - m < (Count{1} << 31)) count = count * (top - m) / top;
            else count = static_cast<Count>(static_cast<Wide>(count) * (top - m) / top);
            ++s;
        }
        const int item = last + static_cast<int>(s) + 1;
        out[static_cast<size_t>(j)] = item;
        last = item;
        N -= s + 1;
    }
}

double mean_subset_product(std::span<const double> c, int L)
{
    const int n = static_cast<int>(c.size());
    if (L < 0 || L > n) return 0.0;
    // m[j] = e_j(c_1..c_i) / C(i, j), updated item by item:
    // m_j(i) = ((i - j) / i) m_j(i-1) + (j / i) c_i m_{j-1}(i-1).
    std::vector<double> m(static_cast<size_t>(L) + 1, 0.0);
    m[0] = 1.0;
    for (int i = 1; i <= n; ++i) {
        const double ci = c[static_cast<size_t>(i - 1)];
        for (int j = std::min(i, L); j >= 1; --j) {
            const double keep = (j < i) ? static_cast<double>(i - j) / i * m[static_cast<size_t>(j)] : 0.0;
            m[static_cast<size_t>(j)] = keep + static_cast<double>(j) / i * ci * m[static_cast<size_t>(j - 1)];
        }
    }
    return m[static_cast<size_t>(L)];
}

} // namespace meru::partition
