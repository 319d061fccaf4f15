#pragma once
// How many worker threads score a search's candidates: MERU_THREADS when it holds
// a whole number from 1 (1: the calling thread alone), else every core.
namespace meru::search {

int search_threads();

} // namespace meru::search
