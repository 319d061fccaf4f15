#include "stats/analysis_sample.h"

#include "files/tables.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/count_table.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace meru::stats {

namespace {

void require(bool ok, const char* what)
{
    if (!ok) throw std::invalid_argument(what);
}

void copy_weights(std::span<const int> obswt, std::span<int> grpwt, std::size_t n)
{
    std::copy_n(obswt.begin(), n, grpwt.begin());
}

} // namespace

std::vector<int> attributes_in_use(const files::ControlTables& tables, std::span<const int> lines)
{
    std::vector<int> out;
    for (int k : lines) {
        if (k < 1 || k > tables.nlines || static_cast<std::size_t>(k) >= tables.line.size()) continue;
        const auto& l = tables.line[static_cast<std::size_t>(k)];
        out.push_back(l.first_attribute() - 1 + l.inuse);
    }
    return out;
}

std::vector<int> flagged_attributes(const files::ControlTables& tables, std::span<const int> lines,
                                    std::span<const std::uint8_t> inuse)
{
    std::vector<int> out;
    for (int k : lines) {
        if (k < 1 || k > tables.nlines || static_cast<std::size_t>(k) >= tables.line.size()) continue;
        const auto& l = tables.line[static_cast<std::size_t>(k)];
        for (int a = l.first_attribute(); a < l.first_attribute() + l.ncuts; ++a)
            if (a >= 1 && static_cast<std::size_t>(a) < inuse.size() && inuse[static_cast<std::size_t>(a)])
                out.push_back(a);
    }
    return out;
}

bool complete_in(std::span<const int> attributes, const AttributeMatrix& abyte, int i)
{
    const std::uint8_t* row = abyte.row(i);
    return std::none_of(attributes.begin(), attributes.end(), [row](int a) { return row[a - 1] == kMissingByte; });
}

double sampmask(std::span<const int> attributes, const AttributeMatrix& abyte, std::span<const std::uint8_t> basemask,
                std::span<std::uint8_t> samplemask, bool check, bool bypass, bool keep, std::span<const int> obswt,
                io::LogWriter& log)
{
    const auto n = static_cast<std::size_t>(abyte.n);
    require(samplemask.size() >= n && obswt.size() >= n && (keep || basemask.size() >= n),
            "sampmask: arrays shorter than the observations");
    for (int a : attributes) require(a >= 1 && a <= abyte.lc, "sampmask: attribute outside the attribute matrix");

    const bool checking = check && !bypass;
    std::int64_t total = 0, kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!keep) samplemask[i] = basemask[i] ? 1 : 0;
        if (!samplemask[i]) continue;
        total += obswt[i];
        if (!checking) continue;
        if (complete_in(attributes, abyte, static_cast<int>(i))) kept += obswt[i];
        else samplemask[i] = 0;
    }
    if (!checking) return 0.0;

    log.write(" Complete data for attribute set " + io::fmt_i(kept, 7) + " observations");
    const double pct = total > 0 ? static_cast<double>(total - kept) * 100.0 / static_cast<double>(total) : 0.0;
    if (total > kept)
        log.write("NOTE: attrition by discarding incomplete obs=" + io::fmt_f(pct, 6, 1) + "% from " +
                  io::fmt_i(total, 7) + " to " + io::fmt_i(kept, 7));
    return pct;
}

TurboResult turbo(const TurboInput& in, const AttributeMatrix& abyte, std::span<const int> key_attributes,
                  std::span<const std::uint8_t> samplemask, std::span<const int> obswt, std::span<int> grpwt,
                  io::LogWriter* report)
{
    const auto n = static_cast<std::size_t>(abyte.n);
    require(obswt.size() >= n && grpwt.size() >= n, "turbo: weights shorter than the observations");
    TurboResult r;
    copy_weights(obswt, grpwt, n);
    if (!in.on) return r;
    if (!in.single_y) {
        if (report) report->write(" Turbo cannot be used for multivariate Y");
        return r;
    }
    const int levels = static_cast<int>(in.distinct.size());
    if (levels > 10) {
        if (report) report->write(" Turbo cannot be used: >10 distinct Y");
        return r;
    }
    const int nkey = static_cast<int>(key_attributes.size());
    if (nkey + levels > 16) {
        if (report) report->write(" Turbo cannot be used. Binary list length=" + io::fmt_i(nkey + 1, 5) + "(>15)");
        return r;
    }
    require(in.y.size() >= n && samplemask.size() >= n, "turbo: Y or mask shorter than the observations");
    for (int a : key_attributes) require(a >= 1 && a <= abyte.lc, "turbo: attribute outside the attribute matrix");

    // Cell = the key bytes as binary digits + 2^nkey * (index of the Y value).
    const std::size_t ncells = (std::size_t{1} << nkey) * static_cast<std::size_t>(std::max(levels, 1));
    std::vector<std::int64_t> weight(ncells, 0);
    std::vector<int> last(ncells, -1);
    for (std::size_t i = 0; i < n; ++i) {
        if (!samplemask[i]) continue;
        const float y = in.y[i];
        if (!(y >= 0.0f)) continue; // missing Y keeps its own weight
        const auto level = std::find(in.distinct.begin(), in.distinct.end(), y) - in.distinct.begin();
        if (level >= levels) continue; // not one of the values: kept by itself
        const std::uint8_t* row = abyte.row(static_cast<int>(i));
        std::size_t cell = static_cast<std::size_t>(level) << nkey;
        bool complete = true;
        for (int j = 0; j < nkey && complete; ++j) {
            const std::uint8_t b = row[key_attributes[static_cast<std::size_t>(j)] - 1];
            if (b == 1) cell |= std::size_t{1} << j;
            else if (b != 0) complete = false;
        }
        if (!complete) continue;
        weight[cell] += obswt[i];
        last[cell] = static_cast<int>(i);
        grpwt[i] = 0;
    }
    const bool fits = std::all_of(weight.begin(), weight.end(), [](std::int64_t w) {
        return w >= std::numeric_limits<int>::min() && w <= std::numeric_limits<int>::max();
    });
    if (!fits) { // a group weight would not fit an analysis weight: keep the observations apart
        copy_weights(obswt, grpwt, n);
        return r;
    }
    for (std::size_t c = 0; c < ncells; ++c) {
        if (last[c] < 0) continue;
        grpwt[static_cast<std::size_t>(last[c])] = static_cast<int>(weight[c]);
        if (weight[c] != 0) ++r.groups;
    }
    r.used = true;
    if (report) report->write(io::list_record(" Turbo used: collapsed no. of groups ", r.groups));
    return r;
}

YRange yrange(std::span<const float> y, std::span<const int> weights, std::span<const std::uint8_t> mask)
{
    require(weights.size() >= y.size() && mask.size() >= y.size(), "yrange: weights or mask shorter than Y");
    YRange r;
    bool any = false;
    double sum = 0.0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        if (!mask[i] || !(y[i] >= 0.0f)) continue;
        if (!any || y[i] < r.min) r.min = y[i];
        if (!any || y[i] > r.max) r.max = y[i];
        any = true;
        r.weight += weights[i];
        sum += static_cast<double>(weights[i]) * y[i];
    }
    r.mean = r.weight != 0 ? sum / static_cast<double>(r.weight) : 0.0;
    return r;
}

int y_class_count(float ymax)
{
    if (!(ymax >= 0.0f)) return 1;
    if (ymax >= static_cast<float>(CountTable::max_classes)) return CountTable::max_classes;
    return static_cast<int>(ymax) + 1;
}

} // namespace meru::stats
