// Constructors of the five automation objects; each returns a new object
// holding one reference. Throws std::bad_alloc.
#pragma once

#include "vellorax/vellorax.h"

namespace vellorax::server {

IUnknown* NewZClient();
IUnknown* NewVLL();
IUnknown* NewCrypt();
IUnknown* NewVLL2();
IUnknown* NewVLSrc();

}  // namespace vellorax::server
