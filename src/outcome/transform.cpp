#include "outcome/transform.h"

#include "files/charcodes.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/random.h"

#include <cmath>
#include <cstdlib>

namespace meru::outcome {

namespace {

// Free-form numbers: fields separated by blanks or commas, each a whole number.
std::optional<std::vector<double>> numbers(std::string_view text)
{
    std::vector<double> out;
    std::string field;
    const auto flush = [&]() {
        if (field.empty()) return true;
        char* end = nullptr;
        const double v = std::strtod(field.c_str(), &end);
        if (end != field.c_str() + field.size() || !std::isfinite(v)) return false;
        out.push_back(v);
        field.clear();
        return true;
    };
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\t') {
            if (!flush()) return std::nullopt;
        } else {
            field += c;
        }
    }
    if (!flush()) return std::nullopt;
    return out;
}

std::string a8(std::string_view s) { return io::fmt_a(s, 8); }
std::string f82(double v) { return io::fmt_f(v, 8, 2); }

} // namespace

const std::array<std::string, kTransforms>& transform_texts()
{
    static const std::array<std::string, kTransforms> texts{"Y1 + Y2  ", "Y1 - Y2  ", "Y1 / Y2  ", "Y1 * Y2  ",
                                                            "log(Y1)  ", "log(Y1+a)", "sqrt(Y1) ", "Y1 o Y2  ",
                                                            "a<Y1<=b  ", "Y1+a     ", "perm Y1  ", "Y1=a b .."};
    return texts;
}

bool two_variables(int code) { return (code >= tcode::sum && code <= tcode::product) || code == tcode::combine; }

bool binary_result(int code) { return code == tcode::interval || code == tcode::member; }

std::optional<TransformParams> read_params(int code, std::string_view text, bool character, char delim)
{
    text = text.substr(0, 20);
    TransformParams p;
    std::size_t need = 0;
    switch (code) {
    case tcode::log_shifted:
    case tcode::shift: need = 1; break;
    case tcode::interval: need = 2; break;
    case tcode::combine: need = 3; break;
    case tcode::member: break;
    default: return p;
    }
    if (code == tcode::member) {
        const std::vector<std::string> fields = files::splitline(text, delim, 8);
        const std::size_t n = std::min<std::size_t>(fields.size(), kMaxSetValues);
        if (n == 0) return std::nullopt;
        if (character) {
            for (std::size_t k = 0; k < n; ++k) p.set.push_back(files::charcode(fields[k][0]));
            return p;
        }
        const auto v = numbers(text);
        if (!v || v->size() < n) return std::nullopt;
        p.set.assign(v->begin(), v->begin() + static_cast<std::ptrdiff_t>(n));
        return p;
    }
    const auto v = numbers(text);
    if (!v || v->size() < need) return std::nullopt;
    if (code == tcode::combine) p.c = {(*v)[0], (*v)[1], (*v)[2]};
    else {
        p.a = (*v)[0];
        if (need == 2) p.b = (*v)[1];
    }
    return p;
}

std::string params_message(int code)
{
    switch (code) {
    case tcode::log_shifted: return "Enter value  of a in Y1+a for log(Y1+a)$";
    case tcode::combine: return "Enter 3 values: for Y1=0, for Y1=1 and Y2=0, for Y1=1 and Y2=1$";
    case tcode::interval: return "Enter (a b) values of <aY1<=b$";
    case tcode::shift: return "Enter value  of a in Y1+a$";
    case tcode::member: return "Enter the values a b .. of Y1=a b .. as numbers$";
    default: return {};
    }
}

std::string params_line(int code, const TransformParams& p)
{
    switch (code) {
    case tcode::log_shifted: return " Assigned added constant in log(Y1+a) is " + f82(p.a);
    case tcode::combine:
        return " Assigned values are " +
               io::side_by_side({io::fmt_f(p.c[0], 4, 0), io::fmt_f(p.c[1], 4, 0), io::fmt_f(p.c[2], 4, 0)});
    case tcode::interval: return " Assigned values of a, b are " + io::side_by_side({f82(p.a), f82(p.b)});
    case tcode::shift: return " Assigned added constant a  is " + f82(p.a);
    default: return {};
    }
}

TransformResult compute_transform(int code, std::span<const float> y1, std::span<const float> y2,
                                  const TransformParams& p, std::span<const int> perm)
{
    TransformResult r;
    const std::size_t n = y1.size();
    r.values.assign(n, -1.0f);
    r.missing.assign(n, 0);
    const bool two = two_variables(code);
    const float a = static_cast<float>(p.a), b = static_cast<float>(p.b);
    float m = 0.0f;
    const auto binary = [](float v) { return v == 0.0f || v == 1.0f; };
    for (std::size_t i = 0; i < n; ++i) {
        const float u = y1[i];
        const float v = two && i < y2.size() ? y2[i] : 0.0f;
        float out = -1.0f;
        bool miss = u < 0 || (two && v < 0);
        if (!miss) {
            switch (code) {
            case tcode::sum: out = u + v; break;
            case tcode::difference:
                out = u - v;
                m = std::min(m, out);
                break;
            case tcode::quotient:
                if (v == 0.0f) {
                    miss = r.zero_division = true;
                } else {
                    out = u / v;
                }
                break;
            case tcode::product: out = u * v; break;
            case tcode::log:
                if (u == 0.0f) {
                    miss = r.log_zero = true;
                } else {
                    out = std::log(u);
                    m = std::min(m, out);
                }
                break;
            case tcode::log_shifted:
                if (u + a <= 0.0f) {
                    miss = r.log_nonpositive = true;
                } else {
                    out = std::log(u + a);
                    m = std::min(m, out);
                }
                break;
            case tcode::sqrt: out = std::sqrt(u); break;
            case tcode::combine: {
                const auto c = [&](int k) { return static_cast<float>(p.c[static_cast<std::size_t>(k)]); };
                if (u == 0.0f) out = c(0);
                else if (u == 1.0f) out = v == 1.0f ? c(2) : c(1);
                else out = v == 1.0f ? c(2) : c(1);
                if (!binary(u) || !binary(v)) r.nonbinary = true;
                break;
            }
            case tcode::interval: out = a < u && u <= b ? 1.0f : 0.0f; break;
            case tcode::shift: out = u + a; break;
            case tcode::perm: {
                const std::size_t j = i < perm.size() ? static_cast<std::size_t>(perm[i]) : i;
                out = j < n ? y1[j] : u;
                break;
            }
            case tcode::member: {
                out = 0.0f;
                for (double s : p.set)
                    if (u == static_cast<float>(s)) out = 1.0f;
                break;
            }
            default: miss = true;
            }
        }
        if (!std::isfinite(out)) miss = true;
        if (miss) out = -1.0f;
        r.values[i] = out;
        r.missing[i] = miss ? 1 : 0;
        if (i > 0 && out != r.values[i - 1]) r.all_equal = false;
    }
    const bool shifted = code == tcode::difference || code == tcode::log || code == tcode::log_shifted;
    if (shifted && m < 0.0f) {
        r.shift = -static_cast<double>(m);
        for (std::size_t i = 0; i < n; ++i)
            if (!r.missing[i]) r.values[i] -= m;
    }
    return r;
}

std::vector<int> permutation(std::span<const float> y1, io::RandomStream& rng)
{
    std::vector<int> perm(y1.size());
    std::vector<int> present;
    for (std::size_t i = 0; i < y1.size(); ++i) {
        perm[i] = static_cast<int>(i);
        if (y1[i] >= 0) present.push_back(static_cast<int>(i));
    }
    std::vector<int> order = present;
    const std::size_t k = order.size();
    for (std::size_t p = 0; p < k; ++p) {
        const std::size_t j = p + static_cast<std::size_t>(static_cast<double>(k - p) * rng.next());
        std::swap(order[p], order[std::min(j, k - 1)]);
    }
    for (std::size_t p = 0; p < k; ++p) perm[static_cast<std::size_t>(present[p])] = order[p];
    return perm;
}

std::vector<std::string> transform_lines(int code, std::string_view name, std::string_view y1name,
                                         std::string_view y2name, const TransformParams& p)
{
    if (code < 1 || code > kTransforms || code == tcode::perm) return {};
    const std::string& text = transform_texts()[static_cast<std::size_t>(code - 1)];
    const std::string head = " " + text.substr(0, 8);
    const std::string made = " Transformed variable " + a8(name);
    switch (code) {
    case tcode::log: return {head + made + "= log " + a8(y1name)};
    case tcode::log_shifted: return {head + made + "= log " + a8(y1name) + "+" + f82(p.a)};
    case tcode::sqrt: return {head + made + "= sqrt " + a8(y1name)};
    case tcode::interval:
        return {head + " Binary variable " + a8(name) + "is" + f82(p.a) + " <" + a8(y1name) + "<=" + f82(p.b)};
    case tcode::shift: return {head + made + "is =" + a8(y1name) + "+" + f82(p.a)};
    case tcode::member: {
        std::string values = io::fmt_x(10);
        for (double v : p.set) values += io::fmt_f(v, 8, 0);
        return {head + " Binary variable " + a8(name) + " has value 1 if equal to any of ", values};
    }
    default: return {head + made + "=" + a8(y1name) + text.substr(2, 3) + a8(y2name)};
    }
}

std::string name_refusal(std::string_view name, std::span<const std::string> existing)
{
    if (name.find_first_not_of(' ') == std::string_view::npos) return "Character string name required ! $";
    if (name.find_first_of(" ,\t") != std::string_view::npos)
        return "Variable name " + std::string(name) + " must not hold a blank, comma or tab ! $";
    for (const std::string& e : existing)
        if (e == name) return "Variable " + std::string(name) + " already exists ! $";
    return {};
}

} // namespace meru::outcome
