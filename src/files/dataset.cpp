#include "files/dataset.h"

#include <algorithm>
#include <stdexcept>

namespace meru::files {

namespace {

std::size_t z(int v) { return static_cast<std::size_t>(v < 0 ? 0 : v); }

// Rows grow by whole groups of this many attributes, so that making attributes
// one after another lengthens them only now and then.
constexpr int kAttributeGroup = 8;
// The data matrix holds room for whole groups of this many columns.
constexpr int kColumnGroup = 8;

} // namespace

void allocate_data(DataArrays& d, const DataShape& s)
{
    d.n = static_cast<int>(z(s.n));
    d.ncols = static_cast<int>(z(s.nv)) + kExtraColumns;
    d.maxatt = static_cast<int>(z(s.lc));
    d.lc = std::min(static_cast<int>(z(s.natt)), d.maxatt);
    const std::size_t cols = std::min(z(s.nvar), z(d.ncols));
    d.xdata = {};
    // Room for a group of columns more than those read, so that the first
    // variables a search or a request adds are written in place: a column
    // added by copying every other would hold the data twice meanwhile. The
    // room costs no memory until a column is written (ZeroedAllocator).
    d.xdata.reserve(z(d.n) * std::min(cols + z(kColumnGroup), z(d.ncols)));
    d.xdata.resize(z(d.n) * cols);
    d.obswt.assign(z(d.n), 0);
    d.testwt.assign(z(d.n), 0);
    d.obsid.assign(s.ids ? z(d.n) : 0, std::string());
    d.abyte = {};
    d.abyte.resize(z(d.n) * z(d.lc));
}

bool DataArrays::hold_column(int j)
{
    if (j < 1 || j > ncols) return false;
    if (j <= columns()) return true;
    try {
        // Room for whole groups of columns (see allocate_data()).
        if (z(j) * z(n) > xdata.capacity())
            xdata.reserve(z(std::min(ncols, (j + kColumnGroup - 1) / kColumnGroup * kColumnGroup)) * z(n));
        xdata.resize(z(j) * z(n));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

bool DataArrays::hold_attribute(int a, const Share& share)
{
    if (a < 1 || a > maxatt) return false;
    if (a <= lc) return true;
    const int width = std::min(maxatt, (a + kAttributeGroup - 1) / kAttributeGroup * kAttributeGroup);
    try {
        std::vector<std::uint8_t, ZeroedAllocator<std::uint8_t>> wider;
        wider.resize(z(n) * z(width));
        constexpr std::size_t kStretch = std::size_t{1} << 16;
        const std::size_t stretches = (z(n) + kStretch - 1) / kStretch;
        const auto copy = [&](std::size_t k) {
            for (std::size_t i = k * kStretch; i < std::min(z(n), (k + 1) * kStretch); ++i)
                std::copy_n(abyte.data() + i * z(lc), z(lc), wider.data() + i * z(width));
        };
        if (share && stretches > 1) share(stretches, copy);
        else
            for (std::size_t k = 0; k < stretches; ++k) copy(k);
        abyte.swap(wider);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    lc = width;
    return true;
}

} // namespace meru::files
