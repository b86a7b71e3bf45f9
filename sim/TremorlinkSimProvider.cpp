// The exports of TremorlinkSimProvider.dll, the simulated provider as an in-process COM
// server. Registered as SimLocatorClass.h describes, it is what the real program gets
// from CoCreateInstance(CLSID_WbemLocator) through its ordinary code path.
#include "ComObject.h"
#include "InprocServer.h"
#include "SimLocatorClass.h"

#include <windows.h>

// The SDK declares both exports without noexcept; their bodies cannot throw.
STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualCLSID(clsid, sim::CLSID_TremorlinkSimLocator)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return tl::Guarded([&] { return sim::InprocServer::Instance().GetLocatorFactory(iid, object); });
}

STDAPI DllCanUnloadNow()
{
    // The unsecured apartment stays registered and the control channel keeps serving
    // from this DLL's code until the process ends.
    return S_FALSE;
}
