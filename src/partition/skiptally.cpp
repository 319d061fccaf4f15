#include "partition/skiptally.h"

#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

namespace meru::partition {

namespace {

constexpr const char* kReasonText[kSkipReasons + 1] = {
    "",
    " Array or Algebra Fail in REDUCE",
    " Dummies and already covered",
    " Null partition N=0",
    " Failure in TRANS . Arrays ?",
    " Failure in EXPAND. Arrays?",
    " Less than initial specified \"upto\"",
    " q+q'-1 exceeded (calculated)",
    " Already covered; no added attribute",
    " (p1,1,1,1) subset of (q,q,..q)",
    " p(1)=q=1 covered in past cycles",
    " user interrupted search",
    " search is null or G<=0",
    " transpose covered by \"upto\"",
    " q+q'-1 exceeded (predicted)",
    " Incompatible A and A-",
};

} // namespace

std::string skip_reason(int code)
{
    if (code < 1 || code > kSkipReasons) return std::string(40, ' ');
    return io::fmt_a(kReasonText[code], 40);
}

void skip_add(SkipTally& tally, int code, long long n)
{
    if (code < 1 || code > kSkipReasons) return;
    tally.count[static_cast<size_t>(code)] += n;
}

long long skip_report(SkipTally& tally, bool detailed, io::LogWriter& log)
{
    long long total = 0;
    for (int k = 1; k <= kSkipReasons; ++k) {
        long long& c = tally.count[static_cast<size_t>(k)];
        if (c == 0) continue;
        if (k == kSkipTransFail || k == kSkipExpandFail)
            log.write(std::string("NOTE: MAXP exceedance violated in ") + (k == kSkipTransFail ? "TRANS" : "EXPAND") +
                      io::fmt_i(c, 5) + " times. Combination skipped");
        if (k != kSkipInterrupted) total += c;
        if (detailed) {
            const std::string text = skip_reason(k);
            if (k == 9 || k == 10 || k == 12) log.write(io::fmt_x(5) + " All are skipped because " + text);
            else if (k == kSkipInterrupted)
                log.write(io::fmt_x(5) + " Remaining " + io::fmt_i(c, 6) + " lost because " + text);
            else if (c == 1) log.write(" " + io::fmt_i(c, 6) + " is  skipped because " + text);
            else log.write(" " + io::fmt_i(c, 6) + " are skipped because " + text);
        }
        c = 0;
    }
    return total;
}

} // namespace meru::partition
