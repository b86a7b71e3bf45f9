#pragma once
// A registry key's path, or a name in one (a SID, a scope), kept in place: WinLock.dll
// allocates nothing for its paths (see HeapArray.h). A key name has at most 255 characters,
// and the longest path the lock builds joins one name that is not its own (a SID, from a
// token or a key name) with a path of its own or of the system's, so Capacity holds every
// path the lock can meet. One that would not fit all the same is marked, and nothing is read
// or written under it.
#include <cwchar>

class KeyPath {
public:
    static constexpr size_t Capacity = 512;

    KeyPath() noexcept = default;
    explicit KeyPath(const wchar_t* text) noexcept { Append(text); }

    KeyPath& Append(const wchar_t* text) noexcept
    {
        const size_t length = std::wcslen(text);
        m_fits = m_fits && length < Capacity - m_length;
        if (m_fits) {
            std::wmemcpy(m_text + m_length, text, length + 1);
            m_length += length;
        }
        return *this;
    }
    KeyPath& Append(const KeyPath& other) noexcept
    {
        m_fits = m_fits && other.m_fits;
        return Append(other.m_text);
    }

    const wchar_t* c_str() const noexcept { return m_text; }
    bool empty() const noexcept { return m_length == 0; }
    // False when a part did not fit: the path lacks it and names no key of ours.
    bool Fits() const noexcept { return m_fits; }

private:
    wchar_t m_text[Capacity] = {};
    size_t m_length = 0;
    bool m_fits = true;
};
