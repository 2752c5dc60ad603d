#include "com/registry_data.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vellorax::com {
namespace {

constexpr auto kCR = TRegistryRoot::kClassesRoot;
constexpr auto kLM = TRegistryRoot::kLocalMachine;

TEST(RegistryDataTest, KeysAndValueNamesIgnoreCaseAndKeepFirstSpelling) {
  TRegistryData data;
  data.SetValue(kCR, "CLSID\\{AB}\\InprocServer32", "ThreadingModel", "Apartment");
  data.SetValue(kCR, "clsid\\{ab}\\inprocserver32", "threadingmodel", "Free");
  EXPECT_EQ(data.GetValue(kCR, "Clsid\\{Ab}\\INPROCSERVER32", "THREADINGMODEL"), "Free");
  EXPECT_TRUE(data.KeyExists(kCR, "CLSID\\{AB}"));  // parents exist as keys
  EXPECT_TRUE(data.KeyExists(kCR, "\\CLSID\\"));    // outer backslashes do not count
  EXPECT_FALSE(data.KeyExists(kLM, "CLSID"));        // the roots are separate
  EXPECT_FALSE(data.GetValue(kCR, "CLSID\\{AB}", "ThreadingModel").has_value());
  EXPECT_THAT(data.Serialize(), testing::HasSubstr("[HKEY_CLASSES_ROOT\\CLSID\\{AB}\\InprocServer32]\n\"ThreadingModel\"=\"Free\"\n"));
}

TEST(RegistryDataTest, DeleteKeyRemovesTheSubtreeOnly) {
  TRegistryData data;
  // A\B-x sorts between A\B and A\B\C.
  for (const char* key : {"A\\B", "A\\B\\C", "A\\B-x", "A\\BC"}) data.SetValue(kCR, key, "", key);
  EXPECT_TRUE(data.HasSubkeys(kCR, "A\\B"));
  EXPECT_TRUE(data.DeleteKey(kCR, "a\\b"));
  EXPECT_FALSE(data.KeyExists(kCR, "A\\B"));
  EXPECT_FALSE(data.KeyExists(kCR, "A\\B\\C"));
  EXPECT_EQ(data.GetValue(kCR, "A\\B-x", ""), "A\\B-x");
  EXPECT_EQ(data.GetValue(kCR, "A\\BC", ""), "A\\BC");
  EXPECT_FALSE(data.DeleteKey(kCR, "A\\B"));
}

TEST(RegistryDataTest, TextFormRoundTripsAwkwardValues) {
  const std::pair<std::string, std::string> values[] = {
      {"v0", ""}, {"v1", "plain"}, {"v2", "with \"quotes\" and \\back\\slashes\\"}, {"v3", "line\nfeed\r\ttab"},
      {"v4", std::string("nul\0byte\x7f", 9)}, {"v5", "C:\\Program Files\\VelloraX"}, {"v6", "\xE6\xF8\xE5 8-bit"},
      {"", "default"}, {"na\"me", "odd name"}};
  TRegistryData data;
  for (const auto& [name, value] : values) data.SetValue(kLM, "SOFTWARE\\Test", name, value);
  const TRegistryData back = TRegistryData::Parse(data.Serialize());
  for (const auto& [name, value] : values) EXPECT_EQ(back.GetValue(kLM, "SOFTWARE\\Test", name), value) << name;
  EXPECT_EQ(back.Serialize(), data.Serialize());
}

TEST(RegistryDataTest, ParsesHandWrittenFiles) {
  const TRegistryData data = TRegistryData::Parse(
      "; comment\r\n# another\r\n\r\n[HKLM\\SOFTWARE\\Vellora\\VelloraX\\VLL32]\r\n"
      "\"DllPath\"=\"C:\\\\VLL\\x41\"\r\n@=\"\"\r\n[hkey_classes_root\\K]\n@=\"1\"\n");
  EXPECT_EQ(data.GetValue(kLM, "SOFTWARE\\Vellora\\VelloraX\\VLL32", "DllPath"), "C:\\VLLA");
  EXPECT_EQ(data.GetValue(kLM, "SOFTWARE\\Vellora\\VelloraX\\VLL32", ""), "");
  EXPECT_EQ(data.GetValue(kCR, "K", ""), "1");  // root names ignore case
}

TEST(RegistryDataTest, RejectsMalformedTextNamingTheLine) {
  const struct {
    const char *text, *message;
  } cases[] = {
      {"@=\"x\"\n", "line 1: value outside a key"},
      {"[HKEY_USERS\\X]\n", "line 1: unknown root"},
      {"[HKCR\\X\n", "line 1: missing ]"},
      {"[HKCR]\n", "line 1: key without a name"},
      {"[HKCR\\X]\n\"a\"\"b\"\n", "line 2: missing ="},
      {"[HKCR\\X]\n\n\"a\"=\"b\n", "line 3: malformed value"},
      {"[HKCR\\X]\n\"a\"=\"\\q\"\n", "line 2: malformed value"},
      {"[HKCR\\X]\n\"a\"=\"\\x4\"\n", "line 2: malformed value"},
      {"[HKCR\\X]\n\"a\"=\"b\" trailing\n", "line 2: malformed value"},
      {"[HKCR\\X\\\\Y]\n", "empty name"},
  };
  for (const auto& c : cases)
    EXPECT_THAT([&] { TRegistryData::Parse(c.text); }, testing::ThrowsMessage<ERegistryError>(testing::HasSubstr(c.message)))
        << c.text;
}

TEST(RegistryDataTest, RejectsKeyNamesThatCannotBeStored) {
  TRegistryData data;
  for (const char* key : {"A\\\\B", "A\nB", "A]B", ""}) EXPECT_THROW(data.SetValue(kCR, key, "", "x"), ERegistryError);
  EXPECT_TRUE(data.empty());
}

}  // namespace
}  // namespace vellorax::com
