#pragma once
// Adds the time a scope takes to a running sum: cheap enough (two steady-clock reads) to leave on in every
// run, so that a run can say where its time went.

#include <chrono>

namespace tarvenish {

class StepTimer final {
public:
    // Starts timing; the scope's seconds are added to `sum` when the object goes.
    explicit StepTimer(double& sum) noexcept : m_sum(sum), m_start(std::chrono::steady_clock::now()) {}
    ~StepTimer() {
        m_sum += std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }
    StepTimer(const StepTimer&) = delete;
    StepTimer& operator=(const StepTimer&) = delete;

private:
    double& m_sum;
    std::chrono::steady_clock::time_point m_start;
};

}  // namespace tarvenish
