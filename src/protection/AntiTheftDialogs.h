#pragma once
// The two modal windows of anti-theft. Neither hands back a result: the create-password
// dialog stores the digest in the settings, and the prompt returns only once the right
// password was typed.
class AntiTheftDialogs {
public:
    virtual ~AntiTheftDialogs() = default;
    virtual void CreatePassword() = 0;
    virtual void VerifyPassword() = 0;
};
