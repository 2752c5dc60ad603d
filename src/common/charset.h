// The character layer: conversion between UTF-16/UTF-8 and the system's 8-bit
// "ANSI code page" (Windows-1252 unless VELLORAX_CODEPAGE names another ICU
// converter, e.g. "windows-1250" or "ISO-8859-1"). Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vellorax::common {

// Name of the active code page converter, read once from VELLORAX_CODEPAGE.
const std::string& AnsiCodePageName();

// Characters the code page lacks become its substitution character ("?");
// malformed UTF-8 and unpaired surrogates do too. An unknown VELLORAX_CODEPAGE
// name falls back to Windows-1252 (AnsiCodePageName tells which is in use).
// Windows-1252's five unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to
// the C1 controls U+0081 ... U+009D and back, as on Windows, so every byte
// survives a round trip.
std::string Utf16ToAnsi(std::u16string_view text);
std::u16string AnsiToUtf16(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view text);

// For single-byte code pages, the UTF-16 character of every byte (256
// entries, valid for the life of the process); nullptr for multi-byte ones.
// Lets hot paths decode short strings without allocating.
const char16_t* AnsiDecodeTable();

}  // namespace vellorax::common
