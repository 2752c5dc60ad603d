// The character layer: conversion between UTF-16/UTF-8 and the system's 8-bit
// "ANSI code page" (Windows-1252 unless VELLORAX_CODEPAGE names another ICU
// converter, e.g. "windows-1250" or "ISO-8859-1"). Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vellorax::common {

// Name of the active code page converter, read once from VELLORAX_CODEPAGE.
const std::string& AnsiCodePageName();

// Characters the code page lacks become its substitution character ("?").
std::string Utf16ToAnsi(std::u16string_view text);
std::u16string AnsiToUtf16(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view text);

}  // namespace vellorax::common
