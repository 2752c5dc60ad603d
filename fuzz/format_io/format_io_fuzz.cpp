// Arbitrary bytes as the start of an ISO 2709 file: Iso2709LineWriter must
// either decline or give YAZ's record length and exactly YAZ's lines.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "iso2709_lines.h"
#include "yaz_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vellorax::tool::Iso2709LineWriter writer;
  static vellorax::tool::YazLineReader yaz;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (!writer.Convert(input)) return 0;
  const size_t used = yaz.ReadIso2709(input);
  if (used != writer.record_length() || yaz.lines() != writer.lines()) {
    std::fprintf(stderr, "writer: %zu bytes\n%.*s\nYAZ: %zu bytes\n%.*s\n",
                 writer.record_length(), static_cast<int>(writer.lines().size()),
                 writer.lines().data(), used, static_cast<int>(yaz.lines().size()),
                 yaz.lines().data());
    std::abort();
  }
  return 0;
}
