#pragma once
// The per-observation arrays of an open analysis: the data matrix, the weights,
// the identifiers and the attribute matrix. Plain struct, owned by the analysis
// and passed by reference; sized by `allocate_data` once the data records have
// been counted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
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

// What an opening sizes the per-observation arrays for.
struct DataShape {
    int n = 0;        // observations (records counted)
    int nv = 0;       // variable dimension: the data matrix may grow to nv + 150 columns
    int lc = 0;       // attribute dimension: the most attributes an observation may have
    int nvar = 0;     // variables held from the start (those of the control file)
    int natt = 0;     // attributes held from the start (those of the control file)
    bool ids = false; // identifiers are kept (an _ID_ or _FREQ_ column)
};

struct DataArrays {
    int n = 0;      // observation dimension (records counted before reading)
    int ncols = 0;  // the most data-matrix columns: variable dimension + 150
    int lc = 0;     // attribute bytes held per observation (the row length of `abyte`)
    int maxatt = 0; // the most attributes: the attribute dimension
    // Column-major: value of variable j (1-based) for observation i (1-based) is
    // xdata[(j - 1) * n + (i - 1)]. A negative value is missing. Holds the columns
    // in use (`columns()`); `hold_column` adds more up to `ncols`.
    std::vector<float, ZeroedAllocator<float>> xdata;
    std::vector<int> obswt;         // [i - 1]: weight of observation i
    std::vector<int> testwt;        // [i - 1]: its weight in the test sample of a training/test split
    std::vector<std::string> obsid; // [i - 1]: identifier (at most 8 characters); empty when none are kept
    // One byte per attribute and observation, the attributes of one observation
    // adjacent: abyte[(i - 1) * lc + (a - 1)]; 1 true, 0 false, 255 excluded.
    // Rows hold the attributes in use; `hold_attribute` lengthens them up to `maxatt`.
    std::vector<std::uint8_t, ZeroedAllocator<std::uint8_t>> abyte;

    float& x(int i, int j) { return xdata[static_cast<std::size_t>(j - 1) * n + (i - 1)]; }
    float x(int i, int j) const { return xdata[static_cast<std::size_t>(j - 1) * n + (i - 1)]; }
    std::uint8_t& ab(int a, int i) { return abyte[static_cast<std::size_t>(i - 1) * lc + (a - 1)]; }
    std::uint8_t ab(int a, int i) const { return abyte[static_cast<std::size_t>(i - 1) * lc + (a - 1)]; }
    // The attribute bytes of observation i (lc of them, attribute 1 first).
    const std::uint8_t* row(int i) const { return abyte.data() + static_cast<std::size_t>(i - 1) * lc; }

    // Data-matrix columns held.
    int columns() const { return n > 0 ? static_cast<int>(xdata.size() / static_cast<std::size_t>(n)) : ncols; }
    // Makes columns 1..j exist (new ones at zero). False, with nothing changed,
    // when j lies beyond `ncols` or memory runs out. Moves the data matrix:
    // pointers and spans into `xdata` taken before are no longer valid.
    bool hold_column(int j);
    // Makes rows hold attributes 1..a (new ones at zero), lengthening every row
    // when needed. False, with nothing changed, when a lies beyond `maxatt` or
    // memory runs out. Moves the attribute matrix and changes `lc`: views of
    // `abyte` taken before are no longer valid. The rows are copied a stretch
    // at a time through `share` when given: it runs f(k) for every k below its
    // count, perhaps several at once on other threads (as stats::ParallelFor).
    using Share = std::function<void(std::size_t, const std::function<void(std::size_t)>&)>;
    bool hold_attribute(int a, const Share& share = {});
};

// Sizes the arrays for `s.n` observations: the data matrix holds the control
// file's variables and the rows of the attribute matrix its attributes, both at
// zero; weights start at 0 and identifiers blank (none kept unless `s.ids`).
// The data reader sets every value and attribute byte of the observations it reads.
void allocate_data(DataArrays& d, const DataShape& s);

// As above with every column (nv + 150) and every attribute (lc) held from the
// start, and identifiers kept.
inline void allocate_data(DataArrays& d, int n, int nv, int lc)
{
    const int cols = (nv < 0 ? 0 : nv) + kExtraColumns;
    allocate_data(d, DataShape{n, nv, lc, cols, lc, true});
}

} // namespace meru::files
