#pragma once
// A hidden top-level window titled like the main window, so that what the sensor code
// posts to "QUEN_Tremorlink" lands in the test thread's queue, where the test takes it.
#include "TestWindow.h"

#include <windows.h>

#include <ostream>
#include <vector>

namespace testsupport {

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;

    friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

inline void PrintTo(const PostedMessage& posted, std::ostream* out)
{
    *out << std::hex << std::showbase << posted.message << "(" << posted.wParam << ", " << posted.lParam << ")";
}

class MainWindowStandIn {
public:
    HWND Handle() const noexcept { return m_window.get(); }

    // Every private message posted to the window so far, in order; they leave the queue.
    std::vector<PostedMessage> TakePosted()
    {
        std::vector<PostedMessage> posted;
        MSG message;
        while (PeekMessageW(&message, m_window.get(), 0x0B00, 0x0BFF, PM_REMOVE)) {
            posted.push_back({message.message, message.wParam, message.lParam});
        }
        return posted;
    }

private:
    tl::unique_hwnd m_window = TestWindow({.className = L"TremorlinkTestMainWindow",
                                           .title = L"QUEN_Tremorlink",
                                           .style = WS_OVERLAPPEDWINDOW,
                                           .size = {100, 100}});
};

// The values are written out: they are the contract with the main window.
inline const PostedMessage Shock{0x0B01, 0, 0};
inline const PostedMessage Movement{0x0B03, 0, 0};

} // namespace testsupport
