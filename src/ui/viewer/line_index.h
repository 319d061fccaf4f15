#pragma once
// The viewer's reader of a text file: an index of the byte offset at which every
// line starts, built by block reads under the record rules (a line feed, a
// carriage return followed by a line feed, and a lone carriage return each end a
// line; a last line without a line end is a line). The file itself is never held
// in memory: pages are read by offset and searches run over one block buffer.
// Reopening a file that has only grown since it was indexed extends the index
// over the appended bytes.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meru::ui::viewer {

class LineIndex {
public:
    LineIndex() = default;
    ~LineIndex();
    LineIndex(const LineIndex&) = delete;
    LineIndex& operator=(const LineIndex&) = delete;
    LineIndex(LineIndex&& other) noexcept;
    LineIndex& operator=(LineIndex&& other) noexcept;

    // Opens `path` for reading and indexes it: from the start, or, when it is the
    // file indexed before and it has only grown, from where the index ended.
    // False when the file cannot be read (the index is then empty).
    bool open(const std::string& path);
    // Closes the file; the index is kept for the next open of the same path.
    void close();
    bool is_open() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // Number of lines.
    long long lines() const;
    // Bytes of the file indexed.
    std::uint64_t size() const { return scanned_; }
    // Memory the index takes.
    std::size_t index_bytes() const { return starts_.capacity() * sizeof(std::uint64_t); }

    // Line k (0-based) without its line end, cut to `width` bytes.
    std::string line(long long k, std::size_t width) const;
    // Lines first .. first + count - 1 (fewer at the end of the file), each cut to
    // `width` bytes, read with as few reads as the lines' sizes allow.
    std::vector<std::string> lines(long long first, long long count, std::size_t width) const;

    // The first line k >= first whose first `columns` columns, blank-padded, hold
    // `needle` (case-sensitive; an empty needle is found at once). nullopt when no
    // line from `first` to the end holds it.
    std::optional<long long> find(long long first, std::string_view needle, std::size_t columns = 80) const;

private:
    void scan(); // extends the index from scanned_ to the end of the file
    std::size_t read_at(std::uint64_t offset, char* out, std::size_t count) const;
    std::uint64_t start(long long k) const { return starts_[static_cast<std::size_t>(k)]; }
    std::uint64_t fingerprint(std::uint64_t upto) const;

    std::FILE* file_ = nullptr;
    std::string path_;
    std::vector<std::uint64_t> starts_{0}; // start of every line ended so far, and of the next one
    std::uint64_t scanned_ = 0;            // bytes indexed
    bool pending_cr_ = false;              // the last byte indexed is a carriage return
    std::uint64_t check_ = 0;              // fingerprint of the bytes indexed (a short tail of them)
};

// Whether the first `columns` columns of `line` (its text without the line end),
// blank-padded, hold `needle`.
bool holds(std::string_view line, std::string_view needle, std::size_t columns = 80);

} // namespace meru::ui::viewer
