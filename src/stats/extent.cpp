#include "stats/extent.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"

#include <algorithm>

namespace meru::stats {

SizeRead read_sizes(std::string_view text, std::vector<int>& p)
{
    p.clear();
    for (const std::string& token : files::splitline(text, ',', 8)) {
        if (token.empty()) continue;
        const auto v = io::parse_int(token);
        if (!v) return SizeRead::bad_number;
        p.push_back(static_cast<int>(std::clamp<long long>(*v, -1000000, 1000000)));
    }
    if (p.empty()) return SizeRead::empty;
    for (int v : p)
        if (v < 1) return SizeRead::not_positive;
    for (std::size_t j = 1; j < p.size(); ++j)
        if (p[j] > p[j - 1]) return SizeRead::not_descending;
    if (p[0] > kMaxSize || static_cast<int>(p.size()) > kMaxSize) return SizeRead::too_large;
    return SizeRead::ok;
}

void set_extent(ExtentSettings& e, std::vector<int> bounds)
{
    e.bounds = std::move(bounds);
    if (e.upto) e.start = {1, {1}, {e.bounds.front()}, 0};
    else e.start = {e.qmax(), e.bounds, e.bounds, 0};
    const bool single = e.qmax() == 1 && e.bounds.front() == 1;
    switch (e.side) {
    case Side::Both:
        e.first_side = 0;
        e.last_side = single ? 0 : 1;
        e.one_side = single;
        break;
    case Side::AMinusOnly:
        e.first_side = e.last_side = 0;
        e.one_side = true;
        break;
    case Side::AOnly:
        e.first_side = e.last_side = 1;
        e.one_side = true;
        break;
    }
}

bool nextsize(SizeWalk& w, const std::vector<int>& bounds, int n)
{
    for (int k = 0; k < w.q; ++k) {
        if (w.p[k] < w.curbounds[k]) {
            const int v = w.p[k] + 1;
            std::fill(w.p.begin(), w.p.begin() + k + 1, v);
            return true;
        }
    }
    if (w.q >= static_cast<int>(bounds.size())) return false;
    w.q += 1;
    w.curbounds.assign(bounds.begin(), bounds.begin() + w.q);
    w.p.assign(static_cast<std::size_t>(w.q), 1);
    w.companion = n - w.q + 1;
    return true;
}

void itercheck(ExtentSettings& e, Notices& told)
{
    const bool was_upto = e.upto;
    if (!e.upto) {
        told.add_help("NOTE: up to in iterative mode");
        e.upto = true;
        e.start = {1, {1}, {e.bounds.empty() ? 1 : e.bounds.front()}, 0};
    }
    if ((!was_upto || e.start.q == 1) && !e.start.p.empty() && e.start.p.front() == 1 && !e.iter_note_shown) {
        told.add_help("NOTE: q=1 and p_1=1");
        e.iter_note_shown = true;
    }
}

namespace {

// The size vector as a blank and 2-digit numbers, in 11 characters.
std::string shape_field(const std::vector<int>& p)
{
    std::string s = " ";
    for (std::size_t j = 0; j < p.size() && j < 10; ++j) s += io::fmt_i(p[j], 2);
    return io::fmt_a(s, 11);
}

std::string mark(bool exact) { return exact ? " " : "~"; }

} // namespace

void ExtentBox::reset()
{
    count_ = 0;
    lines_.clear();
    classes_ = exclusions_ = searches_ = done_ = skipped_ = 0;
}

void ExtentBox::add(const BoxLine& b)
{
    count_ += 1;
    if (!b.all_skipped) {
        classes_ += b.classes;
        exclusions_ += b.exclusions;
        searches_ += b.searches;
        done_ += b.done;
        skipped_ += b.skipped;
    }
    // The last stored line is kept for the closing line.
    if (static_cast<int>(lines_.size()) >= kMaxLines - 1) return;
    std::string s = shape_field(b.p) + "| " + io::fmt_i(b.classes, 7) + mark(b.classes_exact);
    if (b.all_skipped) {
        s += " All skipped; subset of ";
        for (std::size_t j = 0; j < b.subset_of.size() && j < 10; ++j) s += io::fmt_i(b.subset_of[j], 2);
    } else {
        s += io::fmt_i(b.exclusions, 7) + "   " + io::fmt_f(b.subsearch, 5, 1) + mark(b.subsearch_exact) + "   " +
             io::fmt_i(b.searches, 7) + mark(b.searches_exact) + "   |" + io::fmt_i(b.done, 7) + " " +
             io::fmt_i(b.skipped, 6);
    }
    lines_.push_back(io::fmt_a(s, kWidth));
}

std::vector<std::string> ExtentBox::print(bool detailout)
{
    const std::string overall = " Overall  |" + io::fmt_i(classes_, 7) + " " + io::fmt_i(exclusions_, 7) +
                                std::string(12, ' ') + io::fmt_i(searches_, 7) + " " + "   |" + io::fmt_i(done_, 7) +
                                " " + io::fmt_i(skipped_, 6);
    lines_.push_back(io::fmt_a(overall, kWidth));
    std::vector<std::string> out;
    if (!detailout) return out;
    const std::string dashes = " " + std::string(kWidth, '-');
    out.push_back(std::string(20, ' ') + " SEARCH EXTENT BOX");
    out.push_back(dashes);
    out.push_back(std::string("|           |             ANTICIPATED               |") + "        ACTUAL        |");
    out.push_back(std::string("| p_1...p_q | #Class   #Excl  #SubSch #Search |") + " #Done    #Skipped    |");
    out.push_back(dashes);
    for (const std::string& l : lines_) out.push_back(" |" + l + "|");
    out.push_back(dashes);
    return out;
}

} // namespace meru::stats
