#pragma once
// Counts of the candidate combinations a search drops before scoring them, by
// reason, and the report that writes them to the output log and empties them.
// The tally is a plain struct owned by the main routine and passed to everything
// that counts into it (the transposition, the expansion, the candidate building,
// the search driver).
#include <array>
#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

inline constexpr int kSkipReasons = 15;

// Reason codes that the engine itself counts.
inline constexpr int kSkipReduceFail = 1; // " Array or Algebra Fail in REDUCE"
inline constexpr int kSkipNullPartition = 3;
inline constexpr int kSkipTransFail = 4;
inline constexpr int kSkipExpandFail = 5;
inline constexpr int kSkipUpto = 6;
inline constexpr int kSkipCovered = 8;
inline constexpr int kSkipInterrupted = 11; // reported, never part of the total

struct SkipTally {
    std::array<long long, kSkipReasons + 1> count{}; // [1..15]; [0] unused
};

// The reason text of code 1..15, exactly 40 characters (blank-padded).
std::string skip_reason(int code);

// Adds n to the counter of `code` (1..15; other codes are ignored).
void skip_add(SkipTally& tally, int code, long long n = 1);

// The report: writes the lines of every non-zero counter in code order to the log
// (the MAXP lines of codes 4 and 5 always, the others under "Detailed output"),
// empties the counters and returns their total (code 11 left out).
long long skip_report(SkipTally& tally, bool detailed, io::LogWriter& log);

} // namespace meru::partition
