#include "InprocServer.h"

namespace sim {

// Provider joins the calling thread to the multithreaded apartment and registers the
// unsecured apartment there. The caller is the program's main thread, which joined that
// apartment before asking for the locator, so its own calls meet the registration.
InprocServer::InprocServer() : m_locatorFactory(new LocatorFactory(m_provider.Locator())), m_pipe(m_provider) {}

InprocServer& InprocServer::Instance()
{
    static InprocServer* const server = new InprocServer();
    return *server;
}

HRESULT InprocServer::GetLocatorFactory(REFIID iid, void** object) const noexcept
{
    return m_locatorFactory->QueryInterface(iid, object);
}

} // namespace sim
