#pragma once
// Takes away what the Ctrl+Alt+Del screen offers. The key combination itself reaches only
// the system, but every way out on the screen it opens is a documented policy: Task
// Manager, Lock, Switch user, Sign out, Change a password and the power button (with it
// the Start menu's power commands). The edge swipes of a touch screen go the same way.
// Each value is journaled as it was (its data and type, or its absence) before it is set,
// and put back exactly on unlock: a policy an administrator had set stays set. A policy
// without a journal entry (one that a lock of the version before did not know) is left as
// it is. The per-user policies are journaled as the locking user's and put back into that
// user's hive only, by whichever user unlocks while it is loaded.
class PolicyLock {
public:
    // False when a policy could not be recorded or set; the others are set all the same.
    static bool Lock();
    // False when a policy could not be put back; its journal entry then stays.
    static bool Unlock();
};
