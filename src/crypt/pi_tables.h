// Blowfish's initial P-array and S-boxes: the fractional hexadecimal digits of
// pi in order, generated once by gen_pi_tables.py into pi_tables.cpp.
#pragma once

#include <cstdint>

namespace vellorax::crypt {

inline constexpr int kRounds = 16;

extern const std::uint32_t kPiP[kRounds + 2];
extern const std::uint32_t kPiS[4][256];

}  // namespace vellorax::crypt
