#pragma once
// Reading the data file into the data matrix, coding character data, the means
// and percentiles that cuts need and the attribute matrix. Nothing is written to
// the log here: what reading met (`ReadDataResult::notes` and the counts) and what
// building the attributes found (`found`) are written above the core.
#include "files/dataset.h"
#include "files/percentiles.h"
#include "files/tables.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
class RandomStream;
class RecordReader;
} // namespace meru::io

namespace meru::files {

inline constexpr int kCategories = 38; // category magnitudes 0..37 recorded per variable
inline constexpr int kStates = 36;     // state codes 0..35

// Per-variable marks made while reading ([1..nv]; element 0 unused).
struct VariableMarks {
    std::vector<char> charflag; // the variable has had a character item
    std::vector<char> numflag;  // the variable has had a numeric item
    std::vector<char> smallint; // every non-missing value is a whole number 0..9
    // First item text seen for each magnitude 0..37 and 1 plus the number of later
    // items of that magnitude with another text.
    std::vector<std::array<std::string, kCategories>> cattext;
    std::vector<std::array<int, kCategories>> catcount;
    std::vector<long long> negatives; // negative numbers read as missing values
    void reset(int nv);
};

// Statistics of one attribute line over the observations (weights summed).
struct LineStats {
    long long count = 0;                   // weight of non-missing values
    long long missing = 0;                 // weight of missing values
    double sum = 0;                        // weighted sum of the non-missing values
    double ss = 0;                         // weighted sum of squared deviations from the mean
    float min = 0, max = 0;                // of the non-missing values (0 when there are none)
    std::array<long long, kStates> freq{}; // weight of each whole value 0..35
    bool any = false;                      // a non-missing value with positive weight was seen
};

// Weights of the observations by attribute byte.
struct AttrWeights {
    long long positive = 0; // abyte 1
    long long negative = 0; // abyte 0
    long long excluded = 0; // abyte 255
};

// A value that a nominal or ordinal line cannot take: not whole, or above 35.
struct ValueError {
    int obs = 0;  // observation number
    int line = 0; // attribute line
    float value = 0;
    bool above = false; // above 35 (else not whole)
};

// Value errors beyond this many are counted, not listed.
inline constexpr int kMaxValueErrorsLogged = 10;

// What the attribute frequencies say of an attribute.
enum class AttrNote { none, redundant, many_excluded };

// What building the attributes found, for the reports.
struct AttributeFindings {
    bool permuted = false;                                    // "_r_" lines drew non-repeatable permutations
    std::vector<std::pair<int, LinePercentiles>> percentiles; // each line with percentile cuts, in order
    std::vector<ValueError> value_errors;                     // the first kMaxValueErrorsLogged + 1
    std::vector<AttrNote> notes;                              // [1..natt]; empty when no record kept weight
};

// A note of reading one record, kept in the order met.
struct ReadNote {
    enum class Kind {
        header_skipped,  // the first record repeated the listed names
        no_delimiter,    // the first record of a delimited layout without its delimiter
        bad_frequency,   // a frequency that was not a number (assumed 0)
        frequency_too_large, // a frequency above the largest weight held (assumed 0): `line`, `text`
        frequency_negative,  // a negative frequency (assumed 0): `line`, `text`
        frequency_not_whole, // the first frequency with a fraction (its whole part taken): `line`, `text`
        precision_lost,  // the first number not held exactly: `var`, `read`, `held`
        inadmissible,    // an inadmissible character `ch` in `record`, `var` (the first few only)
        bad_format,      // fixed layout: the format cannot be interpreted (`record`)
        read_error,      // fixed layout: `record` cannot be read; `text` is the record
        possible_header, // fixed layout: the first record cannot be read
    };
    explicit ReadNote(Kind k, int rec = 0, int v = 0) : kind(k), record(rec), var(v) {}
    Kind kind;
    int record = 0;
    int var = 0;
    double read = 0;
    float held = 0;
    char ch = 0;
    std::string text;
    bool first_error = false; // read_error: the first read error of the file
    long long line = 0;       // the line of the data file the note is about
};

// Inadmissible characters beyond this many are counted, not noted.
inline constexpr int kMaxInadmissibleNoted = 50;

struct ReadDataResult {
    AttributeFindings found;
    bool read_run = false;             // the records were read (no "no valid data" mark on entry)
    std::vector<ReadNote> notes;       // what reading the records met, in order
    int expected = 0;                  // records expected: those counted less a header skipped
    int nread = 0;                     // records read: the number of observations from now on
    long long nobsin = 0;              // sum of the weights of all records read
    bool missing = false;              // some value is missing
    bool abandon = false;              // a record held more items than the variable dimension
    long long abandon_line = 0;        // the line of the data file where that record was refused
    bool no_valid_data = false;        // no record was read
    int errors = 0;                    // read errors and nominal/ordinal value errors
    long long missing_total = 0;       // weight of missing values over the records that keep their weight
    int incomplete = 0;                // records with a missing value
    int allmissing = 0;                // records whose variables are all missing (weight 0)
    int last_missed = 0;               // observation number of the last such record
    int inadmissible = 0;              // inadmissible characters met
    int precision_lost = 0;            // numbers not held exactly in single precision
    int bad_frequency = 0;             // frequencies that were not a number
    int frequency_refused = 0;         // frequencies too large or negative
    int frequency_not_whole = 0;       // frequencies with a fraction
    bool maybe_date = false;           // an item looked like a date
    int nodelim_records = 0;           // delimited layout: records without their delimiter
    int rejected_records = 0;          // fixed layout: records that could not be read (skipped)
    int extra_item_records = 0;        // records with items beyond the variables listed (not read)
    bool header_skipped = false;       // the first record repeated the listed names and was skipped
    int char_vars = 0, mixed_vars = 0; // variables with character data only, and with both kinds
    VariableMarks marks;
    std::vector<LineStats> line;        // [1..nlines]
    std::vector<AttrWeights> att;       // [1..natt]
    std::vector<std::vector<int>> perm; // permutation of 1..n per "_r_" line
    int discrete_percentile_lines = 0;
    int novariation = 0; // lines noted as having no variation
};

// Where readdata shows its progress and what it draws on.
struct ReadDataContext {
    Services& sv;
    io::LogWriter& log;
    std::string& msgline;        // the main routine's message line
    io::RandomStream& rng;       // the program's random stream ("_r_" permutations)
    bool seed_from_clock = true; // "_r_" lines reseed the stream from the clock
};

// The weight of a frequency read as `value` (the item `text`) on line `line` of
// the data file: its whole part, or 0 for a frequency that is negative or above
// the largest weight an observation holds (2^31 - 1). What is not a whole weight
// is noted in `r`.
int frequency_weight(double value, std::string_view text, long long line, ReadDataResult& r);

// The number of data variables: the variables without the pseudo-variables.
int data_variable_count(const VariableTable& v);

// What the arrays that readdata fills are sized for, for n records: the control
// file's variables and attributes are held from the start and room for more (up
// to NV + 150 columns and LC attributes) is taken when they are made;
// identifiers are kept only when the file has an _ID_ or a _FREQ_ column.
DataShape observation_shape(const ControlTables& t, int n);

// Reads the data file (open on `in`, its records counted as `nexpected` by the
// caller; `d` allocated for them) into `d`, then computes means and percentiles
// and fills the attribute matrix (`found` of the result). `novalid` is the shared
// "no valid data" mark: when set on entry nothing is read; it is set when nothing
// usable was read (`abandon` or `no_valid_data`) and cleared when data were read.
// Cut values, labels and banned flags in `t` are updated. The caller then writes
// the notes of reading and, unless reading was abandoned, the attribute reports:
// the no-data report when `novalid` is set, else the reports of what was found.
ReadDataResult readdata(ControlTables& t, DataArrays& d, io::RecordReader& in, int nexpected, bool& novalid,
                        ReadDataContext& cx);

} // namespace meru::files

namespace meru::files {

// After reading: the values of every variable with character data become state
// codes 0..35 (-999 stays missing). In a variable that also had numbers, a number
// becomes the code of the first character of its list-directed form (7.5 gives 7,
// 12 gives 1).
void convert_character_variables(DataArrays& d, const VariableMarks& m, int nobs, int ndata);
int leading_digit_code(float value);

} // namespace meru::files
