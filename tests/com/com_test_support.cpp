#include "com_test_support.h"

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

TInvokeResult Invoke(IDispatch* object, DISPID id, TArgs& args, WORD flags, VARIANT* result) {
  EXCEPINFO info{};
  TInvokeResult r{};
  r.status = object->Invoke(id, IID_NULL, 0, flags, args.params(), result, &info, &r.arg_error);
  r.description = TStr::Text(info.bstrDescription);
  r.source = TStr::Text(info.bstrSource);
  r.scode = info.scode;
  for (BSTR b : {info.bstrSource, info.bstrDescription, info.bstrHelpFile}) Server().FreeString(b);
  return r;
}
