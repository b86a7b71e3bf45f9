#pragma once
// The functions of the power-management library (POWRPROF.dll) that PwrScheme uses, as one
// table, so that the simulated library of sim/ can take the real one's place. Each entry
// has the library function's own name and signature. MinGW's <powrprof.h> has no include
// guard, so the program reaches it through this header only.
#include <windows.h>
#include <powrprof.h>

struct PowerFunctions {
    BOOLEAN(WINAPI* ReadGlobalPwrPolicy)(PGLOBAL_POWER_POLICY);
    BOOLEAN(WINAPI* WriteGlobalPwrPolicy)(PGLOBAL_POWER_POLICY);
    BOOLEAN(WINAPI* ReadPwrScheme)(UINT, PPOWER_POLICY);
    // The index is in and out: NEWSCHEME asks for a new scheme, whose index comes back.
    BOOLEAN(WINAPI* WritePwrScheme)(PUINT, LPWSTR, LPWSTR, PPOWER_POLICY);
    BOOLEAN(WINAPI* ReadProcessorPwrScheme)(UINT, PMACHINE_PROCESSOR_POWER_POLICY);
    BOOLEAN(WINAPI* WriteProcessorPwrScheme)(UINT, PMACHINE_PROCESSOR_POWER_POLICY);
    BOOLEAN(WINAPI* DeletePwrScheme)(UINT);
    BOOLEAN(WINAPI* GetActivePwrScheme)(PUINT);
    BOOLEAN(WINAPI* SetActivePwrScheme)(UINT, PGLOBAL_POWER_POLICY, PPOWER_POLICY);
    BOOLEAN(WINAPI* CanUserWritePwrScheme)();
    BOOLEAN(WINAPI* IsPwrSuspendAllowed)();
    BOOLEAN(WINAPI* IsPwrHibernateAllowed)();
};

// The system's library, linked at build time: every one of these functions exists from
// Windows XP on, so a missing export cannot happen, and the compiler checks each signature
// here instead of a cast from GetProcAddress.
inline const PowerFunctions& SystemPowerFunctions() noexcept
{
    static const PowerFunctions functions{
        .ReadGlobalPwrPolicy = &::ReadGlobalPwrPolicy,
        .WriteGlobalPwrPolicy = &::WriteGlobalPwrPolicy,
        .ReadPwrScheme = &::ReadPwrScheme,
        .WritePwrScheme = &::WritePwrScheme,
        .ReadProcessorPwrScheme = &::ReadProcessorPwrScheme,
        .WriteProcessorPwrScheme = &::WriteProcessorPwrScheme,
        .DeletePwrScheme = &::DeletePwrScheme,
        .GetActivePwrScheme = &::GetActivePwrScheme,
        .SetActivePwrScheme = &::SetActivePwrScheme,
        .CanUserWritePwrScheme = &::CanUserWritePwrScheme,
        .IsPwrSuspendAllowed = &::IsPwrSuspendAllowed,
        .IsPwrHibernateAllowed = &::IsPwrHibernateAllowed,
    };
    return functions;
}
