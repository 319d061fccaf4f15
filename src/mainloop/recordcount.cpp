#include "mainloop/recordcount.h"

#include "platform/io/safe_files.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace meru::mainloop {

void RecordCounter::lone_cr(bool in_first_record)
{
    ++lone_crs_;
    if (in_first_record) hascr_ = true;
}

void RecordCounter::feed(std::string_view b)
{
    if (b.empty()) return;
    // A carriage return that ended the last piece: every line feed read so far
    // came before it.
    if (pending_cr_ && b.front() != '\n') lone_cr(!seen_lf_);
    pending_cr_ = false;
    const char* p = b.data();
    const std::size_t size = b.size();
    const void* lf = std::memchr(p, '\n', size);
    const std::size_t first_lf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - p) : size;
    // Carriage returns are rare: each one is looked at where memchr finds it.
    for (const void* cr = std::memchr(p, '\r', size); cr;) {
        const std::size_t k = static_cast<std::size_t>(static_cast<const char*>(cr) - p);
        if (k + 1 == size) {
            pending_cr_ = true;
            break;
        }
        if (p[k + 1] != '\n') lone_cr(!seen_lf_ && k < first_lf);
        cr = std::memchr(p + k + 1, '\r', size - k - 1);
    }
    for (const char* q = static_cast<const char*>(lf); q;
         q = static_cast<const char*>(std::memchr(q + 1, '\n', size - static_cast<std::size_t>(q + 1 - p))))
        ++feeds_;
    if (lf) seen_lf_ = true;
    if (!freefmt_ && std::memchr(p, '\0', size)) nul_ = true;
    any_ = true;
    last_ = b.back();
}

RecordCount RecordCounter::finish() const
{
    RecordCount rc;
    // A carriage return that ends the file is lone.
    const long long lone = lone_crs_ + (pending_cr_ ? 1 : 0);
    const bool hascr = hascr_ || (pending_cr_ && !seen_lf_);
    long long n = feeds_;
    if (freefmt_) {
        rc.hascr = hascr;
        if (hascr) n += lone;
        // The last record counts unless its line end was counted (a final carriage
        // return of a file whose lines end in one).
        if (any_ && last_ != '\n' && !(hascr && last_ == '\r')) ++n;
    } else {
        if (nul_) {
            rc.bad = true;
            return rc;
        }
        n += lone;
        if (any_ && last_ != '\n' && last_ != '\r') ++n;
    }
    rc.n = static_cast<int>(std::min<long long>(n, INT_MAX));
    return rc;
}

RecordCount count_records(std::string_view bytes, bool freefmt)
{
    RecordCounter c(freefmt);
    c.feed(bytes);
    return c.finish();
}

RecordCount count_file_records(const std::string& path, bool freefmt, std::string& why)
{
    RecordCounter c(freefmt);
    why = io::read_file_blocks(path, [&](std::string_view block) { c.feed(block); });
    return c.finish();
}

} // namespace meru::mainloop
