// Reads ODBC data-source entries from unixODBC's odbc.ini through libodbcinst
// (user file ~/.odbc.ini or $ODBCINI first, then the system file in
// $ODBCSYSINI or the configured directory). Thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellorax::com {

// The value `name` of data source `dsn` (e.g. "UID", "PWD"), or none when the
// data source or the value is not there.
std::optional<std::string> ReadOdbcIniValue(std::string_view dsn, std::string_view name);

}  // namespace vellorax::com
