// Test records in ISO 2709 for the tool's readers: a builder, and the random
// damage the differential tests apply to well-formed records.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace vellorax::tool::testing {

using Fields = std::vector<std::pair<std::string, std::string>>;

// An ISO 2709 record with the fields in order; each body gets its terminator.
// `leader_tail` is leader/5..9 ("nam a": status, type, level, control, coding).
inline std::string Iso2709(const Fields& fields, const std::string& leader_tail = "nam  ") {
  std::string directory, data;
  char entry[32];
  for (const auto& [tag, body] : fields) {
    std::snprintf(entry, sizeof entry, "%3s%04zu%05zu", tag.c_str(), body.size() + 1, data.size());
    directory += entry;
    data += body + "\x1e";
  }
  const size_t base = 24 + directory.size() + 1;
  std::snprintf(entry, sizeof entry, "%05zu%s22%05zu i 4500", base + data.size() + 1,
                leader_tail.c_str(), base);
  return std::string(entry) + directory + "\x1e" + data + "\x1d";
}

// `record` with one random change: a byte replaced by one of `bytes`, the
// record cut short, or one of the first four of `bytes` inserted. `pick(n)`
// gives a random number below n.
template <typename Pick, size_t N>
std::string Damaged(std::string record, Pick& pick, const char (&bytes)[N]) {
  switch (pick(3)) {
    case 0: record[pick(static_cast<int>(record.size()))] = bytes[pick(N)]; break;
    case 1: record.resize(pick(static_cast<int>(record.size()))); break;
    default: record.insert(pick(static_cast<int>(record.size())), 1, bytes[pick(4)]); break;
  }
  return record;
}

}  // namespace vellorax::tool::testing
