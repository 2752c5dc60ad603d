// The registry file parser on arbitrary text: it must either reject the text
// with ERegistryError or accept it, and whatever it accepts must serialise to
// a text that parses back to the same serialisation.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "com/registry_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using vellorax::com::ERegistryError;
  using vellorax::com::TRegistryData;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const TRegistryData parsed = TRegistryData::Parse(text);
    const std::string once = parsed.Serialize();
    if (TRegistryData::Parse(once).Serialize() != once) std::abort();
  } catch (const ERegistryError&) {
  }
  return 0;
}
