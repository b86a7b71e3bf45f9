#pragma once
// A periodic timer of the main window, as the shock reaction sees it. Starting a running
// timer changes nothing: its next tick comes when it would have come anyway.

namespace protection {

class Timer {
public:
    virtual ~Timer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
};

} // namespace protection
