#pragma once
// What TremorlinkSimProvider.dll serves inside a process: one simulated provider for the
// whole process, whose locator is the class object of CLSID_WbemLocator, whose unsecured
// apartment stands in for the one Wine lacks, and whose control channel lets a person or
// a test fire events into the running program and read what it asked of the provider.
#include "LocatorFactory.h"
#include "SensorPipeServer.h"
#include "SimProvider.h"

#include <windows.h>
#include <wrl/client.h>

namespace sim {

class InprocServer {
public:
    // The process's one server, made by the first call. It is never destroyed: the
    // registered class object, the pipe thread and the clients' objects use it until the
    // process ends, and nothing of it may run at DLL unload, under the loader lock.
    static InprocServer& Instance();

    InprocServer(const InprocServer&) = delete;
    InprocServer& operator=(const InprocServer&) = delete;

    HRESULT GetLocatorFactory(REFIID iid, void** object) const noexcept;

private:
    InprocServer();

    Provider m_provider;
    Microsoft::WRL::ComPtr<LocatorFactory> m_locatorFactory;
    SensorPipeServer m_pipe;
};

} // namespace sim
