// Text form of GUIDs: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "vellorax/automation.h"

namespace vellorax::com {

// Upper-case hexadecimal in braces, as the registry keys spell class ids.
std::string GuidToString(const GUID& guid);
// Accepts the braced form in any letter case; none for anything else.
std::optional<GUID> ParseGuid(std::string_view text);

}  // namespace vellorax::com
