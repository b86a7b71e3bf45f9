#include "platform/HaldenFunc.h"

#include "platform/PasswordDigest.h"

namespace {

int BeepNow = 0;
int ShakingNow = 0;
int HddProtectionStatus = 0;
int ModifyPassWordCheck = 0;
int MsgIndex = 0;

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
