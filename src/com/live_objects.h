// Counts what keeps the library loaded: live objects (automation objects and
// error records) and server locks taken through IClassFactory::LockServer.
// DllCanUnloadNow allows unloading only when both are zero. Thread-safe.
#pragma once

namespace vellorax::com {

void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
// True when no object is alive and no lock is held.
bool CanUnloadNow();

}  // namespace vellorax::com
