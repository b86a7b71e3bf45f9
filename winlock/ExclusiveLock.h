#pragma once
// Holds a slim reader/writer lock exclusively for its lifetime: the library's mutex. A
// std::mutex of this toolchain's thread model is a POSIX mutex, which brings the whole
// POSIX threads library and the runtime's system_error machinery into WinLock.dll (see
// HeapArray.h). Like std::mutex, it must not be taken twice by one thread.
#include <windows.h>

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) noexcept : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK& m_lock;
};
