// Feeds arbitrary bytes to the macro engine through its facade: definitions of
// every registration type, scripts, and records, run with and without repair,
// HTML and debug. Any crash, hang or out-of-bounds read is a fault; failures
// that the engine reports (EVLL2Error) are expected.
//
// Input layout: parts separated by NUL bytes (missing parts are empty):
//   0: flags (first byte: bit 0 repair, bit 1 HTML, bit 2 debug; the next
//      bytes choose the registration type of part 2)
//   1: script registered as "s" and run
//   2: definition registered as "d" with the chosen type
//   3: record text
//   4: script registered as "u" (callable from "s")
// A script run again must answer as it did the first time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "vll2/vll2w.h"

using vellorax::fuzz::Register;
using vellorax::fuzz::SplitParts;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kTypes[] = {"tag", "constant", "table", "script"};
  const auto parts = SplitParts(std::string_view(reinterpret_cast<const char*>(data), size), 5);
  const std::string_view flags = parts[0];
  const unsigned char bits = flags.empty() ? 0 : static_cast<unsigned char>(flags[0]);
  const unsigned char type = flags.size() < 2 ? 0 : static_cast<unsigned char>(flags[1]);

  vellorax::vll2::TVLL2W engine;
  engine.SetDebug((bits & 4) != 0);
  engine.SetHtml((bits & 2) != 0);
  Register(engine, "s", "script", parts[1]);
  Register(engine, "d", kTypes[type % 4], parts[2]);
  Register(engine, "u", "script", parts[4]);
  // The definition under its own name too, so "#d(...)" and "%d.key%" meet it.
  // "s" runs twice more: runs after the first replay what the first read and
  // decided (steps, call sites, lookups) and must answer exactly as it did.
  const char* names[] = {"s", "d", "u", "s", "s"};
  std::string first;
  int run = 0;
  for (const char* name : names) {
    std::string answer;
    try {
      answer = "=" + engine.Execute(name, parts[3], (bits & 1) != 0);
    } catch (const vellorax::vll2::EVLL2Error& e) {
      answer = std::string("!") + e.what();
    }
    if (name[0] != 's') continue;
    if (run++ == 0) {
      first = answer;
    } else if (answer != first) {
      __builtin_trap();
    }
  }
  return 0;
}
