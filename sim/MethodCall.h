#pragma once
// One ExecMethod call as the simulated provider received it.
#include <ostream>
#include <string>

namespace sim {

struct MethodCall {
    std::wstring className;    // the class part of the instance path
    std::wstring instancePath; // as given
    std::wstring method;       // as given
    std::wstring inName;       // the in-parameter that carried a VT_I4 value; empty when none did
    int value;                 // that value (uStatus or uFlag), 0 when none

    friend bool operator==(const MethodCall&, const MethodCall&) = default;
};

// How GoogleTest shows a call when an expectation fails. The names are plain ASCII.
inline void PrintTo(const MethodCall& call, std::ostream* out)
{
    const auto narrow = [out](const std::wstring& text) {
        *out << '"';
        for (const wchar_t character : text) {
            *out << (character < 0x80 ? static_cast<char>(character) : '?');
        }
        *out << '"';
    };
    narrow(call.method);
    *out << " on ";
    narrow(call.instancePath);
    *out << " (class ";
    narrow(call.className);
    *out << ") with ";
    narrow(call.inName);
    *out << " = " << call.value;
}

} // namespace sim
