#pragma once
// The text form of a term list: each term in parentheses, its literals separated
// by blanks, a minus sign marking a complement: "(3 -2)(-6)(2 4)". The text is
// 200 columns, blank-padded. A text that represents A- is written and read with
// every literal negated, because the A- list holds negated literals.
#include "partition/termlist.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

inline constexpr int kTextLen = 200;    // columns of a partition text
inline constexpr int kWriteLimit = 195; // no literal starts at this column or later
inline constexpr int kTokenDigits = 5;  // an attribute number has at most 5 digits

// Writes the list as text. `form` nonzero: the list is A, written as it is, and
// `aminus` is cleared; zero: the list is the A- list, every literal is written
// negated, and `aminus` is set. An empty list gives a blank text. Only whole terms
// are written: a term one of whose literals would start at column 195 or later is
// left out with every term after it, so a list too long for the text gives the
// text of its leading terms (never a term cut short, which would read back as
// another term). Callers that keep the text check text_fits first.
std::string parttext(const TermList& list, int form, bool& aminus);
// True when parttext(list, form, ...) writes the whole list (no literal would
// start at column 195 or later).
bool text_fits(const TermList& list, int form = 1);

// The text kept as the Manual partition dialog's start text: the list's text when
// it fits; else a blank text and the log line "NOTE: partition too long for its
// 200-column text. Manual partition text left blank" (the text of its leading
// terms would be taken for the whole partition).
std::string dialog_text(const TermList& list, int form, bool& aminus, io::LogWriter& log);

// One tokenizing pass over a text (its first 200 columns).
struct TokenPass {
    std::vector<std::string> tokens; // each a sign and at most 5 further characters
    std::vector<bool> overlong;      // the token's run held more characters than that
    std::vector<int> lp;             // term lengths
    bool bad = false;                // cannot be read as it stands
    bool query = false;              // accepted with a doubtful construction
    bool open_seen = false;          // "(" seen
    bool close_seen = false;         // ")" seen (not one right after "(")
    bool cut = false;                // the last term is open and runs to column 200
};
TokenPass parsetext(std::string_view text);

// Repairs a bad text in place where it can: inserts "(" at column 1 when there is
// none, or ")" after the last non-blank column when "(" was seen but no ")".
// Passes and repairs repeat until a pass is good or no repair applies.
// Returns the last pass; its `bad` is true when the text could not be repaired.
TokenPass parse_with_repairs(std::string& text);

// A typed text cut or padded to 200 columns.
struct FittedText {
    std::string text;
    bool maybe_too_long = false; // column 200 held anything but a blank or ")"
};
FittedText fit_text(std::string_view typed);

enum class ParseResult { Ok, BadSyntax, OutOfRange };

struct ParsedPartition {
    ParseResult result = ParseResult::BadSyntax;
    bool accepted = false;      // a pass succeeded: the (repaired) text is the one to keep
    bool query = false;         // accepted with a doubtful construction
    bool cut = false;           // not accepted: the last term runs open to column 200
    long long out_of_range = 0; // with OutOfRange: the number that is 0 or above `natt`
    TermList list;              // the literals (negated when the text is A-)
    int repflag = 1;            // 0 when the text is A-
};

// Parses a partition text as the Manual-partition routine does: repairs, then
// turns tokens into literals. BadSyntax without `accepted` when the text cannot
// be repaired or when its last term is open and runs to column 200 (`cut`: a
// text cut there would read as a shorter term); BadSyntax with it for a token that is not an attribute number or
// for more terms or literals than a list holds; OutOfRange for a number that is
// 0 or above `natt`. `text` is repaired in place (200 columns).
ParsedPartition parse_partition(std::string& text, int natt, bool aminus);

} // namespace meru::partition
