#include "com/odbc_ini.h"

#include <odbcinst.h>

#include <mutex>
#include <string>
#include <vector>

namespace vellorax::com {
namespace {

// Returned by libodbcinst when the entry is missing; no real value is this.
constexpr char kAbsent[] = "\x01vellorax-absent\x01";
constexpr int kMaxValue = 4096;

// libodbcinst keeps global state while it reads its files.
std::mutex odbcinst_mutex;

}  // namespace

std::optional<std::string> ReadOdbcIniValue(std::string_view dsn, std::string_view name) {
  if (dsn.empty() || name.empty()) return std::nullopt;
  const std::string section(dsn), entry(name);
  std::vector<char> buffer(kMaxValue + 1, '\0');
  int length = 0;
  {
    std::lock_guard lock(odbcinst_mutex);
    length = SQLGetPrivateProfileString(section.c_str(), entry.c_str(), kAbsent, buffer.data(),
                                        kMaxValue, "odbc.ini");
  }
  if (length < 0) return std::nullopt;
  std::string value(buffer.data());
  if (value == kAbsent) return std::nullopt;
  return value;
}

}  // namespace vellorax::com
