#pragma once
// TremorlinkSimProvider.dll of this build in place of WMI in this Wine prefix, for tests
// that start the real program on the simulated G-sensor.
#include "TestSupport.h"
#include "app/TremorlinkProcess.h"
#include "SimLocatorClass.h"

#include <windows.h>
#include <wbemcli.h>

#include <string>

namespace testsupport {

inline std::wstring GuidText(REFCLSID clsid)
{
    wchar_t text[39] = {};
    StringFromGUID2(clsid, text, 39);
    return text;
}

inline std::wstring ClassKey(REFCLSID clsid) { return L"Software\\Classes\\CLSID\\" + GuidText(clsid); }

// TremorlinkSimProvider.dll in place of WMI in this Wine prefix while the object lives, as
// sim/SimLocatorClass.h describes; the prefix has its own WMI back afterwards, also when
// the test fails. Made only once the test knows it runs under Wine.
class SimulatedProviderInPlace {
public:
    SimulatedProviderInPlace()
    {
        const std::wstring server = ClassKey(sim::CLSID_TremorlinkSimLocator) + L"\\InprocServer32";
        m_inPlace = SetRegistryString(HKEY_LOCAL_MACHINE, server, nullptr, WindowsPath(TREMORLINK_SIM_DLL)) &&
                    SetRegistryString(HKEY_LOCAL_MACHINE, server, L"ThreadingModel", L"Both") &&
                    SetRegistryString(HKEY_LOCAL_MACHINE, ClassKey(CLSID_WbemLocator) + L"\\TreatAs", nullptr,
                                      GuidText(sim::CLSID_TremorlinkSimLocator));
    }
    SimulatedProviderInPlace(const SimulatedProviderInPlace&) = delete;
    SimulatedProviderInPlace& operator=(const SimulatedProviderInPlace&) = delete;
    ~SimulatedProviderInPlace()
    {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (ClassKey(CLSID_WbemLocator) + L"\\TreatAs").c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(sim::CLSID_TremorlinkSimLocator).c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, ClassKey(sim::CLSID_TremorlinkSimLocator).c_str());
    }

    bool InPlace() const { return m_inPlace; }

private:
    bool m_inPlace = false;
};

} // namespace testsupport
