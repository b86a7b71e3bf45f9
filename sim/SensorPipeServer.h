#pragma once
// The simulated sensor's control channel inside the program: serves the named pipe of
// SensorPipe.h on a thread of its own, one client and one command at a time, and carries
// each command out on the process's simulated provider.
#include "SimProvider.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace sim {

class SensorPipeServer {
public:
    // Starts serving. The server and the provider must live as long as the process, since
    // the thread serves until the process ends.
    explicit SensorPipeServer(Provider& provider);
    SensorPipeServer(const SensorPipeServer&) = delete;
    SensorPipeServer& operator=(const SensorPipeServer&) = delete;

private:
    // The reply to one request, as SensorPipe.h frames it.
    std::string Answer(std::string_view request) const;
    void Serve() const noexcept;
    void Converse(HANDLE pipe) const noexcept;

    Provider& m_provider;
};

} // namespace sim
