#pragma once
// The per-observation arrays of an open analysis: the data matrix, the weights,
// the identifiers and the attribute matrix. Plain struct, owned by the analysis
// and passed by reference; sized by `allocate_data` once the data records have
// been counted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace meru::files {

// Allocator for the large per-observation arrays: memory comes zero-filled from
// calloc and elements are not written on construction, so a large array costs
// nothing until its pages are first touched (columns that no one uses never are).
template <class T> struct ZeroedAllocator {
    using value_type = T;
    ZeroedAllocator() = default;
    template <class U> ZeroedAllocator(const ZeroedAllocator<U>&) noexcept {}
    T* allocate(std::size_t n)
    {
        if (n == 0) n = 1;
        void* p = std::calloc(n, sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }
    template <class U> void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U; // already zero
    }
    template <class U, class... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <class U> bool operator==(const ZeroedAllocator<U>&) const noexcept { return true; }
};

inline constexpr float kMissing = -999.0f;     // a missing free-format item or character value
inline constexpr std::uint8_t kExcluded = 255; // attribute byte of an excluded observation
inline constexpr int kExtraColumns = 150;      // data-matrix columns beyond the variable dimension

struct DataArrays {
    int n = 0;     // observation dimension (records counted before reading)
    int ncols = 0; // data-matrix columns: variable dimension + 150
    int lc = 0;    // attribute dimension
    // Column-major: value of variable j (1-based) for observation i (1-based) is
    // xdata[(j - 1) * n + (i - 1)]. A negative value is missing.
    std::vector<float, ZeroedAllocator<float>> xdata;
    std::vector<int> obswt;         // [i - 1]: weight of observation i
    std::vector<int> testwt;        // [i - 1]: its weight in the test sample of a training/test split
    std::vector<std::string> obsid; // [i - 1]: identifier (at most 8 characters)
    // One byte per attribute and observation, the attributes of one observation
    // adjacent: abyte[(i - 1) * lc + (a - 1)]; 1 true, 0 false, 255 excluded.
    std::vector<std::uint8_t, ZeroedAllocator<std::uint8_t>> abyte;

    float& x(int i, int j) { return xdata[static_cast<std::size_t>(j - 1) * n + (i - 1)]; }
    float x(int i, int j) const { return xdata[static_cast<std::size_t>(j - 1) * n + (i - 1)]; }
    std::uint8_t& ab(int a, int i) { return abyte[static_cast<std::size_t>(i - 1) * lc + (a - 1)]; }
    std::uint8_t ab(int a, int i) const { return abyte[static_cast<std::size_t>(i - 1) * lc + (a - 1)]; }
    // The attribute bytes of observation i (lc of them, attribute 1 first).
    const std::uint8_t* row(int i) const { return abyte.data() + static_cast<std::size_t>(i - 1) * lc; }
};

// Sizes the arrays for n observations, nv variables (nv + 150 columns) and lc
// attributes. Everything starts at zero (weights 0, identifiers blank); the data
// reader sets every value and attribute byte of the observations it reads.
inline void allocate_data(DataArrays& d, int n, int nv, int lc)
{
    d.n = n < 0 ? 0 : n;
    d.ncols = (nv < 0 ? 0 : nv) + kExtraColumns;
    d.lc = lc < 0 ? 0 : lc;
    d.xdata = {};
    d.xdata.resize(static_cast<std::size_t>(d.n) * d.ncols);
    d.obswt.assign(static_cast<std::size_t>(d.n), 0);
    d.testwt.assign(static_cast<std::size_t>(d.n), 0);
    d.obsid.assign(static_cast<std::size_t>(d.n), std::string());
    d.abyte = {};
    d.abyte.resize(static_cast<std::size_t>(d.n) * d.lc);
}

} // namespace meru::files
