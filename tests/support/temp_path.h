#pragma once
// A folder of temporary files that belongs to this test process alone: CTest runs
// test cases as separate processes in parallel, so a shared name in the system's
// temporary folder would let two cases overwrite each other's files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace meru::test {

// TempDir()/meru-<pid>/ followed by `name`; the folder is created on first use.
inline std::string temp_path(const std::string& name)
{
    static const std::string folder = [] {
        const auto dir = std::filesystem::path(::testing::TempDir()) / ("meru-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        return dir.string() + "/";
    }();
    return folder + name;
}

} // namespace meru::test
