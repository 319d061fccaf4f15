#include "search/search_summary.h"

#include "partition/termops.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace meru::search {

namespace {

std::string title(int n, const SummaryMode& mode)
{
    if (mode.crossval) return io::fmt_i(n, 2) + "-fold cross-validated error estimates.";
    if (mode.bootstrap) return " Bootstrap samples. Resubstitution error";
    if (mode.training_and_test) return " Training and test sample. Resubstitution and test error";
    if (mode.training_only) return " Training sample only. Resubstitution (training) error";
    return "Search Summary:";
}

// The widths of the columns that hold counts and G_beta: their usual widths,
// widened for the whole table when a value of one search needs more (an
// 8-digit count, a sample of 100,000, a mean-square G on a large Y), so that
// nothing turns into "*" and every row stays under its heading.
struct Columns {
    int evaluated = 6, gbeta = 11, nobs = 5, test_n = 7;

    explicit Columns(std::span<const SearchRecord> records)
    {
        const auto width = [](const std::string& s) { return static_cast<int>(s.size()); };
        for (const SearchRecord& r : records) {
            evaluated = std::max(evaluated, width(std::to_string(r.evaluated)));
            gbeta = std::max(gbeta, width(io::fmt_f(r.gbeta, 11, 5)));
            nobs = std::max(nobs, width(std::to_string(r.nobs)));
            test_n = std::max(test_n, width(std::to_string(r.test_n)));
        }
    }
    // Columns the table has beyond its usual 82.
    int extra() const { return evaluated - 6 + gbeta - 11 + nobs - 5 + test_n - 7; }
    std::string header() const
    {
        return "  Search " + io::fmt_x(evaluated - 6) + "#parts  Complexity  " + io::fmt_x(gbeta - 11) +
               "Penalised_eff. Resub_error  " + io::fmt_x(nobs - 5) + "Resub_n  Test_error   " +
               io::fmt_x(test_n - 7) + "Test_n";
    }
    std::string rule() const
    {
        return std::string(5, ' ') + std::string(static_cast<std::size_t>(82 + extra()), '-');
    }
};

// "-" in the units place of an Fw.2 percentage: an error that is not there (no
// test sample) or that the criterion does not define (log-rank records -1).
std::string no_error(int width)
{
    return std::string(static_cast<std::size_t>(width - 4), ' ') + "-" + std::string(4, ' ');
}

std::string percent(float error, int width) { return error < 0 ? no_error(width) : io::fmt_f(error, width, 2) + "%"; }

std::string row(int k, const SearchRecord& r, bool training_only, const Columns& c)
{
    const std::string test = training_only || r.test_n == 0 ? no_error(10) : percent(r.test_error, 10);
    return io::fmt_x(3) + io::fmt_i(k, 2) + io::fmt_x(1) + io::fmt_i(r.evaluated, c.evaluated) + io::fmt_x(7) +
           io::fmt_i(r.complexity, 2) + io::fmt_x(9) + io::fmt_f(r.gbeta, c.gbeta, 5) + io::fmt_x(4) +
           percent(r.resub_error, 7) + io::fmt_x(2) + io::fmt_i(r.nobs, c.nobs) + io::fmt_x(3) + test + io::fmt_x(2) +
           io::fmt_i(r.test_n, c.test_n);
}

} // namespace

void searchsum(std::span<const SearchRecord> records, const SummaryMode& mode, std::span<const std::string> ynames,
               io::LogWriter& log)
{
    const int n = static_cast<int>(records.size());
    if (n == 0) {
        log.write("Cannot compute summary. No information");
        return;
    }
    const Columns columns(records);
    log.write(title(n, mode));
    log.write(columns.header());
    log.write(columns.rule());

    // Searches of a serial analysis are compared with the searches of their own Y:
    // ys[y] is each Y in the order met (one blank name when none are given),
    // group[k] search k's, with the searches and the unique partitions of each.
    std::vector<std::string> ys;
    std::vector<int> group(static_cast<size_t>(n)), searches, unique;
    for (int k = 0; k < n; ++k) {
        const std::string name = static_cast<size_t>(k) < ynames.size() ? ynames[static_cast<size_t>(k)] : "";
        const auto y = static_cast<size_t>(std::find(ys.begin(), ys.end(), name) - ys.begin());
        if (y == ys.size()) {
            ys.push_back(name);
            searches.push_back(0);
            unique.push_back(0);
        }
        group[static_cast<size_t>(k)] = static_cast<int>(y);
        ++searches[y];
    }

    double total = 0, errsum = 0, varsum = 0;
    // identical[j]: the later searches whose partition equals search j's.
    std::vector<std::vector<int>> identical(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        const SearchRecord& r = records[static_cast<size_t>(k)];
        const int y = group[static_cast<size_t>(k)];
        if (!ys[static_cast<size_t>(y)].empty()) log.write("Y: " + ys[static_cast<size_t>(y)]);
        log.write(row(k + 1, r, mode.training_only, columns));
        if (mode.crossval && r.test_n > 0 && r.test_error >= 0) {
            const double p = r.test_error / 100.0;
            total += r.test_n;
            errsum += r.test_n * static_cast<double>(r.test_error);
            varsum += r.test_n * p * (1 - p);
        }
        int same = -1;
        for (int j = 0; j < k && same < 0; ++j)
            if (group[static_cast<size_t>(j)] == y &&
                partition::pequal(records[static_cast<size_t>(j)].flag, records[static_cast<size_t>(j)].list, r.flag,
                                  r.list))
                same = j;
        if (same >= 0) identical[static_cast<size_t>(same)].push_back(k + 1);
        else ++unique[static_cast<size_t>(y)];
    }
    log.write(columns.rule());

    if (mode.crossval) {
        std::string line = std::string(42, ' ') + "Cross-validated average";
        if (total == 0) line += io::fmt_x(5) + "No data!";
        else
            line += io::fmt_x(4) + io::fmt_f(errsum / total, 7, 2) + "% (SE" +
                    io::fmt_f(100.0 * std::sqrt(varsum) / total, 6, 2) + "%)";
        log.write(line);
    }
    if (mode.priors) log.write("NOTE: errors based on adjusted counts for user specified priors");
    if (!mode.bootstrap && !mode.crossval) return;
    for (int j = 0; j < n; ++j) {
        const std::vector<int>& later = identical[static_cast<size_t>(j)];
        if (later.empty()) continue;
        std::string line = " Search " + io::fmt_i(j + 1, 2) + " definition identical to search(es)";
        for (size_t i = 0; i < later.size(); ++i) {
            if (i > 0 && i % 10 == 0) {
                log.write(line);
                line.clear();
            }
            line += " " + io::fmt_i(later[i], 2);
        }
        log.write(line);
    }
    for (size_t y = 0; y < ys.size(); ++y) {
        if (!ys[y].empty()) log.write("Y: " + ys[y]);
        if (unique[y] == searches[y]) log.write(" All optimal partitions are unique");
        else log.write(" # of unique optimal partitions=" + io::list_int(unique[y]));
    }
}

} // namespace meru::search
