#pragma once
// How many worker threads score a search's candidates: MERU_THREADS when it holds
// a whole number from 1 (1: the calling thread alone), else every core the
// process may run on.
namespace meru::search {

int search_threads();

// The cores the process may run on: those of its CPU set (which taskset, a
// container or a batch system may narrow), else the machine's.
int available_cores();

} // namespace meru::search
