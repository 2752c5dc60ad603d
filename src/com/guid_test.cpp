#include "com/guid.h"

#include <cstring>

#include <gtest/gtest.h>

#include "com/bstr.h"
#include "vellorax/guids.h"

namespace vellorax::com {
namespace {

TEST(GuidTest, TextFormMatchesTheRegistrySpelling) {
  EXPECT_EQ(GuidToString(CLSID_VLSrc), "{90B6E62C-4143-47D0-9ADE-B60E05E6199E}");
  EXPECT_EQ(GuidToString(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(ParseGuid("{90b6e62c-4143-47d0-9ade-b60e05e6199e}"), CLSID_VLSrc);
  EXPECT_EQ(ParseGuid(GuidToString(LIBID_VelloraX)), LIBID_VelloraX);
}

TEST(GuidTest, RejectsMalformedText) {
  for (const char* text : {"", "90B6E62C-4143-47D0-9ADE-B60E05E6199E",
                           "{90B6E62C-4143-47D0-9ADE-B60E05E6199E", "{90B6E62C-4143-47D0-9ADEB-60E05E6199E}",
                           "{90B6E62C-4143-47D0-9ADE-B60E05E6199G}", "{90B6E62C 4143-47D0-9ADE-B60E05E6199E}"})
    EXPECT_FALSE(ParseGuid(text).has_value()) << text;
}

TEST(BstrTest, LengthPrefixAndEmbeddedZeros) {
  const char16_t text[] = u"a\0b";
  TBstr b(SysAllocStringLen(text, 3));
  ASSERT_NE(b.get(), nullptr);
  EXPECT_EQ(SysStringLen(b.get()), 3u);
  EXPECT_EQ(BstrView(b.get()), std::u16string_view(text, 3));
  EXPECT_EQ(b.get()[3], u'\0');  // always zero-terminated
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<char*>(b.get()) - 4, 4);
  EXPECT_EQ(prefix, 6u);  // byte count
  TBstr zeros(SysAllocStringLen(nullptr, 2));  // room without text is zero-filled
  EXPECT_EQ(BstrView(zeros.get()), std::u16string_view(u"\0\0", 2));
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(BstrTest, CodePageConversion) {
  EXPECT_EQ(BstrToAnsi(nullptr), "");
  EXPECT_EQ(AnsiToBstr(""), nullptr);
  TBstr text(AllocBstr(u"S\u00E6r \u0141\u00F3d\u017A"));
  // Windows-1252 has æ, ó and ž but neither Ł nor ź.
  EXPECT_EQ(BstrToAnsi(text.get()), "S\xE6r ?\xF3" "d?");
  TBstr back(AnsiToBstr("S\xE6" "r"));
  EXPECT_EQ(BstrView(back.get()), u"S\u00E6r");
}

}  // namespace
}  // namespace vellorax::com
