#pragma once
// The screen saver's on/off switch, for this session only: the user's profile keeps its
// own setting.
class ScreenSaver {
public:
    virtual ~ScreenSaver() = default;
    virtual void SetActive(bool active) = 0;
};
