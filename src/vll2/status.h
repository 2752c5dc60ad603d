// Command statuses of the macro engine: one unsigned byte returned by every
// command operation and recorded with the first error of a run.
#pragma once

#include <cstdint>

namespace vellorax::vll2 {

using TVLLStatus = std::uint8_t;

inline constexpr TVLLStatus kStatusOk = 0;           // success, written or not
inline constexpr TVLLStatus kStatusNotFound = 6;     // unknown command/text, no special form
inline constexpr TVLLStatus kStatusWrongParams = 7;  // parameters, record or attached text
inline constexpr TVLLStatus kStatusSyntax = 9;       // syntax error (also: nesting too deep)
inline constexpr TVLLStatus kStatusBusy = 10;        // the execute control is busy

// Nested levels a run may open (command calls, script branches, specification
// blocks together) before it ends with kStatusSyntax and a recorded error; keeps
// self-calling scripts and thousands of nested "{" from exhausting the stack.
inline constexpr int kMaxNestingDepth = 256;
// Levels one run may enter in all; bounds the work of definitions whose calls
// fan out (each command calling the next several times).
inline constexpr long kMaxLevelsPerRun = 2'000'000;

}  // namespace vellorax::vll2
