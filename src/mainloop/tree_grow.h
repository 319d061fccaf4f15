#pragma once
// Growing a tree with the search. The tree grows level by level; each level is a
// stratum, a made variable whose value names the node each observation reached.
// The first level is the whole sample; the nodes of each later level run as the
// groups of a by-group series on the stratum before it. Each node's winner
// becomes its split (one literal, or an added attribute for a larger winner) and
// gives the node's observations their codes in the stratum. After the fifth level
// the tree is kept for Process > Tree, the strata are dropped and the tree's
// window is shown; a partition it returns is what the run's statistics use.
#include "mainloop/dispatch.h"
#include "partition/termlist.h"

#include <cstdint>
#include <span>
#include <string>

namespace meru::mainloop {

struct Program;
struct SearchEnd;

inline constexpr int kTreeLevels = 5;

// The stratum variable's name: "*STR1".."*STR9", then "*ST10".."*ST99"; the
// two-character field of 100 is full of asterisks ("*ST**").
std::string stratum_name(int stratum);

// The literal that holds for the inside child of a split whose winner is `cur`,
// when its A is one literal; 0 otherwise.
partition::Literal single_split(const partition::Partition& cur);

// The codes of a node's observations: 2g - 1 for those outside A (membership 0),
// 2g inside it (1); observations outside `mask` or undetermined keep their value.
void partcode(std::span<float> column, std::span<const std::uint8_t> mask, std::span<const std::int8_t> member,
              int group);

// Search stage set-up under the Strategy's Tree choice: starts a tree unless one
// is growing (the letter, the counters and the first stratum). False when the
// request ends (the strata limit, no room for the stratum).
bool tree_begin(Program& p);

// The progress text of the node being searched.
std::string tree_node_text(const Program& p);

// After a node's search: records its split and codes its observations in the
// current stratum.
void tree_record(Program& p, const SearchEnd& end);

// After the last node of a level: the next level's groups and stratum, or, after
// the fifth, the tree formed and shown.
Flow tree_pass_end(Program& p);

// Search:End while growing: asks whether to abandon the tree.
bool tree_search_end(Program& p);

// Drops the growing tree and its strata (the stratum counter keeps counting them).
Flow tree_abandon(Program& p);
// The same without a request to end: whatever stopped the growing.
void tree_stop(Program& p);

} // namespace meru::mainloop
