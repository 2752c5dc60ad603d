#include "com_test_support.h"

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

TErrorRecord TakeError() {
  TErrorRecord record;
  TRef<IErrorInfo> info;
  if (Server().GetErrorInfo(0, reinterpret_cast<IErrorInfo**>(info.put())) != S_OK || !info)
    return record;
  record.present = true;
  TStr description, source, help_file;
  EXPECT_EQ(info->GetDescription(description.put()), S_OK);
  EXPECT_EQ(info->GetSource(source.put()), S_OK);
  EXPECT_EQ(info->GetHelpFile(help_file.put()), S_OK);
  EXPECT_EQ(info->GetGUID(&record.iid), S_OK);
  EXPECT_EQ(info->GetHelpContext(&record.help_context), S_OK);
  record.description = description.text();
  record.source = source.text();
  record.help_file = help_file.text();
  return record;
}

const TClassCase kClassCases[5] = {
    {"ZClient", CLSID_ZClient, IID_IZClient, u"VelloraX.ZClient"},
    {"VLL", CLSID_VLL, IID_IVLL, u"VelloraX.VLL"},
    {"Crypt", CLSID_Crypt, IID_ICrypt, u"VelloraX.Crypt"},
    {"VLL2", CLSID_VLL2, IID_IVLL2, u"VelloraX.VLL2"},
    {"VLSrc", CLSID_VLSrc, IID_IVLSrc, u"VelloraX.VLSrc"},
};

TRef<IClassFactory> ClassObject(const GUID& clsid) {
  TRef<IClassFactory> factory;
  EXPECT_EQ(Server().GetClassObject(clsid, IID_IClassFactory, factory.put()), S_OK);
  return factory;
}

bool HaveVLL2() {
#ifdef VX_HAVE_VLL2
  return true;
#else
  return false;
#endif
}

bool HaveCrypt() {
#ifdef VX_HAVE_CRYPT
  return true;
#else
  return false;
#endif
}
