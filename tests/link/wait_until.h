#pragma once

#include <chrono>
#include <thread>

// Polls a condition that a real thread makes true; false when the deadline passed first.
template <class Condition> bool WaitUntil(Condition condition, int timeoutMs = 10000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
