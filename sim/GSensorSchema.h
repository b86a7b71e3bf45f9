#pragma once
// What the simulated firmware provider publishes in root\wmi: the method class
// GSensorControl with its one instance, and the event class GSensorEvent.
#include <windows.h>

#include <array>
#include <string_view>

namespace sim {

inline constexpr std::wstring_view NamespaceName = L"root\\wmi";
inline constexpr std::wstring_view ControlClassName = L"GSensorControl";
inline constexpr std::wstring_view ControlInstancePath = LR"(GSensorControl.InstanceName="ACPI\\pnp0c14\\0_0")";
inline constexpr std::wstring_view EventLanguage = L"WQL";
inline constexpr std::wstring_view EventQuery = L"SELECT * FROM GSensorEvent";
inline constexpr std::wstring_view ShockProperty = L"uShock";
inline constexpr std::wstring_view TestMethodName = L"FireGEvent";
inline constexpr std::wstring_view SystemProtectionMethodName = L"SetSystemProtection";
// The uShock values of a shock and of a movement (reported while system protection is on).
inline constexpr int ShockValue = 0x501;
inline constexpr int MovementValue = 0x502;

struct MethodSignature {
    std::wstring_view name;
    std::wstring_view inName;
    std::wstring_view outName;
};

inline constexpr std::array<MethodSignature, 5> ControlMethods{{
    {L"SetHDDProtection", L"uStatus", L"uReturn"},
    {L"SetSystemProtection", L"uStatus", L"uReturn"},
    {L"ParkHDD", L"uStatus", L"uReturn"},
    {L"FinishProcessEvent", L"uStatus", L"uReturn"},
    {TestMethodName, L"uFlag", L"uErrorCode"},
}};

// WMI compares class, property, method and namespace names without regard to case.
inline bool SameName(std::wstring_view left, std::wstring_view right) noexcept
{
    if (left.empty() || right.empty()) {
        return left.empty() && right.empty();
    }
    return CompareStringOrdinal(left.data(), static_cast<int>(left.size()), right.data(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

// A BSTR or string argument as text; a null one reads as empty.
inline std::wstring_view Text(const wchar_t* text) noexcept
{
    return text == nullptr ? std::wstring_view() : std::wstring_view(text);
}

inline const MethodSignature* FindMethod(std::wstring_view name) noexcept
{
    for (const MethodSignature& method : ControlMethods) {
        if (SameName(method.name, name)) {
            return &method;
        }
    }
    return nullptr;
}

} // namespace sim
