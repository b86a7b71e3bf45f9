#pragma once
// The power settings anti-theft overrides, as codes and minutes, read and set through
// PwrScheme as the program does.
#include "platform/PwrScheme.h"

#include <cstdint>
#include <optional>
#include <ostream>

#include <gtest/gtest.h>

namespace testsupport {

struct PowerSettings {
    int lid, powerButton, sleepButton;
    bool password;
    std::uint32_t standby, hibernation;
    bool operator==(const PowerSettings&) const = default;
};

inline void PrintTo(const PowerSettings& p, std::ostream* out)
{
    *out << "lid " << p.lid << ", power " << p.powerButton << ", sleep " << p.sleepButton << ", password " << p.password
         << ", stand-by " << p.standby << ", hibernation " << p.hibernation;
}

// The times are those of the given scheme, or of the active one.
inline PowerSettings ReadPowerSettings(const PowerFunctions& functions, std::optional<UINT> index = std::nullopt)
{
    PwrScheme scheme(functions);
    EXPECT_TRUE(scheme.InitGlobalPolicy());
    EXPECT_TRUE(scheme.InitScheme(index.value_or(scheme.GetActiveSchemeIndex())));
    return {scheme.GetCloseLidAction(),  scheme.GetPowerButtonAction(), scheme.GetSleepButtonAction(),
            scheme.GetPasswdLogonFlag(), scheme.GetStandbyTimer(),      scheme.GetHibernationTimer()};
}

// Sets the codes of the global policy as the user's control panel would; the times are
// left to the schemes.
inline void WritePowerCodes(const PowerFunctions& functions, const PowerSettings& codes)
{
    PwrScheme scheme(functions);
    ASSERT_TRUE(scheme.InitGlobalPolicy());
    scheme.SetCloseLidAction(codes.lid);
    scheme.SetPowerButtonAction(codes.powerButton);
    scheme.SetSleepButtonAction(codes.sleepButton);
    scheme.SetPasswdLogonFlag(codes.password);
    ASSERT_TRUE(scheme.ActivateGlobalPolicy());
}

} // namespace testsupport
