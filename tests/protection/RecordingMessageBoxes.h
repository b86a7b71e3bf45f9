#pragma once
// Message boxes that record the texts shown instead of opening a window that waits for OK.
#include "protection/MessageBoxes.h"

#include <string>
#include <vector>

namespace testsupport {

class RecordingMessageBoxes final : public MessageBoxes {
public:
    void Show(const std::wstring& text) override { shown.push_back(text); }
    std::vector<std::wstring> shown;
};

} // namespace testsupport
