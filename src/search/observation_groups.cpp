#include "search/observation_groups.h"

#include "stats/membership_kernels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

namespace meru::search {

namespace {

using u64 = std::uint64_t;

// What a literal can tell of a byte: it fails for one of 0 and 1, is missing
// at 255, and passes for any other byte.
int code_of(int b) { return b <= 1 ? b : b == stats::kMissingByte ? 2 : 3; }

int bits_for(int values) { return values <= 1 ? 0 : std::bit_width(static_cast<unsigned>(values - 1)); }

// A group key packed into bits: per key attribute the index of its byte's
// code among the codes that occur, then the class's index; an attribute (or a
// class) of one value takes no bits. Each attribute's part of the key is read
// off a table by its byte.
class KeyLayout {
public:
    KeyLayout(const std::vector<std::array<char, 256>>& seen, std::span<const char> classes)
    {
        for (const auto& bytes : seen) {
            std::array<int, 4> index{};
            unsigned codes = 0;
            for (int b = 0; b < 256; ++b)
                if (bytes[static_cast<std::size_t>(b)]) codes |= 1u << code_of(b);
            int values = 0;
            for (int c = 0; c < 4; ++c) index[static_cast<std::size_t>(c)] = (codes >> c) & 1 ? values++ : 0;
            std::array<int, 256> part{};
            for (int b = 0; b < 256; ++b) part[static_cast<std::size_t>(b)] = index[static_cast<std::size_t>(code_of(b))];
            parts_.push_back({part, bits_});
            bits_ += bits_for(values);
        }
        int values = 0;
        for (char c : classes) class_index_.push_back(c ? values++ : 0);
        class_shift_ = bits_;
        bits_ += bits_for(values);
        words_ = static_cast<std::size_t>(std::max(bits_, 1) + 63) / 64;
    }
    int bits() const { return bits_; }
    std::size_t words() const { return words_; }
    // The key of a row and a class into `k` (words() long).
    void make(const std::uint8_t* row, std::span<const int> key, int cls, u64* k) const
    {
        if (words_ == 1) {
            u64 v = static_cast<u64>(class_index_[static_cast<std::size_t>(cls)]) << class_shift_;
            for (std::size_t a = 0; a < key.size(); ++a)
                v |= static_cast<u64>(parts_[a].part[row[key[a] - 1]]) << parts_[a].shift;
            k[0] = v;
            return;
        }
        std::fill_n(k, words_, 0);
        for (std::size_t a = 0; a < key.size(); ++a) put(k, parts_[a].shift, parts_[a].part[row[key[a] - 1]]);
        put(k, class_shift_, class_index_[static_cast<std::size_t>(cls)]);
    }

private:
    // A part of at most 7 bits from bit `at` on.
    static void put(u64* k, int at, int v)
    {
        const auto w = static_cast<std::size_t>(at / 64);
        const int bit = at % 64;
        k[w] |= static_cast<u64>(v) << bit;
        if (bit > 56) k[w + 1] |= static_cast<u64>(v) >> (64 - bit);
    }
    struct Part {
        std::array<int, 256> part;
        int shift;
    };
    std::vector<Part> parts_;
    std::vector<int> class_index_;
    int class_shift_ = 0, bits_ = 0;
    std::size_t words_ = 1;
};

// Groups by key, each slot holding its group: a table indexed by the key
// itself where keys are short (the table no longer than a few times the
// units), else a hash table over the keys' words.
class GroupTable {
public:
    GroupTable(int bits, std::size_t words, std::size_t units)
        : words_(words),
          direct_(bits <= kDirect && (std::size_t{1} << bits) <= std::max<std::size_t>(1 << 16, 4 * units))
    {
        slots_.assign(direct_ ? std::size_t{1} << bits : 1024, -1);
    }
    // Asks for the cache line that find(k) reads first.
    void prefetch(const u64* k) const { __builtin_prefetch(slots_.data() + first(k)); }
    // The slot of key k: its group, or -1 where a new one goes (add()).
    int& find(const u64* k)
    {
        std::size_t s = first(k);
        if (!direct_)
            while (slots_[s] >= 0 && !std::equal(k, k + words_, key_of(slots_[s]))) s = (s + 1) & (slots_.size() - 1);
        return slots_[s];
    }
    // Gives the empty slot of key k (from find()) group g, the next one; the
    // table may grow, which moves every slot.
    void add(const u64* k, int& slot, int g)
    {
        slot = g;
        if (direct_) return;
        keys_.insert(keys_.end(), k, k + words_);
        if (2 * keys_.size() / words_ > slots_.size()) grow();
    }

private:
    static constexpr int kDirect = 24;
    const u64* key_of(int group) const { return keys_.data() + static_cast<std::size_t>(group) * words_; }
    std::size_t first(const u64* k) const
    {
        if (direct_) return static_cast<std::size_t>(k[0]);
        u64 h = 0x9E3779B97F4A7C15ull;
        for (std::size_t j = 0; j < words_; ++j) h = (h ^ k[j]) * 0xFF51AFD7ED558CCDull;
        return static_cast<std::size_t>(h ^ (h >> 29)) & (slots_.size() - 1);
    }
    void grow()
    {
        slots_.assign(2 * slots_.size(), -1);
        const auto groups = static_cast<int>(keys_.size() / words_);
        for (int g = 0; g < groups; ++g) {
            std::size_t s = first(key_of(g));
            while (slots_[s] >= 0) s = (s + 1) & (slots_.size() - 1);
            slots_[s] = g;
        }
    }
    std::size_t words_;
    bool direct_;
    std::vector<int> slots_;
    std::vector<u64> keys_; // per group (hash table)
};

} // namespace

bool group_observations(const stats::AttributeMatrix& abyte, std::span<const float> y,
                        std::span<const std::uint8_t> mask, std::span<const int> weights, std::span<const int> key,
                        int nclasses, double share, ObservationGroups& out)
{
    out = {};
    out.lc = abyte.lc;
    const auto n = static_cast<std::size_t>(std::max(abyte.n, 0));
    nclasses = std::clamp(nclasses, 0, stats::CountTable::max_classes);
    const auto class_of = [&](std::size_t i) {
        return mask[i] && weights[i] != 0 ? stats::y_class(y[i], nclasses) : -1;
    };
    // The bytes each key attribute shows and the classes among the units.
    std::vector<std::array<char, 256>> seen(key.size(), std::array<char, 256>{});
    std::vector<char> classes(static_cast<std::size_t>(nclasses) + 1, 0);
    std::size_t units = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int c = class_of(i);
        if (c < 0) continue;
        if (weights[i] < 0) return false;
        ++units;
        classes[static_cast<std::size_t>(c)] = 1;
        const std::uint8_t* row = abyte.row(static_cast<int>(i));
        for (std::size_t k = 0; k < key.size(); ++k) seen[k][row[key[k] - 1]] = 1;
    }
    const auto most = static_cast<std::size_t>(share * static_cast<double>(units));
    const KeyLayout layout(seen, classes);
    GroupTable table(layout.bits(), layout.words(), units);
    // Keys are made a batch at a time and their slots asked for before they
    // are looked up: the table's lines then arrive while the batch is made.
    constexpr std::size_t kBatch = 256;
    const std::size_t words = layout.words();
    std::vector<u64> keys(kBatch * words);
    std::array<std::size_t, kBatch> obs{};
    // Per group: its first observation and the sum of its weights; the
    // groups' bytes and Ys are copied once the grouping is known to pay.
    std::vector<std::size_t> first_obs;
    std::vector<std::int64_t> totals;
    for (std::size_t from = 0; from < n;) {
        std::size_t m = 0;
        for (; from < n && m < kBatch; ++from) {
            const int c = class_of(from);
            if (c < 0) continue;
            layout.make(abyte.row(static_cast<int>(from)), key, c, keys.data() + m * words);
            table.prefetch(keys.data() + m * words);
            obs[m++] = from;
        }
        for (std::size_t j = 0; j < m; ++j) {
            const u64* k = keys.data() + j * words;
            const std::size_t i = obs[j];
            int& slot = table.find(k);
            int group = slot;
            if (group < 0) {
                if (first_obs.size() >= most) {
                    out = {};
                    return false;
                }
                group = static_cast<int>(first_obs.size());
                table.add(k, slot, group); // may move the slots
                first_obs.push_back(i);
                totals.push_back(0);
            }
            totals[static_cast<std::size_t>(group)] += weights[i];
        }
    }
    const std::size_t groups = first_obs.size();
    out.weights.resize(groups);
    out.abyte.resize(groups * static_cast<std::size_t>(abyte.lc));
    out.y.resize(groups);
    for (std::size_t g = 0; g < groups; ++g) {
        if (totals[g] > std::numeric_limits<int>::max()) {
            out = {};
            return false;
        }
        out.weights[g] = static_cast<int>(totals[g]);
        const std::uint8_t* row = abyte.row(static_cast<int>(first_obs[g]));
        std::copy(row, row + abyte.lc, out.abyte.begin() + static_cast<std::ptrdiff_t>(g * static_cast<std::size_t>(abyte.lc)));
        out.y[g] = y[first_obs[g]];
    }
    out.mask.assign(out.weights.size(), 1);
    out.units = units;
    return true;
}

} // namespace meru::search
