#pragma once
// How the file writers put bytes into a file: ::write by default. A test hands
// in another writer to make the disk fill or the process die at a chosen byte.
#include <cstddef>
#include <functional>

namespace meru::io {

// Writes up to n bytes to fd; the count written, or -1 with errno set (as ::write).
using WriteFn = std::function<long(int fd, const char* data, std::size_t n)>;

// Writes all n bytes, going on after short writes and interruptions. Returns the
// bytes written: n, or fewer with errno saying why the rest could not be.
// An empty `write` is ::write.
std::size_t write_fully(const WriteFn& write, int fd, const char* data, std::size_t n);

} // namespace meru::io
