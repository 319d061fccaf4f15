#pragma once
// The transforms of Y > Transform: twelve ways to make a new variable from one
// or two variables, computed per observation in single precision with a value
// below 0 as missing (stored -1.0), their parameters read from the values text,
// the checks after the computation and the log line of each. No Qt here.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meru::io {
class RandomStream;
}

namespace meru::outcome {

inline constexpr int kTransforms = 12;
inline constexpr int kMaxSetValues = 10; // values of "Y1=a b .."

namespace tcode {
inline constexpr int sum = 1, difference = 2, quotient = 3, product = 4, log = 5, log_shifted = 6, sqrt = 7,
                     combine = 8, interval = 9, shift = 10, perm = 11, member = 12;
}

// The list texts, in code order (each 9 characters, blank padded).
const std::array<std::string, kTransforms>& transform_texts();

// Codes 1 to 4 and 8 use Y1 and Y2.
bool two_variables(int code);
// Codes 9 and 12 give a 0/1 variable.
bool binary_result(int code);

struct TransformParams {
    double a = 0, b = 0;
    std::array<double, 3> c{};
    std::vector<double> set; // "Y1=a b ..": the values (codes for a character Y1)
};

// Reads the parameters of `code` from the values text (at most 20 characters):
// free-form numbers separated by blanks or commas; for "Y1=a b .." fields at
// blanks or `delim`, each cut to 8 characters, at most 10, the code of each
// field's first character when Y1 is a character variable. nullopt when the
// text does not hold them.
std::optional<TransformParams> read_params(int code, std::string_view text, bool character, char delim);

// The message of a failed read of the parameters of `code`.
std::string params_message(int code);
// The log line of the parameters read (empty when the code logs none).
std::string params_line(int code, const TransformParams& p);

struct TransformResult {
    std::vector<float> values;
    std::vector<char> missing;    // the result is missing (operand missing or undefined)
    bool log_zero = false;        // log of 0
    bool log_nonpositive = false; // log(Y1+a) with Y1 + a <= 0
    bool zero_division = false;
    bool nonbinary = false;
    bool all_equal = true;
    double shift = 0; // the correction added to negative results (0 when none)
};

// Computes transform `code` for every observation. `perm` (code 11) gives the
// observation (from 0) whose Y1 each observation takes. A result too large
// for single precision (a product or quotient of extreme values) is missing, as
// a quotient by 0 is. Results below 0 of codes 2, 5 and 6 are raised, all but
// the missing ones, so that the smallest becomes 0.
TransformResult compute_transform(int code, std::span<const float> y1, std::span<const float> y2,
                                  const TransformParams& p, std::span<const int> perm);

// A uniformly random permutation of the observations whose Y1 is not missing
// (Fisher-Yates, one draw of `rng` per position): perm[i] is the observation
// whose value observation i takes; a missing observation keeps its own.
std::vector<int> permutation(std::span<const float> y1, io::RandomStream& rng);

// The transform's log line (empty for "perm Y1"); "Y1=a b .." has a second line.
std::vector<std::string> transform_lines(int code, std::string_view name, std::string_view y1name,
                                         std::string_view y2name, const TransformParams& p);

// Why a new name cannot be taken (empty when it can): blank, holding a blank, a
// comma or a tab, or equal to an existing name.
std::string name_refusal(std::string_view name, std::span<const std::string> existing);

} // namespace meru::outcome
