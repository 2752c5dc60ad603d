// DllRegisterServer / DllUnregisterServer and object creation by ProgID
// through the client helper, against a scratch registry file.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "com_test_support.h"
#include "vellorax/client.h"

namespace {

class RegistrationTest : public ComTest {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vx_registration_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::setenv("VELLORAX_REGISTRY", (dir_ / "registry").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("VELLORAX_REGISTRY");
    std::filesystem::remove_all(dir_);
    ComTest::TearDown();
  }

  // The value, or "<none>" when the key or value is missing.
  static std::string Value(const std::string& key, const char* name = "",
                           const char* root = "HKEY_CLASSES_ROOT") {
    char buffer[1024];
    if (VxRegGetValue(root, key.c_str(), name, buffer, sizeof buffer) < 0) return "<none>";
    return buffer;
  }
  std::string FileText() const {
    std::ifstream in(dir_ / "registry");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path dir_;
};

const char* kLibId = "{8E732FB4-A7B6-4B1B-8C82-A98D091470CC}";

struct TRegisteredClass {
  const char *progid, *clsid, *description, *threading, *iid;
};
const TRegisteredClass kRegistered[] = {
    {"VelloraX.ZClient", "{9E488C64-2EC9-4E1F-98DF-BE9CDE1DC0D3}", "Z39.50 client object ", "Apartment", "{7F44DD06-639A-408A-8B5D-80A113023A00}"},
    {"VelloraX.VLL", "{51AADCB5-CE39-4752-877B-B19EEFA8706C}", "VLL (Vellora Macro Language) object", "Apartment", "{9B5D800A-C182-442F-8000-84CF6791BCE2}"},
    {"VelloraX.Crypt", "{3F57504D-D375-4BDE-9611-31FF9B9D5A3B}", "Crypt object", "Apartment", "{1AA054EE-0E31-45A1-B5E9-291C0C271475}"},
    {"VelloraX.VLL2", "{2F245D93-3E3B-4BBD-BE18-B76053D931E4}", "VLL (Vellora Macro Language) object ", "Apartment", "{F1AD0BF7-C3F4-4F39-870B-2189DC2EAD01}"},
    {"VelloraX.VLSrc", "{90B6E62C-4143-47D0-9ADE-B60E05E6199E}", "", "Free", "{F2DA7BFB-2057-4B26-A374-883ECC745302}"},
};

TEST_F(RegistrationTest, WritesEveryClassProgIDAndTheTypeLibrary) {
  ASSERT_EQ(Server().RegisterServer(), S_OK);
  const std::string library = std::filesystem::canonical(VX_LIBRARY_PATH).string();
  for (const TRegisteredClass& c : kRegistered) {
    SCOPED_TRACE(c.progid);
    const std::string key = std::string("CLSID\\") + c.clsid, interface = std::string("Interface\\") + c.iid;
    EXPECT_EQ(Value(key), c.description);
    EXPECT_EQ(Value(key + "\\InprocServer32"), library);
    EXPECT_EQ(Value(key + "\\InprocServer32", "ThreadingModel"), c.threading);
    EXPECT_EQ(Value(key + "\\ProgID"), c.progid);
    EXPECT_EQ(Value(key + "\\Version"), "1.0");
    EXPECT_EQ(Value(key + "\\TypeLib"), kLibId);
    EXPECT_EQ(Value(c.progid), c.description);
    EXPECT_EQ(Value(std::string(c.progid) + "\\Clsid"), c.clsid);
    EXPECT_EQ(Value(interface + "\\TypeLib"), kLibId);
    EXPECT_EQ(Value(interface + "\\TypeLib", "Version"), "1.0");
  }
  const std::string typelib = std::string("TypeLib\\") + kLibId + "\\1.0";
  EXPECT_EQ(Value(typelib), "VelloraX Library");
  EXPECT_EQ(Value(typelib + "\\0\\linux64"), library);
  EXPECT_EQ(Value("Interface\\{F1AD0BF7-C3F4-4F39-870B-2189DC2EAD01}"), "IVLL2");
  // The class keys do not land under HKEY_LOCAL_MACHINE.
  EXPECT_EQ(Value("CLSID\\{2F245D93-3E3B-4BBD-BE18-B76053D931E4}", "", "HKEY_LOCAL_MACHINE"), "<none>");

  CLSID clsid{};
  EXPECT_EQ(VxCLSIDFromProgID("VelloraX.VLSrc", &clsid), S_OK);
  EXPECT_TRUE(clsid == CLSID_VLSrc);
  // Registering again changes nothing.
  const std::string once = FileText();
  ASSERT_EQ(Server().RegisterServer(), S_OK);
  EXPECT_EQ(FileText(), once);
}

TEST_F(RegistrationTest, UnregisterRemovesOnlyItsOwnEntries) {
  {
    std::ofstream seed(dir_ / "registry");
    seed << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vellora\\VelloraX\\VLL32]\n\"DllPath\"=\"/opt/vll\"\n"
         << "[HKEY_CLASSES_ROOT\\TypeLib\\" << kLibId << "\\2.0]\n@=\"a later version\"\n"
         << "[HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-000000000001}]\n@=\"Other\"\n";
  }
  ASSERT_EQ(Server().RegisterServer(), S_OK);
  ASSERT_EQ(Server().UnregisterServer(), S_OK);
  for (const TRegisteredClass& c : kRegistered) {
    SCOPED_TRACE(c.progid);
    EXPECT_EQ(Value(std::string("CLSID\\") + c.clsid), "<none>");
    EXPECT_EQ(Value(std::string("CLSID\\") + c.clsid + "\\InprocServer32"), "<none>");
    EXPECT_EQ(Value(std::string(c.progid) + "\\Clsid"), "<none>");
    EXPECT_EQ(Value(std::string("Interface\\") + c.iid), "<none>");
    EXPECT_EQ(FileText().find(c.progid), std::string::npos);
  }
  EXPECT_EQ(Value(std::string("TypeLib\\") + kLibId + "\\1.0"), "<none>");
  EXPECT_EQ(Value(std::string("TypeLib\\") + kLibId + "\\2.0"), "a later version");
  EXPECT_EQ(Value("SOFTWARE\\Vellora\\VelloraX\\VLL32", "DllPath", "HKLM"), "/opt/vll");
  EXPECT_EQ(Value("CLSID\\{00000000-0000-0000-0000-000000000001}"), "Other");
  // Nothing left to remove is no failure.
  EXPECT_EQ(Server().UnregisterServer(), S_OK);
}

TEST_F(RegistrationTest, UnwritableRegistryFails) {
  std::ofstream(dir_ / "blocker") << "a file, not a folder";
  ::setenv("VELLORAX_REGISTRY", (dir_ / "blocker" / "registry").c_str(), 1);
  EXPECT_EQ(Server().RegisterServer(), E_FAIL);
  const TErrorRecord record = TakeError();
  EXPECT_TRUE(record.present);
  EXPECT_FALSE(record.description.empty());
  EXPECT_EQ(record.source, u"VelloraX");
  EXPECT_EQ(Server().UnregisterServer(), E_FAIL);
  EXPECT_TRUE(TakeError().present);
}

TEST_F(RegistrationTest, CreateByProgIDThroughTheRegistry) {
  TRef<IVLL2> vll2;
  EXPECT_EQ(VxCreateInstanceByName("VelloraX.VLL2", &IID_IVLL2, vll2.put()), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(vll2);
  TRef<IErrorInfo> info;
  ASSERT_EQ(VxGetErrorInfo(info.put()), S_OK);
  TStr description;
  info->GetDescription(description.put());
  EXPECT_EQ(description.text(), u"Class not registered: VelloraX.VLL2");
  info.reset();

  ASSERT_EQ(Server().RegisterServer(), S_OK);
  for (const char* name : {"VelloraX.VLL2", "velloraX.vll2", "{2F245D93-3E3B-4BBD-BE18-B76053D931E4}"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(VxCreateInstanceByName(name, &IID_IVLL2, vll2.put()), S_OK);
    ASSERT_TRUE(vll2);
    EXPECT_EQ(vll2->Unload(), S_OK);
  }
  TRef<IVLSrc> wrong;
  EXPECT_EQ(VxCreateInstanceByName("VelloraX.VLL2", &IID_IVLSrc, wrong.put()), E_NOINTERFACE);
  EXPECT_EQ(VxCreateInstance(&CLSID_VLSrc, &IID_IVLSrc, wrong.put()), S_OK);
  EXPECT_TRUE(wrong);
  EXPECT_EQ(VxCreateInstanceByName("{not a class id}", &IID_IUnknown, wrong.put()), CO_E_CLASSSTRING);
  vll2.reset();
  wrong.reset();
  VxGetErrorInfo(info.put());  // the last failure's record
  info.reset();

  // A class whose library file is gone.
  std::ofstream(dir_ / "registry", std::ios::app)
      << "[HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-000000000002}\\InprocServer32]\n@=\""
      << (dir_ / "missing.so").string() << "\"\n";
  CLSID missing{};
  ASSERT_EQ(VxCLSIDFromString("{00000000-0000-0000-0000-000000000002}", &missing), S_OK);
  EXPECT_EQ(VxCreateInstance(&missing, &IID_IUnknown, wrong.put()), CO_E_DLLNOTFOUND);
  EXPECT_EQ(VxGetErrorInfo(info.put()), S_OK);
  EXPECT_TRUE(info);

  ASSERT_EQ(Server().UnregisterServer(), S_OK);
  EXPECT_EQ(VxCreateInstanceByName("VelloraX.VLL2", &IID_IVLL2, vll2.put()), REGDB_E_CLASSNOTREG);
  VxGetErrorInfo(info.put());
}

TEST(ClientHelperTest, ClassIdText) {
  CLSID id{};
  EXPECT_EQ(VxCLSIDFromString("{2f245d93-3e3b-4bbd-be18-b76053d931e4}", &id), S_OK);
  EXPECT_TRUE(id == CLSID_VLL2);
  char text[39];
  VxStringFromCLSID(&id, text);
  EXPECT_STREQ(text, "{2F245D93-3E3B-4BBD-BE18-B76053D931E4}");
  EXPECT_EQ(VxCLSIDFromString("2F245D93-3E3B-4BBD-BE18-B76053D931E4", &id), CO_E_CLASSSTRING);
  EXPECT_EQ(VxCLSIDFromString(nullptr, &id), E_POINTER);
}

}  // namespace
