#include "search/direct_path.h"

#include "search/term_budget.h"

#include <algorithm>
#include <utility>

namespace meru::search {

void ShapeTable::clear()
{
    slots_.assign(256, Slot{});
    used_ = 0;
}

int& ShapeTable::at(std::uint64_t key)
{
    if (slots_.empty() || 2 * (used_ + 1) > slots_.size()) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(std::max<std::size_t>(256, 2 * old.size()), Slot{});
        used_ = 0;
        for (const Slot& s : old)
            if (s.used) at(s.key) = s.value;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = slot_of(key) & mask;
    while (slots_[i].used && slots_[i].key != key) i = (i + 1) & mask;
    Slot& s = slots_[i];
    if (!s.used) {
        s.used = true;
        s.key = key;
        ++used_;
    }
    return s.value;
}

DirectScorer::DirectScorer(ClassOrderedSample& sample, std::span<const partition::Literal> literals,
                           std::span<const char> plain, std::vector<partition::Literal> fixed,
                           std::span<const std::int8_t> signbyte, bool skip)
    : sample_(sample), skip_(skip), fixed_(std::move(fixed)), literal_(literals.begin(), literals.end())
{
    int top = 0;
    for (partition::Literal l : literals) top = std::max(top, partition::attribute_of(l));
    plain_.assign(static_cast<std::size_t>(top) + 1, 0);
    position_.assign(plain_.size(), -1);
    bool missing = false;
    std::vector<int> attributes;
    for (partition::Literal l : literals) attributes.push_back(partition::attribute_of(l));
    sample_.columns().prepare(attributes);
    for (std::size_t i = 0; i < literals.size(); ++i) {
        const auto a = static_cast<std::size_t>(partition::attribute_of(literals[i]));
        plain_[a] = plain[i];
        all_plain_ = all_plain_ && plain[i];
        position_[a] = static_cast<int>(i);
        for (int r = 0; r < 2; ++r) {
            cols_[static_cast<std::size_t>(r)].push_back(sample_.columns().literal(
                literals[i], r ? partition::kPlain : partition::kFlipped, signbyte, missing));
            two_valued_ = two_valued_ && !missing;
        }
        // The literals a plain candidate may hold, two valued, are those a
        // pattern holds, each its bit.
        const bool counted = plain[i] && !missing && counted_.size() < PatternCounts::kMaxLiterals;
        bit_.push_back(counted ? static_cast<int>(counted_.size()) : -1);
        if (counted) counted_.push_back(cols_[1].back());
        patternable_ = patternable_ && (counted || !plain[i]);
    }
    item_mask_.assign(fixed_.size() + 1, 0);
    for (std::size_t i = 1; i <= fixed_.size(); ++i) item_mask_[i] = mask_of(fixed_[i - 1]);
}

bool DirectScorer::start(std::span<const int> p)
{
    p_.assign(p.begin(), p.end());
    term_of_.clear();
    term_start_.assign(p_.size() + 1, 0);
    for (std::size_t t = 0; t < p_.size(); ++t) {
        term_of_.insert(term_of_.end(), static_cast<std::size_t>(p_[t]), static_cast<int>(t));
        term_start_[t + 1] = term_start_[t] + static_cast<std::size_t>(p_[t]);
    }
    const std::size_t width = term_of_.size();
    term_of_.push_back(static_cast<int>(p_.size()));
    // Key bits: a sign per position and one per pair of positions in
    // different terms (a term's items are distinct).
    std::size_t pairs = 0;
    start_.assign(width, 0);
    for (std::size_t j = 0; j < width; ++j) {
        start_[j] = term_start_[static_cast<std::size_t>(term_of_[j])];
        pairs += start_[j];
    }
    if (pairs + width > 64) return false;
    key_held_.assign(width, 0);
    key_at_.assign(width + 1, 0);
    const int longest = *std::max_element(p_.begin(), p_.end());
    term_.resize(static_cast<std::size_t>(longest));
    const std::size_t words = sample_.unit_words();
    // Each sense takes half the budget; counted by patterns, no term is stored.
    counting_ = patterns() && p_.size() <= static_cast<std::size_t>(PatternCounts::kMaxTerms);
    const std::size_t budget = stored_term_budget(static_cast<std::size_t>(sample_.units())) / 2;
    const bool build = !counting_ && !shared_ && longest > subsets_k_;
    for (std::size_t r = 0; r < 2; ++r) {
        if (build) subsets_[r].build(cols_[r], words, longest, skip_, budget, sample_.kernels());
        stacks_[r].start(words, static_cast<int>(p_.size()), skip_);

        scratch_[r].resize(p_.size());
        shapes_[r].clear();
        known_[r].fill(Known{});
        memo_ = false;
    }
    if (build) subsets_k_ = longest;
    held_.assign(width, 0);
    masks_.assign(p_.size(), 0);
    const std::size_t before = term_start_[p_.size() - 1];
    run_block_ = static_cast<int>(before + 1);
    runs_ = fixed() && sample_.classes() == 2 && run_block_ < 64 && (counting_ || p_.back() <= subsets(0).k());
    if (runs_ && !counting_) {
        const auto len = static_cast<std::size_t>(p_.back());
        run_base_ = subsets(0).rank_base(len);
        item_rank_.assign((fixed_.size() + 1) * len, 0);
        for (std::size_t i = 1; i <= fixed_.size(); ++i) {
            const int pos = position_[static_cast<std::size_t>(partition::attribute_of(fixed_[i - 1]))];
            for (std::size_t j = 0; j < len; ++j) item_rank_[i * len + j] = subsets(0).rank_part(pos, j);
        }
    }
    return true;
}

bool DirectScorer::count_patterns(const stats::ParallelFor& parallel)
{
    if (patterns_) return true;
    if (!fixed() || !patternable_ || !PatternCounts::fits(sample_)) return false;
    patterns_ = std::make_unique<PatternCounts>(sample_, counted_, parallel);
    return true;
}

bool DirectScorer::count_list(const partition::TermList& list, int sense, stats::CountTable& out)
{
    const PatternCounts* counts = patterns();
    if (!counts || list.q() > PatternCounts::kMaxTerms) return false;
    const auto place = [&](int attribute) {
        const auto a = static_cast<std::size_t>(attribute);
        const int pos = a < position_.size() ? position_[a] : -1;
        const auto p = static_cast<std::size_t>(pos);
        return pos < 0 ? std::pair{-1, partition::Literal{}} : std::pair{bit_[p], literal_[p]};
    };
    list_terms_.clear();
    std::size_t at = 0;
    for (int len : list.lp) {
        PatternTerm t;
        if (!pattern_term(std::span(list.lits).subspan(at, static_cast<std::size_t>(len)), sense, place, t))
            return false;
        list_terms_.push_back(t);
        at += static_cast<std::size_t>(len);
    }
    return counts->table(sense == partition::kPlain ? 1 : 0, list_terms_, out);
}

void DirectScorer::begin_run(std::span<const partition::Literal> lits)
{
    prepare(lits);
    key(lits);
    const std::size_t before = term_start_[p_.size() - 1];
    if (counting_) pattern_run_.begin(*patterns(), std::span(masks_).first(p_.size() - 1));
    run_key_ = key_at_[before];
    // As key() adds a literal of the last term: its sign, then whether it is
    // each literal before the last term.
    item_bits_.resize(fixed_.size() + 1);
    for (std::size_t i = 1; i <= fixed_.size(); ++i) {
        const partition::Literal l = fixed_[i - 1];
        const int b = partition::attribute_of(l);
        std::uint64_t k = l < 0 ? 1u : 0u;
        for (std::size_t e = 0; e < before; ++e) k = (k << 1) | (partition::attribute_of(lits[e]) == b);
        item_bits_[i] = k;
    }
}

void DirectScorer::count_run(int r, std::span<const std::size_t> ranks, std::span<ClassOrderedSample::Cells> out)
{
    const auto side = static_cast<std::size_t>(r);
    run_at_.resize(ranks.size());
    for (std::size_t i = 0; i < ranks.size(); ++i) run_at_[i] = subsets(side).at_rank(ranks[i]);
    count_lasts(r, run_at_, out);
}

void DirectScorer::count_lasts(int r, std::span<const std::uint64_t* const> lasts,
                               std::span<ClassOrderedSample::Cells> out)
{
    const auto side = static_cast<std::size_t>(r);
    const int q = static_cast<int>(p_.size());
    const TermWords before = q > 1 ? stacks_[side].words(q - 2) : subsets(side).none();
    sample_.partab_run(before, lasts, skip_, r, out, two_valued_);
}

std::uint64_t DirectScorer::key(std::span<const partition::Literal> lits)
{
    // The shape is the signs and which pairs of positions in different terms
    // hold one attribute, taken position by position, so that the bits of the
    // literals a candidate shares with the one before are kept.
    const std::size_t width = lits.size();
    std::size_t i = 0;
    while (i < width && lits[i] == key_held_[i]) ++i;
    std::uint64_t k = key_at_[i];
    for (std::size_t j = i; j < width; ++j) {
        key_held_[j] = lits[j];
        k = (k << 1) | (lits[j] < 0 ? 1u : 0u);
        const int b = partition::attribute_of(lits[j]);
        for (std::size_t e = 0; e < start_[j]; ++e) k = (k << 1) | (partition::attribute_of(lits[e]) == b);
        key_at_[j + 1] = k;
    }
    return key_at_[width];
}

void DirectScorer::prepare(std::span<const partition::Literal> lits)
{
    const std::size_t width = lits.size(), q = p_.size();
    if (counting_) { // each term's bits
        for (std::size_t t = 0; t < q; ++t) {
            std::uint32_t m = 0;
            for (std::size_t j = term_start_[t]; j < term_start_[t + 1]; ++j) m |= mask_of(lits[j]);
            masks_[t] = m;
        }
        return;
    }
    partition::Literal* held = held_.data();
    // The term of the first literal that differs from the held candidate; it
    // and every term after it are made again, for both senses (their stored
    // terms share ranks).
    std::size_t i = 0;
    while (i < width && lits[i] == held[i]) ++i;
    if (i == width) return;
    for (auto t = static_cast<std::size_t>(term_of_[i]); t < q; ++t) {
        const std::size_t at = term_start_[t], len = static_cast<std::size_t>(p_[t]);
        for (std::size_t j = 0; j < len; ++j)
            term_[j] = position_[static_cast<std::size_t>(partition::attribute_of(lits[at + j]))];
        const std::span<const int> pos(term_.data(), len);
        const std::size_t rank = subsets(0).rank(pos);
        // With fixed literals a last term seldom comes back: it is made into
        // its place's own words, which stay in the cache, and not kept.
        const bool keep = rank == SubsetColumns::kNone && !(fixed() && t + 1 == q);
        const std::size_t slot = keep ? made_term(t, pos) : kMadeSlots;
        // A last term of a stored term and one more literal is counted as that,
        // where the sample can (see count()).
        const bool joinable = t + 1 == q && rank == SubsetColumns::kNone && !keep && sample_.joined();
        for (std::size_t side = 0; side < 2; ++side) {
            const SubsetColumns& sub = subsets(side);
            if (joinable && sub.joined(pos, joined_[side].held, joined_[side].fail)) {
                last_[side] = nullptr;
                continue;
            }
            const std::uint64_t* words = rank != SubsetColumns::kNone ? sub.at_rank(rank)
                                         : slot < kMadeSlots          ? made_[t].words[side][slot].data()
                                                                      : sub.made(pos, scratch_[side][t]);
            if (t + 1 < q) stacks_[side].set(static_cast<int>(t), sub.words(words));
            else last_[side] = words;
        }
    }
    for (; i < width; ++i) held[i] = lits[i];
}

std::size_t DirectScorer::made_term(std::size_t t, std::span<const int> pos)
{
    // Up to four positions, each below 2^15, make the key (never 0).
    if (pos.size() > 4) return kMadeSlots;
    if (made_.size() <= t) made_.resize(t + 1);
    MadeTerms& m = made_[t];
    std::uint64_t key = 0;
    for (const int p : pos) {
        if (p < 0 || p >= 0x7fff) return kMadeSlots;
        key = (key << 15) | static_cast<std::uint64_t>(p + 1);
    }
    const auto slot = [&] {
        std::size_t i = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 58);
        while (m.key[i] != 0 && m.key[i] != key) i = (i + 1) % kMadeSlots;
        return i;
    };
    std::size_t i = slot();
    if (m.key[i] == key) return i;
    // At most half the slots in use: a full table starts again.
    if (2 * (m.used + 1) > kMadeSlots) {
        m.key.fill(0);
        m.used = 0;
        i = slot();
    }
    m.key[i] = key;
    ++m.used;
    for (std::size_t r = 0; r < 2; ++r) subsets(r).made(pos, m.words[r][i]);
    return i;
}

const std::uint64_t* DirectScorer::last(int r)
{
    const auto side = static_cast<std::size_t>(r);
    // prepare() leaves the last term's positions in term_.
    const std::span<const int> pos(term_.data(), static_cast<std::size_t>(p_.back()));
    if (!last_[side]) last_[side] = subsets(side).made(pos, scratch_[side][p_.size() - 1]);
    return last_[side];
}

void DirectScorer::count(int r, stats::CountTable& out)
{
    if (counting_) {
        patterns()->table(r, masks_, out);
        return;
    }
    const auto side = static_cast<std::size_t>(r);
    const int q = static_cast<int>(p_.size());
    const TermWords before = q > 1 ? stacks_[side].words(q - 2) : subsets(side).none();
    if (!last_[side]) sample_.partab_joined(before, joined_[side].held, joined_[side].fail, r, out);
    else sample_.partab_terms(before, subsets(side).words(last_[side]), skip_, r, out, two_valued_);
}

void DirectScorer::table(std::span<const partition::Literal> lits, int r, stats::CountTable& out)
{
    prepare(lits);
    count(r, out);
}

void DirectScorer::score(const DirectJobs& jobs, std::size_t from, std::size_t to, Evaluator& ev,
                         std::span<Score> out, const std::atomic<bool>& cancel)
{
    for (std::size_t j = from; j < to && !cancel.load(std::memory_order_relaxed); ++j) {
        const DirectJobs::Job& job = jobs.jobs[j];
        if (job.kind != DirectJobs::kScore) continue;
        table(jobs.lits_of(job), job.side, counts_);
        out[j] = ev.score_table(counts_);
    }
}

} // namespace meru::search
