#pragma once
// Term lists: the one shape in which every Boolean combination of attributes is held.
//
// A literal is a signed attribute number: +a is attribute a, -a its complement.
// A term is the intersection (AND) of its literals; a term list is the union (OR)
// of its terms. "(3 -2)(-6)(2 4)" is lp = {2, 1, 2}, lits = {3, -2, -6, 2, 4}.
//
// A partition is held as a pair of term lists: A in plain form (a sum of terms) and
// its complement A- in flipped form (the terms of A- with every literal negated; read
// as a product of clauses that list is A itself). `repflag` 1 says the first list is
// A, 0 that the first list is A-. Routines are told the form of a list by `sense`:
// kPlain (1) or kFlipped (0).
//
// The literals +1 and -1 are the two constants (attribute 1 is the null attribute).
// In a plain list +1 is the empty set and -1 the whole set; in a flipped list the
// reverse. A list collapsed to a constant is one term holding one constant literal.
//
// Limits: at most MAXP terms and MAXLITS literals. They are limits of behaviour:
// the vectors grow as needed, and the routines that build lists check the limits
// and report through their status instead of going past them.
#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <span>
#include <vector>

namespace meru::partition {

using Literal = int;

inline constexpr int MAXP = 100;      // terms of one list
inline constexpr int MAXLITS = 10000; // literals of one list

// Form of a list (the `sense` argument of the engine's routines).
inline constexpr int kFlipped = 0;
inline constexpr int kPlain = 1;

// The constant literal that is the empty set, and the one that is the whole set,
// in a list of the given sense.
constexpr Literal empty_constant(int sense) { return sense == kPlain ? 1 : -1; }
constexpr Literal whole_constant(int sense) { return -empty_constant(sense); }
constexpr bool is_constant(Literal l) { return l == 1 || l == -1; }
constexpr int attribute_of(Literal l) { return l < 0 ? -l : l; }

// Status codes shared by the engine's routines (reduce, trans, complement, expand),
// named as status::kOk, ...
enum class TermStatus {
    kOk = 0,             // done; the list may have changed
    kLimit = 1,          // a limit (terms, literals, combinations) was reached
    kUnchanged = 2,      // nothing to do
    kNoInput = 3,        // no terms or clauses were given
    kPassLimit = 4,      // the expansion stopped after its last pass; the list holds that pass
    kNoConvergence = 10, // the reduction did not settle
    kConstPlus = -1,     // the list collapsed to the single literal +1
    kConstMinus = -2,    // the list collapsed to the single literal -1
};
namespace status {
using enum TermStatus;
} // namespace status

// The status of a list collapsed to the constant literal `c` (+1 or -1).
constexpr TermStatus constant_status(Literal c) { return c == 1 ? status::kConstPlus : status::kConstMinus; }
// True for the statuses that leave no usable list: a limit, or no convergence.
constexpr bool failed(TermStatus s) { return s == status::kLimit || s == status::kNoConvergence; }

struct TermList {
    std::vector<int> lp;       // lp[t] = literals of term t (0-based t), q = lp.size()
    std::vector<Literal> lits; // all terms' literals, term by term, no separators

    int q() const { return static_cast<int>(lp.size()); }
    int count() const { return static_cast<int>(lits.size()); }
    bool empty() const { return lp.empty(); }

    void clear()
    {
        lp.clear();
        lits.clear();
    }

    // Appends one term. Returns false, leaving the list unchanged, when it would
    // exceed MAXP terms or MAXLITS literals.
    bool add_term(std::span<const Literal> term)
    {
        if (q() + 1 > MAXP || count() + static_cast<int>(term.size()) > MAXLITS) return false;
        lp.push_back(static_cast<int>(term.size()));
        lits.insert(lits.end(), term.begin(), term.end());
        return true;
    }
    bool add_term(std::initializer_list<Literal> term)
    {
        return add_term(std::span<const Literal>(term.begin(), term.size()));
    }

    // The list as one term holding one constant literal.
    void set_constant(Literal c)
    {
        lp.assign(1, 1);
        lits.assign(1, c);
    }
    bool is_constant_list() const { return lp.size() == 1 && lits.size() == 1 && is_constant(lits[0]); }

    bool within_limits() const { return q() <= MAXP && count() <= MAXLITS; }
    // The term lengths are non-negative and add up to the literal count.
    bool consistent() const
    {
        std::size_t sum = 0;
        for (int n : lp) {
            if (n < 0) return false;
            sum += static_cast<std::size_t>(n);
        }
        return sum == lits.size();
    }

    // Iteration over the terms as spans of literals:
    //   for (std::span<const Literal> term : list.terms()) ...
    class TermIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::span<const Literal>;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;

        TermIterator() = default;
        TermIterator(const TermList* l, std::size_t t, std::size_t off) : list_(l), t_(t), off_(off) {}
        value_type operator*() const { return {list_->lits.data() + off_, static_cast<std::size_t>(list_->lp[t_])}; }
        TermIterator& operator++()
        {
            off_ += static_cast<std::size_t>(list_->lp[t_]);
            ++t_;
            return *this;
        }
        TermIterator operator++(int)
        {
            TermIterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const TermIterator& o) const { return t_ == o.t_; }

    private:
        const TermList* list_ = nullptr;
        std::size_t t_ = 0;
        std::size_t off_ = 0;
    };
    struct TermRange {
        const TermList* list;
        TermIterator begin() const { return {list, 0, 0}; }
        TermIterator end() const { return {list, list->lp.size(), 0}; }
    };
    TermRange terms() const { return {this}; }

    // Start of each term in `lits` (built afresh by the routines that need random access).
    std::vector<int> offsets() const
    {
        std::vector<int> off(lp.size());
        int s = 0;
        for (std::size_t t = 0; t < lp.size(); ++t) {
            off[t] = s;
            s += lp[t];
        }
        return off;
    }
};

// A partition: A and its complement A-, held as plain and flipped lists.
struct Partition {
    TermList first;
    TermList second;
    int repflag = 1; // 1: first is A (plain), second A- (flipped); 0: the reverse

    TermList& a() { return repflag == 1 ? first : second; }
    const TermList& a() const { return repflag == 1 ? first : second; }
    TermList& aminus() { return repflag == 1 ? second : first; }
    const TermList& aminus() const { return repflag == 1 ? second : first; }
    // Form of the first list: kPlain when repflag is 1, kFlipped otherwise.
    int first_sense() const { return repflag == 1 ? kPlain : kFlipped; }
};

} // namespace meru::partition
