#include "platform/HaldenFunc.h"

#include "platform/PasswordDigest.h"

#include <windows.h>

namespace {

int BeepNow = 0;
int ShakingNow = 0;
int HddProtectionStatus = 0;
int ModifyPassWordCheck = 0;
int MsgIndex = 0;

// The library's exports: 0 locks, 1 unlocks; the result means nothing to us.
using LockFunction = int(WINAPI*)(int);

// Loaded and never freed: every load raises the library's count, and the handle of the
// last one is kept.
HMODULE m_hDll2 = nullptr;
LockFunction m_LockCtrlAltDel = nullptr;
LockFunction m_LockSwitching = nullptr;
LockFunction m_LockTaskbar = nullptr;

LockFunction LockExport(const char* name) noexcept
{
    return reinterpret_cast<LockFunction>(reinterpret_cast<void*>(GetProcAddress(m_hDll2, name)));
}

void CallLock(LockFunction lock, bool enable) noexcept
{
    if (lock != nullptr) {
        lock(enable ? 1 : 0);
    }
}

} // namespace

void HaldenFunc::SetBeepNow(int value) { BeepNow = value; }
int HaldenFunc::GetBeepNow() const { return BeepNow; }

void HaldenFunc::SetShakingNow(int value) { ShakingNow = value; }
int HaldenFunc::GetShakingNow() const { return ShakingNow; }

void HaldenFunc::SaveHddProtectionStatus(int value) { HddProtectionStatus = value; }
int HaldenFunc::GetHddProtectionStatus() const { return HddProtectionStatus; }

void HaldenFunc::ModifyPassWord(int value)
{
    if (value == 0 || value == 1) {
        ModifyPassWordCheck = value;
    }
}
int HaldenFunc::GetModifyPassWord() const { return ModifyPassWordCheck; }

void HaldenFunc::SetMsgIndex(int value) { MsgIndex = value; }
int HaldenFunc::GetMsgIndex() const { return MsgIndex; }

std::wstring HaldenFunc::GetHashCode(const std::wstring& password) const { return PasswordDigest(password, "Marlo"); }

void HaldenFunc::LoadLockKeyDll2()
{
    m_hDll2 = nullptr;
    m_LockSwitching = nullptr;
    m_LockCtrlAltDel = nullptr;
    m_LockTaskbar = nullptr;
    m_hDll2 = LoadLibraryA("WinLock.dll");
    if (m_hDll2 != nullptr) {
        m_LockCtrlAltDel = LockExport("_Control_CtrlAltDel@4");
        m_LockSwitching = LockExport("_Control_Switching@4");
        m_LockTaskbar = LockExport("_Control_Taskbar@4");
    }
}

void HaldenFunc::LockCtrlAltDelKey(bool enable) { CallLock(m_LockCtrlAltDel, enable); }
void HaldenFunc::LockSwitchingKey(bool enable) { CallLock(m_LockSwitching, enable); }
void HaldenFunc::LockTaskbar(bool enable) { CallLock(m_LockTaskbar, enable); }
