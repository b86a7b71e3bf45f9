#pragma once
// The task "Quen Tremorlink" that starts the program at every logon, registered and removed
// through the Task Scheduler's interface: no console program runs for it, also not under
// the system account of a Windows Installer removal or repair.
#include <windows.h>

inline constexpr wchar_t LogonTaskName[] = L"Quen Tremorlink";

// The definition carried in this library's resources (TremorlinkTask.xml), created or
// replaced.
HRESULT RegisterLogonTask() noexcept;
// S_OK also when there was no such task.
HRESULT RemoveLogonTask() noexcept;
