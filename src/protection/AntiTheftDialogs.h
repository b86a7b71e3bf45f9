#pragma once
// The two modal windows of anti-theft. The create-password dialog hands back nothing: it
// stores the digest in the settings.
class AntiTheftDialogs {
public:
    virtual ~AntiTheftDialogs() = default;
    virtual void CreatePassword() = 0;
    // True when the armed period ends: the right password was typed, or no prompt could be
    // made (then nothing was locked); false when the program is ending meanwhile (a quit
    // request), with the input still locked.
    virtual bool VerifyPassword() = 0;
};
