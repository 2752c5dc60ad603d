// The VLL2 and Crypt objects over their engines, early- and late-bound.
// Skipped in builds without the engines.
#include "com_test_support.h"

namespace {

class VLL2Test : public ComTest {
 protected:
  void SetUp() override {
    if (!HaveVLL2()) GTEST_SKIP() << "built without the VLL2 engine";
    vll2_ = Create<IVLL2>(CLSID_VLL2, IID_IVLL2);
    ASSERT_TRUE(vll2_);
    ASSERT_EQ(vll2_->Load(), S_OK);
  }
  void TearDown() override {
    vll2_.reset();
    ComTest::TearDown();
  }

  // Command(..., "add") and its result.
  std::u16string Register(std::u16string_view name, std::u16string_view type,
                          std::u16string_view command) {
    TStr n(name), t(type), c(command), a(u"add"), result;
    EXPECT_EQ(vll2_->Command(n, t, c, a, result.put()), S_OK);
    return result.text();
  }
  std::u16string Execute(std::u16string_view name, std::u16string_view record, bool fix = false) {
    TStr n(name), r(record), result;
    EXPECT_EQ(vll2_->Execute(n, r, fix ? VARIANT_TRUE : VARIANT_FALSE, result.put()), S_OK);
    return result.text();
  }

  TRef<IVLL2> vll2_;
};

TEST_F(VLL2Test, ScriptOfAQuotedText) {
  EXPECT_EQ(Register(u"hello", u"script", u"\"Hello\""), u"");
  EXPECT_EQ(Execute(u"hello", u""), u"Hello");
  EXPECT_EQ(Execute(u"HELLO", u""), u"Hello");  // command names ignore case
}

TEST_F(VLL2Test, FormatsARecordWithATagSpecification) {
  EXPECT_EQ(Register(u"t", u"tag", u"245 {$a : $b}"), u"");
  EXPECT_EQ(Register(u"title", u"script", u"#t(245)"), u"");
  EXPECT_EQ(Execute(u"title", u"*24510$aMain\n$bSub\n^"), u"Main : Sub");
  EXPECT_EQ(Execute(u"title", u"*24510$aMain\n^"), u"Main");
  EXPECT_EQ(Execute(u"title", u"*1001 $aSomeone\n^"), u"");
  // With AFix the display layout is repaired first; without, it is no field.
  EXPECT_EQ(Execute(u"title", u"001 12345\n245 10 $a Main $b Sub", true), u"Main : Sub");
  EXPECT_EQ(Execute(u"title", u"001 12345\n245 10 $a Main $b Sub", false), u"");
}

TEST_F(VLL2Test, UnknownActionAndDebugMessages) {
  TStr n(u"t"), t(u"tag"), c(u""), a(u"remove"), result;
  EXPECT_EQ(vll2_->Command(n, t, c, a, result.put()), S_OK);
  EXPECT_EQ(Narrow(result.text()), "VLL2 command error: Unknown action remove");
  EXPECT_EQ(Execute(u"nosuch", u""), u"");
  EXPECT_EQ(vll2_->put_Debug(VARIANT_TRUE), S_OK);
  EXPECT_EQ(Narrow(Execute(u"nosuch", u"")),
            "VLL2 execute error: Command not found. (TVLLExecuteControl.Execute: nosuch)");
  // Any nonzero value counts as true, zero as false.
  EXPECT_EQ(vll2_->put_Debug(VARIANT_FALSE), S_OK);
  EXPECT_EQ(Execute(u"nosuch", u""), u"");
  EXPECT_EQ(vll2_->put_Debug(static_cast<VARIANT_BOOL>(1)), S_OK);
  EXPECT_NE(Execute(u"nosuch", u""), u"");
}

// A failing registration without Debug is the call's failure; AResult stays empty.
TEST_F(VLL2Test, FailedRegistrationIsAnError) {
  TStr n(u"c"), t(u"constant"), c(u"yes Ja\n\nno Nei"), a(u"add"), result;
  EXPECT_EQ(vll2_->Command(n, t, c, a, result.put()), E_UNEXPECTED);
  EXPECT_EQ(result.get(), nullptr);
  const TErrorRecord record = TakeError();
  EXPECT_EQ(Narrow(record.description).rfind("VLL command error: ", 0), 0u) << Narrow(record.description);
  EXPECT_EQ(Narrow(record.source), "VelloraX.VLL2");
  EXPECT_TRUE(record.iid == IID_IVLL2);
  // The object stays loaded and usable.
  EXPECT_EQ(Register(u"hello", u"script", u"\"Hi\""), u"");
  EXPECT_EQ(Execute(u"hello", u""), u"Hi");
}

// Characters outside the code page reach the engine as its substitution
// character; those inside survive the round trip.
TEST_F(VLL2Test, CodePageConversion) {
  Register(u"latin", u"script", u"\"S\u00E6r \u00F8l\"");
  EXPECT_EQ(Execute(u"latin", u""), u"S\u00E6r \u00F8l");
  Register(u"polish", u"script", u"\"\u0141\u00F3d\u017A\"");
  EXPECT_EQ(Execute(u"polish", u""), u"?\u00F3d?");
}

TEST_F(VLL2Test, UnloadForgetsAndLoadStartsAfresh) {
  Register(u"hello", u"script", u"\"Hello\"");
  EXPECT_EQ(vll2_->Load(), S_OK);  // a second Load replaces the engine
  EXPECT_EQ(Execute(u"hello", u""), u"");
  Register(u"hello", u"script", u"\"Hello\"");
  EXPECT_EQ(vll2_->Unload(), S_OK);
  TStr n(u"hello"), r(u""), result;
  EXPECT_EQ(vll2_->Execute(n, r, VARIANT_FALSE, result.put()), E_UNEXPECTED);
  EXPECT_EQ(Narrow(TakeError().description), "VLL2 not loaded");
  EXPECT_EQ(vll2_->Load(), S_OK);
  Register(u"hello", u"script", u"\"Hello\"");
  // Released while loaded: the engine goes with the object (the fixture
  // checks that nothing stays alive).
}

TEST_F(VLL2Test, LateBoundLikeAScriptHost) {
  TRef<IDispatch> d;
  ASSERT_EQ(vll2_->QueryInterface(IID_IDispatch, d.put()), S_OK);
  auto call = [&](DISPID id, std::vector<VARIANT> reversed, WORD flags, VARIANT* result,
                  DISPID* named = nullptr) {
    DISPPARAMS p{reversed.data(), named, static_cast<UINT>(reversed.size()), named ? 1u : 0u};
    EXCEPINFO info{};
    return d->Invoke(id, IID_NULL, 0, flags, &p, result, &info, nullptr);
  };
  auto str = [](std::u16string_view s) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = Server().AllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return v;
  };
  VARIANT b{};
  b.vt = VT_BOOL;
  b.boolVal = VARIANT_FALSE;
  // Command("hello", "script", "\"Late\"", "add", out) with the out string by reference.
  BSTR out = Server().AllocString(u"old");
  VARIANT out_ref{};
  out_ref.vt = VT_BYREF | VT_BSTR;
  out_ref.pbstrVal = &out;
  std::vector<VARIANT> args = {out_ref, str(u"add"), str(u"\"Late\""), str(u"script"), str(u"hello")};
  EXPECT_EQ(call(4, args, DISPATCH_METHOD, nullptr), S_OK);
  EXPECT_EQ(out, nullptr);  // the empty result replaced the old text
  for (VARIANT& v : args) Server().ClearVariant(&v);
  // Execute("hello", "", False) with the result returned as the call's value
  // (the trailing out parameter left out).
  VARIANT result{};
  args = {b, str(u""), str(u"hello")};
  EXPECT_EQ(call(5, args, DISPATCH_METHOD, &result), S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(result.bstrVal, Server().StringLen(result.bstrVal)), u"Late");
  Server().ClearVariant(&result);
  for (VARIANT& v : args) Server().ClearVariant(&v);
  // Debug = True as a property put with the named DISPID_PROPERTYPUT argument.
  DISPID put = DISPID_PROPERTYPUT;
  VARIANT on{};
  on.vt = VT_I2;
  on.iVal = 1;
  EXPECT_EQ(call(2, {on}, DISPATCH_PROPERTYPUT, nullptr, &put), S_OK);
  // Execute by reference into a VARIANT, as VBScript passes variables.
  VARIANT target{};
  VARIANT target_ref{};
  target_ref.vt = VT_BYREF | VT_VARIANT;
  target_ref.pvarVal = &target;
  args = {target_ref, b, str(u""), str(u"nosuch")};
  EXPECT_EQ(call(5, args, DISPATCH_METHOD, nullptr), S_OK);
  EXPECT_EQ(target.vt, VT_BSTR);
  EXPECT_EQ(Narrow(std::u16string(target.bstrVal, Server().StringLen(target.bstrVal))),
            "VLL2 execute error: Command not found. (TVLLExecuteControl.Execute: nosuch)");
  Server().ClearVariant(&target);
  for (size_t i = 1; i < args.size(); ++i) Server().ClearVariant(&args[i]);
  // Unload (id 6) and Load (id 1).
  EXPECT_EQ(call(6, {}, DISPATCH_METHOD, nullptr), S_OK);
  EXPECT_EQ(call(1, {}, DISPATCH_METHOD, nullptr), S_OK);
}

class CryptTest : public ComTest {
 protected:
  void SetUp() override {
    if (!HaveCrypt()) GTEST_SKIP() << "built without the cipher";
    crypt_ = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
    ASSERT_TRUE(crypt_);
  }
  void TearDown() override {
    crypt_.reset();
    ComTest::TearDown();
  }
  HRESULT Encrypt(std::u16string_view text, TStr& out) {
    TStr in(text);
    return crypt_->Encrypt(in, out.put());
  }
  HRESULT Decrypt(std::u16string_view text, TStr& out) {
    TStr in(text);
    return crypt_->Decrypt(in, out.put());
  }
  TRef<ICrypt> crypt_;
};

TEST_F(CryptTest, RoundTripAndTextLengths) {
  const struct {
    std::u16string_view plain;
    size_t cipher_length;  // 11 characters per 8-byte block, 22 for two, 32 for three
  } cases[] = {
      {u"a", 11}, {u"secret7", 11}, {u"8 bytes!", 22}, {u"fifteen bytes!!", 22},
      {u"sixteen bytes!!!", 32}, {u"S\u00E6r \u00F8l", 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.plain));
    TStr cipher, plain, again;
    ASSERT_EQ(Encrypt(c.plain, cipher), S_OK);
    EXPECT_EQ(cipher.text().size(), c.cipher_length);
    EXPECT_EQ(Encrypt(c.plain, again), S_OK);
    EXPECT_EQ(cipher.text(), again.text());  // fixed key, no chaining
    ASSERT_EQ(Decrypt(cipher.text(), plain), S_OK);
    EXPECT_EQ(plain.text(), c.plain);
  }
}

TEST_F(CryptTest, EmptyStringsAndCipherErrors) {
  TStr out;
  EXPECT_EQ(Encrypt(u"", out), S_OK);
  EXPECT_EQ(out.get(), nullptr);
  EXPECT_EQ(Decrypt(u"", out), S_OK);
  EXPECT_EQ(out.get(), nullptr);
  const struct {
    std::u16string_view cipher;
    const char* message;
  } cases[] = {
      {u"ab=", "Blowfish: Error converting from Base64 - invalid character"},
      {u"abc", "Blowfish: Input not valid - too short"},
      {u"abcdefghij", "Blowfish: Input not valid - too short"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.cipher));
    EXPECT_EQ(Decrypt(c.cipher, out), E_UNEXPECTED);
    EXPECT_EQ(out.get(), nullptr);
    const TErrorRecord record = TakeError();
    EXPECT_EQ(Narrow(record.description), c.message);
    EXPECT_EQ(Narrow(record.source), "VelloraX.Crypt");
  }
}

TEST_F(CryptTest, LateBound) {
  TRef<IDispatch> d;
  ASSERT_EQ(crypt_->QueryInterface(IID_IDispatch, d.put()), S_OK);
  VARIANT arg{};
  arg.vt = VT_BSTR;
  arg.bstrVal = Server().AllocString(u"library");
  VARIANT cipher{};
  DISPPARAMS p{&arg, nullptr, 1, 0};
  ASSERT_EQ(d->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &p, &cipher, nullptr, nullptr), S_OK);
  ASSERT_EQ(cipher.vt, VT_BSTR);
  VARIANT plain{};
  DISPPARAMS q{&cipher, nullptr, 1, 0};
  ASSERT_EQ(d->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &q, &plain, nullptr, nullptr), S_OK);
  EXPECT_EQ(std::u16string(plain.bstrVal, Server().StringLen(plain.bstrVal)), u"library");
  for (VARIANT* v : {&arg, &cipher, &plain}) Server().ClearVariant(v);
}

}  // namespace
