// Helpers shared by the macro engine's fuzz targets.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "vll2/vll2w.h"

namespace vellorax::fuzz {

// Splits a fuzz input at NUL bytes into exactly `count` parts; missing parts
// are empty and the last part keeps any further NULs.
inline std::vector<std::string_view> SplitParts(std::string_view data, size_t count) {
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    size_t nul = data.find('\0');
    if (nul == std::string_view::npos) break;
    parts.push_back(data.substr(0, nul));
    data.remove_prefix(nul + 1);
  }
  parts.push_back(data);
  parts.resize(count);
  return parts;
}

// Registers a definition; a refused one is part of the game, not a finding.
inline void Register(vll2::TVLL2W& engine, std::string_view name, std::string_view type,
                     std::string_view text) {
  try {
    engine.Command(name, type, text, "add");
  } catch (const vll2::EVLL2Error&) {
  }
}

}  // namespace vellorax::fuzz
