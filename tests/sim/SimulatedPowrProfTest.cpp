// The simulated powrprof.dll as a program meets it: its exports as the table PwrScheme
// reaches, answered from the power settings kept in the Wine prefix, so that what one
// process wrote is what the next one reads.
#include "PowerSettings.h"
#include "PowerStore.h"
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"
#include "Handles.h"
#include "Registry.h"
#include "platform/PwrScheme.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace {

using testsupport::PowerSettings;
using testsupport::UnderWine;

template <typename Function> void Bind(HMODULE library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    ASSERT_NE(nullptr, reinterpret_cast<void*>(function)) << name;
}

class SimulatedPowrProf : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!UnderWine()) {
            GTEST_SKIP() << "keeps its power settings in HKEY_LOCAL_MACHINE, which only our own Wine prefixes may have";
        }
        ASSERT_TRUE(sim::ClearStoredPowerState());
        // Wine hands out its builtin library for any file named powrprof.dll in a program
        // that has no override, so the test loads a copy under another name.
        wchar_t folder[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, folder));
        m_copy = std::wstring(folder) + L"TremorlinkSimPowrProf.dll";
        ASSERT_TRUE(CopyFileW(testsupport::WindowsPath(TREMORLINK_SIM_POWRPROF_DLL).c_str(), m_copy.c_str(), FALSE));
    }

    void TearDown() override
    {
        m_library.reset();
        if (!m_copy.empty()) {
            DeleteFileW(m_copy.c_str());
            sim::ClearStoredPowerState();
        }
    }

    // As a process that starts does: the library loaded afresh, nothing of the last load kept.
    void Load()
    {
        m_library.reset(LoadLibraryW(m_copy.c_str()));
        ASSERT_TRUE(m_library);
        ASSERT_EQ(nullptr, GetProcAddress(m_library.get(), "CallNtPowerInformation")) << "Wine's own library";
        HMODULE library = m_library.get();
        Bind(library, "ReadGlobalPwrPolicy", m_functions.ReadGlobalPwrPolicy);
        Bind(library, "WriteGlobalPwrPolicy", m_functions.WriteGlobalPwrPolicy);
        Bind(library, "ReadPwrScheme", m_functions.ReadPwrScheme);
        Bind(library, "WritePwrScheme", m_functions.WritePwrScheme);
        Bind(library, "ReadProcessorPwrScheme", m_functions.ReadProcessorPwrScheme);
        Bind(library, "WriteProcessorPwrScheme", m_functions.WriteProcessorPwrScheme);
        Bind(library, "DeletePwrScheme", m_functions.DeletePwrScheme);
        Bind(library, "GetActivePwrScheme", m_functions.GetActivePwrScheme);
        Bind(library, "SetActivePwrScheme", m_functions.SetActivePwrScheme);
        Bind(library, "CanUserWritePwrScheme", m_functions.CanUserWritePwrScheme);
        Bind(library, "IsPwrSuspendAllowed", m_functions.IsPwrSuspendAllowed);
        Bind(library, "IsPwrHibernateAllowed", m_functions.IsPwrHibernateAllowed);
    }

    // What anti-theft saves, read through a fresh load as a new process would.
    PowerSettings Reload()
    {
        Load();
        return testsupport::ReadPowerSettings(m_functions);
    }

    PowerFunctions m_functions{};

private:
    std::wstring m_copy;
    tl::unique_hmodule m_library;
};

TEST_F(SimulatedPowrProf, StartsFromANotebookAndKeepsWhatIsWrittenAcrossLoads)
{
    const PowerSettings notebook{1, 4, 2, true, 20, 80};
    EXPECT_EQ(notebook, Reload()) << "lid and sleep button stand by, power button shuts down, 20 + 60 minutes";
    EXPECT_EQ(notebook, Reload()) << "reading stores nothing";

    // The overrides of anti-theft, through the calls it makes.
    const PowerSettings armed{0, 0, 0, false, 20, 0};
    ASSERT_NO_FATAL_FAILURE(testsupport::WritePowerCodes(m_functions, armed));
    {
        PwrScheme scheme(m_functions);
        ASSERT_TRUE(scheme.InitScheme(scheme.GetActiveSchemeIndex()));
        EXPECT_TRUE(scheme.SetStandbyTimer(armed.standby));
        EXPECT_TRUE(scheme.SetHibernationTimer(armed.hibernation));
        EXPECT_TRUE(scheme.ActivateScheme(true));
    }
    EXPECT_EQ(armed, Reload());
    const std::optional<sim::PowerState> stored = sim::ReadStoredPowerState();
    ASSERT_TRUE(stored);
    EXPECT_EQ(PowerActionNone, stored->global.user.LidCloseAc.Action);
    EXPECT_EQ(0u, stored->schemes.at(0).policy.mach.DozeS4TimeoutDc);

    // A state put into the prefix is what the library answers from.
    sim::PowerState noHibernation = *stored;
    noHibernation.hibernationAllowed = false;
    ASSERT_TRUE(sim::StorePowerState(noHibernation));
    Load();
    PwrScheme scheme(m_functions);
    ASSERT_TRUE(scheme.InitScheme(0));
    EXPECT_FALSE(scheme.SetHibernationTimer(80));
    EXPECT_TRUE(m_functions.IsPwrSuspendAllowed());

    ASSERT_TRUE(sim::ClearStoredPowerState());
    EXPECT_EQ(notebook, Reload()) << "a cleared prefix is a new notebook again";
}

TEST_F(SimulatedPowrProf, SettingsThatCannotBeReadAreRefusedAndKept)
{
    Load();
    GLOBAL_POWER_POLICY global{};
    ASSERT_TRUE(m_functions.ReadGlobalPwrPolicy(&global));
    ASSERT_TRUE(m_functions.WriteGlobalPwrPolicy(&global));
    // A global policy cut short, as a hand-edited prefix might hold it.
    const tl::unique_hkey key =
        tl::OpenKey(HKEY_LOCAL_MACHINE, sim::PowerStoreKey, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY);
    ASSERT_TRUE(key);
    const BYTE shortPolicy[4] = {1, 2, 3, 4};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), L"GlobalPolicy", 0, REG_BINARY, shortPolicy, 4));

    EXPECT_FALSE(sim::ReadStoredPowerState());
    EXPECT_FALSE(m_functions.ReadGlobalPwrPolicy(&global));
    EXPECT_FALSE(m_functions.WriteGlobalPwrPolicy(&global)) << "would replace settings it could not read";
    EXPECT_FALSE(m_functions.WriteGlobalPwrPolicy(nullptr));
    using ShortPolicy = std::array<BYTE, 4>;
    EXPECT_EQ(ShortPolicy({1, 2, 3, 4}), tl::ReadFixed<ShortPolicy>(key.get(), L"GlobalPolicy", RRF_RT_REG_BINARY))
        << "the stored value is as it was";
}

} // namespace
