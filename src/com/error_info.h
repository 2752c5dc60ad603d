// The thread's error record: what a failed call leaves for its caller to read
// through GetErrorInfo (description, source, interface id, help file, help
// context). Each thread has its own current record; setting one releases the
// previous record.
#pragma once

#include <string>
#include <string_view>

#include "vellorax/vellorax.h"

namespace vellorax::com {

// Makes a new record the calling thread's current one. The strings are
// UTF-16; help file none, help context 0. Throws std::bad_alloc.
void SetThreadError(const GUID& iid, std::u16string_view source,
                    std::u16string_view description);

// Replaces the current record with `info` (AddRef'd; null clears it).
void ReplaceThreadErrorInfo(IErrorInfo* info);

// Hands the current record to the caller (who releases it) and clears it;
// null when there is none.
IErrorInfo* TakeThreadErrorInfo();

// The current record without taking it (borrowed; null when none).
IErrorInfo* PeekThreadErrorInfo();

}  // namespace vellorax::com
