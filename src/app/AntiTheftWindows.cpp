#include "app/AntiTheftWindows.h"

#include "password/SetPW.h"
#include "protection/PassWordVerify.h"

void AntiTheftWindows::CreatePassword()
{
    // A dialog that cannot be made creates no password, and anti-theft is not armed.
    SetPW dialog(m_settings);
    if (dialog.Create()) {
        dialog.ShowModal();
    }
}

bool AntiTheftWindows::VerifyPassword()
{
    PassWordVerify prompt(m_settings, m_clock);
    // Without a prompt nothing was locked and nothing could ever unlock: the armed period
    // ends at once rather than holding the machine with no way out.
    if (!prompt.Create()) {
        return true;
    }
    prompt.ShowModal();
    return prompt.Unlocked();
}
