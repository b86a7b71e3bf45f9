#include "app/AntiTheftWindows.h"

#include "password/SetPW.h"
#include "protection/PassWordVerify.h"

void AntiTheftWindows::CreatePassword()
{
    SetPW dialog(m_settings);
    dialog.ShowModal();
}

bool AntiTheftWindows::VerifyPassword()
{
    PassWordVerify prompt(m_settings, m_clock);
    prompt.ShowModal();
    return prompt.Unlocked();
}
