#include "com/guid.h"

#include <cstdio>

namespace vellorax::com {

std::string GuidToString(const GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::optional<GUID> ParseGuid(std::string_view text) {
  // Positions of the 32 hex digits inside the 38-character braced form.
  static constexpr std::string_view kPattern = "{________-____-____-____-____________}";
  if (text.size() != kPattern.size()) return std::nullopt;
  uint8_t bytes[16] = {};
  int digit = 0;
  for (size_t i = 0; i < kPattern.size(); ++i) {
    const char c = text[i];
    if (kPattern[i] != '_') {
      if (c != kPattern[i]) return std::nullopt;
      continue;
    }
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else return std::nullopt;
    bytes[digit / 2] = static_cast<uint8_t>(bytes[digit / 2] * 16 + v);
    ++digit;
  }
  GUID g{};
  g.Data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  g.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  g.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  return g;
}

}  // namespace vellorax::com
