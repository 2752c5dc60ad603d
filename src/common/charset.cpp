#include "common/charset.h"

#include <unicode/ucnv.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace vellorax::common {

namespace {

constexpr const char* kDefaultCodePage = "windows-1252";

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Opens the code page converter with "?" as substitution character (ICU's
// default for most single-byte tables is the control character SUB, 0x1A).
// An unknown code page name falls back to the default so that conversion
// always works; AnsiCodePageName() reports the name actually used.
ConverterPtr OpenConverter(const std::string& name) {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr conv(ucnv_open(name.c_str(), &status));
  if (U_FAILURE(status) || !conv) {
    throw std::runtime_error("cannot open code page converter \"" + name + "\"");
  }
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(conv.get(), "?", 1, &status);
  return conv;
}

// Facts about the code page, gathered once: single-byte code pages decode
// through a table; ASCII-compatible ones take the fast path for ASCII text.
struct CodePage {
  std::string name;
  bool single_byte = false;
  bool ascii_compatible = false;
  std::array<char16_t, 256> decode{};

  CodePage() {
    const char* env = std::getenv("VELLORAX_CODEPAGE");
    name = env && *env ? env : kDefaultCodePage;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* probe = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status) || !probe) {
      name = kDefaultCodePage;
    }
    if (probe) ucnv_close(probe);
    ConverterPtr conv = OpenConverter(name);
    single_byte = ucnv_getMaxCharSize(conv.get()) == 1 && ucnv_getMinCharSize(conv.get()) == 1 &&
                  ucnv_getType(conv.get()) == UCNV_SBCS;
    ascii_compatible = true;
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      UChar out[4];
      status = U_ZERO_ERROR;
      ucnv_reset(conv.get());
      int32_t n = ucnv_toUChars(conv.get(), out, 4, &byte, 1, &status);
      decode[b] = (U_SUCCESS(status) && n == 1) ? static_cast<char16_t>(out[0]) : u'\uFFFD';
      if (b < 0x80 && decode[b] != static_cast<char16_t>(b)) ascii_compatible = false;
    }
  }
};

const CodePage& ActiveCodePage() {
  static const CodePage page;
  return page;
}

// ICU converters keep state and are not thread-safe: one per thread.
UConverter* ThreadConverter() {
  thread_local ConverterPtr conv = OpenConverter(ActiveCodePage().name);
  return conv.get();
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool IsAscii(std::u16string_view text) {
  for (char16_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

const std::string& AnsiCodePageName() { return ActiveCodePage().name; }

const char16_t* AnsiDecodeTable() {
  const CodePage& page = ActiveCodePage();
  return page.single_byte ? page.decode.data() : nullptr;
}

std::string Utf16ToAnsi(std::u16string_view text) {
  const CodePage& page = ActiveCodePage();
  if (page.ascii_compatible && IsAscii(text)) {
    return std::string(text.begin(), text.end());
  }
  UConverter* conv = ThreadConverter();
  ucnv_resetFromUnicode(conv);
  std::string out(text.size() * static_cast<size_t>(ucnv_getMaxCharSize(conv)) + 16, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(text.data()),
                              static_cast<int32_t>(text.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<size_t>(n) + 1, '\0');
    status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(conv);
    n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                        reinterpret_cast<const UChar*>(text.data()),
                        static_cast<int32_t>(text.size()), &status);
  }
  if (U_FAILURE(status)) throw std::runtime_error("code page conversion failed");
  out.resize(static_cast<size_t>(n));
  return out;
}

std::u16string AnsiToUtf16(std::string_view text) {
  const CodePage& page = ActiveCodePage();
  if (page.single_byte) {
    std::u16string out(text.size(), u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
      out[i] = page.decode[static_cast<unsigned char>(text[i])];
    }
    return out;
  }
  UConverter* conv = ThreadConverter();
  ucnv_resetToUnicode(conv);
  std::u16string out(text.size() + 16, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()),
                            static_cast<int32_t>(out.size()), text.data(),
                            static_cast<int32_t>(text.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<size_t>(n) + 1, u'\0');
    status = U_ZERO_ERROR;
    ucnv_resetToUnicode(conv);
    n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()),
                      static_cast<int32_t>(out.size()), text.data(),
                      static_cast<int32_t>(text.size()), &status);
  }
  if (U_FAILURE(status)) throw std::runtime_error("code page conversion failed");
  out.resize(static_cast<size_t>(n));
  return out;
}

// Malformed UTF-8 sequences become U+FFFD and so "?" in the code page.
std::string Utf8ToAnsi(std::string_view text) {
  if (ActiveCodePage().ascii_compatible && IsAscii(text)) return std::string(text);
  std::u16string wide;
  wide.reserve(text.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT_OR_FFFD(bytes, i, length, c);
    if (U_IS_BMP(c)) {
      wide += static_cast<char16_t>(c);
    } else {
      wide += static_cast<char16_t>(U16_LEAD(c));
      wide += static_cast<char16_t>(U16_TRAIL(c));
    }
  }
  return Utf16ToAnsi(wide);
}

std::string AnsiToUtf8(std::string_view text) {
  if (ActiveCodePage().ascii_compatible && IsAscii(text)) return std::string(text);
  const std::u16string wide = AnsiToUtf16(text);
  std::string out;
  out.reserve(wide.size() * 2);
  size_t i = 0;
  while (i < wide.size()) {
    UChar32 c = wide[i++];
    if (U16_IS_LEAD(c) && i < wide.size() && U16_IS_TRAIL(wide[i])) {
      c = U16_GET_SUPPLEMENTARY(c, wide[i]);
      ++i;
    } else if (U16_IS_SURROGATE(c)) {
      c = 0xFFFD;
    }
    uint8_t buf[4];
    int32_t n = 0;
    U8_APPEND_UNSAFE(buf, n, c);
    out.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
  }
  return out;
}

}  // namespace vellorax::common
