// The class objects: one per creatable class, made when the library is
// loaded and alive until it is unloaded (their reference counts do not keep
// the library loaded; IClassFactory::LockServer does). Every CreateInstance
// makes a new object.
#pragma once

#include "vellorax/vellorax.h"

namespace vellorax::server {

// The class object of `clsid`, or null when the library has no such class.
IClassFactory* FindClassFactory(const GUID& clsid);

}  // namespace vellorax::server
