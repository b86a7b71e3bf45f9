#pragma once
// The message boxes through which a menu command reports a failure: an empty caption,
// the given text and an OK button.
#include <string>

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void Show(const std::wstring& text) = 0;
};
