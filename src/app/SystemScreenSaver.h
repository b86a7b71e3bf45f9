#pragma once
#include "protection/ScreenSaver.h"

class SystemScreenSaver final : public ScreenSaver {
public:
    void SetActive(bool active) override;
};
