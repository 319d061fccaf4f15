#pragma once
// The grammar of control-file lines shared by the pre-scan and the reader:
// joining continued lines, numbered ranges, the cv operator, sequence expansion
// of cuts, the normalised form of an attribute line and the label forms.
// Both readers use these same routines, so the pre-scan counts exactly what the
// reader later stores.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meru::files {

struct CfNotes;

// One attribute or format line with its "!" continuations joined.
struct JoinedLine {
    std::string text;      // the joined text (at most 240 characters)
    int nphys = 0;         // physical records used
    bool too_many = false; // a "!" on the third physical line
    bool eof = false;      // the file ended inside a continuation
    bool beyond80 = false; // text in columns 81-90 of one of its records
};

// The first 80 columns of a record, and whether columns 81-90 hold text.
std::string col80(std::string_view record, bool* beyond80 = nullptr);

// Joins the line starting at records[pos]: a "!" keeps the text before it and
// appends the next record; at most two continuations.
JoinedLine join_continued(const std::vector<std::string>& records, size_t pos);

// A numbered range "stem1:n" read over the whole token. Nothing when the token
// holds no "1:"; n = -1 when it holds one but no count of 1..9999 follows.
struct RangeToken {
    std::string stem;
    int n = -1;
};
std::optional<RangeToken> range_token(std::string_view token);

// The k interval cuts on percentiles of "cvk" (k = 2..10), e.g. "p50,p0" "p100,p50".
std::vector<std::string> cvcuts(int k);

// Where the cuts of a tokenised line begin (after token 1, an optional sign token
// and an optional type token beginning "o", "i" or "n"), and how many there are.
// A first cut "(s-e-d)" (optionally after "<" or ">" and then "p") is expanded in
// place into the values s, s+d, ... not above e, at most 50. A sequence whose
// numbers do not read as finite numbers ("ERROR syntax in " token "$"), whose
// step is not above 0 ("ERROR for " token ":step must be above 0 $") or whose
// start is above its end ("ERROR for " token ":start above end $") is refused.
// With `report` the errors are added to `notes` as plain OK boxes.
struct CutCount {
    size_t first = 1; // index of the first cut in the tokens
    int ncuts = 0;
    bool error = false;
    bool refused = false; // a sequence that gives no cuts (bad numbers, a step not above 0, start above end)
};
CutCount cutsyntax(std::vector<std::string>& tokens, bool report, CfNotes* notes);

// An attribute line brought to its normal form: name, sign "?", type token, cuts.
struct NormalLine {
    std::vector<std::string> tokens; // [0] name, [1] "?", [2] type token, [3..] cuts
    bool sign_given = false;         // a sign token was present
    bool cv_error = false;           // "cv" with anything but 2..10: the line is skipped
    bool sequence_refused = false;   // a sequence that gives no cuts: the line is skipped
    bool no_cuts = false;            // the line had no cut ("mean" was supplied)
    int ncuts() const { return static_cast<int>(tokens.size()) - 3; }
};
// Tokenises a joined line (blank-separated, 37-character tokens) and normalises
// it as the reader does: one token gets "i"; "CV" is lower-cased and cvk replaced
// by its cuts; the sign becomes "?"; "b" / "b-" become "n01" / "n01-"; a missing
// type gets "i"; a sequence is expanded; a line without cuts gets "mean".
// Returns nothing for a line without tokens.
std::optional<NormalLine> normalise_line(std::string_view text, bool report, CfNotes* notes);

// Complement label of a named nominal cut after the state-word rule: "^yes"
// becomes "_no", "^low" "_high", ...; other labels are returned unchanged.
std::string state_word(const std::string& complement_label);

// A 20-character label: a two-character prefix and a text, blank-padded or cut.
std::string make_label(std::string_view prefix, std::string_view text);

} // namespace meru::files
