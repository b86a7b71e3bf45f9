#pragma once
#include "protection/MessageBoxes.h"

class SystemMessageBoxes final : public MessageBoxes {
public:
    void Show(const std::wstring& text) override;
};
