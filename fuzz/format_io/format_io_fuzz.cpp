// Iso2709LineWriter must either decline a record or give YAZ's record length
// and exactly YAZ's lines; Iso2709EngineTextWriter must either decline it or
// give the line writer's length and exactly the repair of its lines. The first input byte picks the mode: even, the
// rest is taken as it stands (mostly declined: damaged leaders and
// directories); odd, the rest describes the fields of a record that is built
// with a correct leader and directory, so that the field contents (any bytes,
// subfield marks, terminators, NUL) are what varies.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/record_text.h"
#include "iso2709_engine_text.h"
#include "iso2709_lines.h"
#include "yaz_lines.h"

namespace {

// Fields separated by '\n': two bytes choosing the tag ("00X" when the first
// is below 0x40), then the field's bytes, to which the terminator is added.
std::string BuildRecord(std::string_view spec) {
  std::string directory, data;
  while (!spec.empty()) {
    const size_t cut = spec.find('\n');
    std::string_view field = spec.substr(0, cut);
    spec = cut == std::string_view::npos ? std::string_view() : spec.substr(cut + 1);
    if (field.size() < 2) continue;
    const auto a = static_cast<unsigned char>(field[0]);
    const auto b = static_cast<unsigned char>(field[1]);
    char entry[16];
    std::snprintf(entry, sizeof entry, "%03u%04zu%05zu", a < 0x40 ? b % 10 : (a * 256u + b) % 1000,
                  field.size() - 1, data.size());
    directory += entry;
    data.append(field.substr(2));
    data += '\x1e';
  }
  const size_t base = 24 + directory.size() + 1;
  const size_t length = base + data.size() + 1;
  if (length > 99999) return {};
  char leader[32];
  std::snprintf(leader, sizeof leader, "%05zunam a22%05zu   4500", length, base);
  return std::string(leader) + directory + '\x1e' + data + '\x1d';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static vellorax::tool::Iso2709LineWriter writer;
  static vellorax::tool::Iso2709EngineTextWriter engine_text;
  static vellorax::tool::YazLineReader yaz;
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  const std::string built = bytes[0] % 2 ? BuildRecord(rest) : std::string();
  const std::string_view input = bytes[0] % 2 ? std::string_view(built) : rest;
  const bool direct = engine_text.Convert(input, bytes[0] & 2);
  if (!writer.Convert(input)) {
    if (direct) {
      std::fprintf(stderr, "engine text taken, lines declined\n");
      std::abort();
    }
    return 0;
  }
  if (direct && (engine_text.record_length() != writer.record_length() ||
                 vellorax::common::RepairRecordText(vellorax::tool::FieldLines(writer.lines())) !=
                     engine_text.text())) {
    std::fprintf(stderr, "engine text: %zu bytes\n%.*s\nlines: %zu bytes\n%.*s\n",
                 engine_text.record_length(), static_cast<int>(engine_text.text().size()),
                 engine_text.text().data(), writer.record_length(),
                 static_cast<int>(writer.lines().size()), writer.lines().data());
    std::abort();
  }
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
