#pragma once
// A growing array of plain values on the process heap. WinLock.dll is built without
// exceptions and without the standard containers: their growth paths throw, and what a
// throw needs (the exception machinery, the exception classes with their messages, the
// string code behind them, the name demangler of the terminate handler) is linked in
// whether or not it ever runs, several times the size of the library's own code. Here a
// failed allocation is a false result, which the caller reports as the failure of what it
// was doing.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

template <typename T> class HeapArray {
    static_assert(std::is_trivially_copyable_v<T>, "items are moved as bytes");

public:
    HeapArray() noexcept = default;
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;
    HeapArray(HeapArray&& other) noexcept
        : m_items(std::exchange(other.m_items, nullptr)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0))
    {
    }
    HeapArray& operator=(HeapArray&& other) noexcept
    {
        std::swap(m_items, other.m_items);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }
    ~HeapArray()
    {
        if (m_items != nullptr) {
            HeapFree(GetProcessHeap(), 0, m_items);
        }
    }

    // count items, those past the present ones zeroed; false, and nothing changed, when the
    // heap has no room.
    [[nodiscard]] bool Resize(size_t count) noexcept
    {
        if (count > m_capacity) {
            if (count > static_cast<size_t>(-1) / sizeof(T)) {
                return false;
            }
            void* const grown = m_items == nullptr ? HeapAlloc(GetProcessHeap(), 0, count * sizeof(T))
                                                   : HeapReAlloc(GetProcessHeap(), 0, m_items, count * sizeof(T));
            if (grown == nullptr) {
                return false;
            }
            m_items = static_cast<T*>(grown);
            m_capacity = count;
        }
        if (count > m_size) {
            std::memset(static_cast<void*>(m_items + m_size), 0, (count - m_size) * sizeof(T));
        }
        m_size = count;
        return true;
    }

    // Appends count items; false, and nothing appended, when the heap has no room.
    [[nodiscard]] bool Append(const T* items, size_t count) noexcept
    {
        const size_t at = m_size;
        if (count == 0) {
            return true;
        }
        if (count > static_cast<size_t>(-1) - at || !Resize(at + count)) {
            return false;
        }
        std::memcpy(static_cast<void*>(m_items + at), items, count * sizeof(T));
        return true;
    }
    [[nodiscard]] bool Append(const T& item) noexcept { return Append(&item, 1); }

    // Keeps the first count items (all of them, if there are fewer).
    void Truncate(size_t count) noexcept { m_size = std::min(count, m_size); }

    // Removes the first count items (at most all of them).
    void EraseFirst(size_t count) noexcept
    {
        count = std::min(count, m_size);
        if (count != 0) {
            std::memmove(static_cast<void*>(m_items), m_items + count, (m_size - count) * sizeof(T));
            m_size -= count;
        }
    }

    // Removes every item for which remove answers true, keeping the order of the others.
    template <typename Predicate> void EraseIf(Predicate remove) noexcept
    {
        m_size = static_cast<size_t>(std::remove_if(begin(), end(), remove) - begin());
    }

    T* data() noexcept { return m_items; }
    const T* data() const noexcept { return m_items; }
    size_t size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }
    T* begin() noexcept { return m_items; }
    T* end() noexcept { return m_items + m_size; }
    const T* begin() const noexcept { return m_items; }
    const T* end() const noexcept { return m_items + m_size; }

    // The same items, byte for byte.
    bool operator==(const HeapArray& other) const noexcept requires std::has_unique_object_representations_v<T>
    {
        return m_size == other.m_size && (m_size == 0 || std::memcmp(m_items, other.m_items, m_size * sizeof(T)) == 0);
    }

private:
    T* m_items = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
