#pragma once
// A budget for every test of a suite that runs the program's modal waits: a test
// still running when its budget is spent (a dialog nobody answers, a mouse poll
// that never sees its Esc, a loop a fault keeps from ending) is reported by name
// and the suite ends at once with status 1, instead of hanging until ctest's
// timeout: a modal loop cannot be unwound from outside. MERU_TEST_BUDGET_S sets
// the budget in whole seconds (default 120).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace meru::test {

class WaitBudget : public ::testing::EmptyTestEventListener {
public:
    explicit WaitBudget(std::chrono::milliseconds budget) : budget_(budget) {}
    ~WaitBudget() override { stop(); }
    WaitBudget(const WaitBudget&) = delete;
    WaitBudget& operator=(const WaitBudget&) = delete;

    void OnTestStart(const ::testing::TestInfo& test) override
    {
        stop();
        const std::string name = std::string(test.test_suite_name()) + "." + test.name();
        running_ = true;
        watchdog_ = std::thread([this, name] { watch(name); });
    }
    void OnTestEnd(const ::testing::TestInfo&) override { stop(); }

    static std::chrono::milliseconds from_environment()
    {
        const char* s = std::getenv("MERU_TEST_BUDGET_S");
        const long seconds = s != nullptr ? std::strtol(s, nullptr, 10) : 0;
        return std::chrono::seconds(seconds > 0 ? seconds : 120);
    }

private:
    void watch(const std::string& name)
    {
        std::unique_lock lock(mutex_);
        if (ended_.wait_for(lock, budget_, [this] { return !running_; })) return;
        std::fprintf(stderr, "[  FAILED  ] %s: still running after its budget of %lld ms; a wait that never ends?\n",
                     name.c_str(), static_cast<long long>(budget_.count()));
        std::fflush(stderr);
        std::_Exit(1);
    }
    void stop()
    {
        {
            std::lock_guard lock(mutex_);
            running_ = false;
        }
        ended_.notify_all();
        if (watchdog_.joinable()) watchdog_.join();
    }

    std::chrono::milliseconds budget_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool running_ = false;
    std::thread watchdog_;
};

// Registered once per executable, however many files include this header.
inline const bool wait_budget_registered =
    (::testing::UnitTest::GetInstance()->listeners().Append(new WaitBudget(WaitBudget::from_environment())), true);

} // namespace meru::test
