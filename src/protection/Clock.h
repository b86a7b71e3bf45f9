#pragma once
// The time as the password prompt sees it when it makes a wrong entry wait.
#include <cstdint>

namespace protection {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since a fixed moment; never goes back.
    virtual std::uint64_t NowMs() const = 0;
};

} // namespace protection
