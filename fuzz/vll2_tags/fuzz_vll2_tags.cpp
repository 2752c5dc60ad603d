// Feeds arbitrary tag specifications, call parameters and records to the tag
// command and its specification interpreter, through the engine facade. Any
// crash, hang or out-of-bounds read is a fault; failures the engine reports
// (EVLL2Error) are expected.
//
// Input layout: parts separated by NUL bytes (missing parts are empty):
//   0: flags (first byte: bit 0 repair, bit 1 HTML, bit 2 debug)
//   1: specification registered under "245" (the text after "245 ")
//   2: specification registered as the named specification "&x"
//   3: record text
//   4: parameters of a call "#t(...)"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../vll2/fuzz_input.h"
#include "vll2/vll2w.h"

using vellorax::fuzz::Register;
using vellorax::fuzz::SplitParts;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = SplitParts(std::string_view(reinterpret_cast<const char*>(data), size), 5);
  const unsigned char bits = parts[0].empty() ? 0 : static_cast<unsigned char>(parts[0][0]);

  vellorax::vll2::TVLL2W engine;
  engine.SetDebug((bits & 4) != 0);
  engine.SetHtml((bits & 2) != 0);
  Register(engine, "labels", "constant", "by  by\nnor  Norsk");
  Register(engine, "rel", "table", "aut  (author)");
  Register(engine, "t", "tag",
           "245 " + std::string(parts[1]) + "\n&x {" + std::string(parts[2]) + "}\n700 {&x}");
  Register(engine, "tag", "tag", "100 {$a}");
  Register(engine, "call", "script", "#t(" + std::string(parts[4]) + ")");
  Register(engine, "walk", "script",
           "#t(<, 245, R, ; , >)#t(, 700, 2, \\, , )#select(, 246, 245, 700, )"
           "#count(, 245, 7??, )#txt([, #t(245), ])#rel(, aut, )");
  for (const char* name : {"call", "walk"}) {
    try {
      engine.Execute(name, parts[3], (bits & 1) != 0);
    } catch (const vellorax::vll2::EVLL2Error&) {
    }
  }
  return 0;
}
