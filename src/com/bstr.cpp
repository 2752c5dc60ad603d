#include "com/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "common/charset.h"

namespace vellorax::com {
namespace {

// Layout: [uint32 byte length][characters][0], the BSTR pointing at the
// characters.
BSTR AllocRaw(const OLECHAR* text, UINT len) noexcept {
  constexpr size_t kMaxChars = (std::numeric_limits<uint32_t>::max() - 8) / sizeof(OLECHAR);
  if (len > kMaxChars) return nullptr;
  const size_t bytes = size_t{len} * sizeof(OLECHAR);
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const uint32_t prefix = static_cast<uint32_t>(bytes);
  std::memcpy(block, &prefix, sizeof prefix);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(uint32_t));
  if (text != nullptr)
    std::memcpy(chars, text, bytes);
  else
    std::memset(chars, 0, bytes);
  chars[len] = 0;
  return chars;
}

}  // namespace

BSTR AllocBstr(std::u16string_view text) {
  if (text.size() > std::numeric_limits<UINT>::max()) throw std::bad_alloc();
  BSTR b = AllocRaw(text.data(), static_cast<UINT>(text.size()));
  if (b == nullptr) throw std::bad_alloc();
  return b;
}

std::u16string_view BstrView(BSTR text) {
  if (text == nullptr) return {};
  return {text, SysStringLen(text)};
}

std::string BstrToAnsi(BSTR text) {
  if (text == nullptr) return {};
  return common::Utf16ToAnsi(BstrView(text));
}

BSTR AnsiToBstr(std::string_view text) {
  if (text.empty()) return nullptr;
  return AllocBstr(common::AnsiToUtf16(text));
}

}  // namespace vellorax::com

VX_API BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  size_t len = 0;
  while (text[len] != 0) ++len;
  if (len > std::numeric_limits<UINT>::max()) return nullptr;
  return vellorax::com::AllocRaw(text, static_cast<UINT>(len));
}

VX_API BSTR SysAllocStringLen(const OLECHAR* text, UINT len) {
  return vellorax::com::AllocRaw(text, len);
}

VX_API void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  std::free(reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t));
}

VX_API UINT SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t), sizeof prefix);
  return prefix / sizeof(OLECHAR);
}
