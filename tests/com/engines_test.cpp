// The VLL2 and Crypt objects over their engines, early- and late-bound.
// Skipped in builds without the engines.
#include "com_test_support.h"

namespace {

class VLL2Test : public ComTest {
 protected:
  void SetUp() override {
    if (!kHaveVLL2) GTEST_SKIP() << "built without the VLL2 engine";
    vll2_ = Create<IVLL2>(CLSID_VLL2, IID_IVLL2);
    ASSERT_TRUE(vll2_);
    ASSERT_EQ(vll2_->Load(), S_OK);
  }
  void TearDown() override {
    vll2_.reset();
    ComTest::TearDown();
  }
  // Command(..., AAction) and its result.
  std::u16string Register(std::u16string_view name, std::u16string_view type, std::u16string_view command,
                          HRESULT status = S_OK, std::u16string_view action = u"add") {
    TStr n(name), t(type), c(command), a(action), result;
    EXPECT_EQ(vll2_->Command(n, t, c, a, result.put()), status);
    return result.text();
  }
  std::u16string Execute(std::u16string_view name, std::u16string_view record, bool fix = false,
                         HRESULT status = S_OK) {
    TStr n(name), r(record), result;
    EXPECT_EQ(vll2_->Execute(n, r, fix ? VARIANT_TRUE : VARIANT_FALSE, result.put()), status);
    return result.text();
  }

  TRef<IVLL2> vll2_;
};

TEST_F(VLL2Test, FormatsRecords) {
  EXPECT_EQ(Register(u"hello", u"script", u"\"Hello\""), u"");
  EXPECT_EQ(Execute(u"HELLO", u""), u"Hello");  // command names ignore case
  EXPECT_EQ(Register(u"t", u"tag", u"245 {$a : $b}"), u"");
  EXPECT_EQ(Register(u"title", u"script", u"#t(245)"), u"");
  EXPECT_EQ(Execute(u"title", u"*24510$aMain\n$bSub\n^"), u"Main : Sub");
  // With AFix the display layout is repaired first; without, it is no field.
  EXPECT_EQ(Execute(u"title", u"001 12345\n245 10 $a Main $b Sub", true), u"Main : Sub");
  EXPECT_EQ(Execute(u"title", u"001 12345\n245 10 $a Main $b Sub", false), u"");
  // Characters outside the code page reach the engine as its substitution
  // character; those inside survive the round trip.
  Register(u"latin", u"script", u"\"S\u00E6r \u00F8l\"");
  EXPECT_EQ(Execute(u"latin", u""), u"S\u00E6r \u00F8l");
  Register(u"polish", u"script", u"\"\u0141\u00F3d\u017A\"");
  EXPECT_EQ(Execute(u"polish", u""), u"?\u00F3d?");
}

TEST_F(VLL2Test, UnknownActionAndDebugMessages) {
  EXPECT_EQ(Register(u"t", u"tag", u"", S_OK, u"remove"), u"VLL2 command error: Unknown action remove");
  EXPECT_EQ(Execute(u"nosuch", u""), u"");
  EXPECT_EQ(vll2_->put_Debug(VARIANT_TRUE), S_OK);
  EXPECT_EQ(Execute(u"nosuch", u""), u"VLL2 execute error: Command not found. (TVLLExecuteControl.Execute: nosuch)");
  // Any nonzero value counts as true, zero as false.
  EXPECT_EQ(vll2_->put_Debug(VARIANT_FALSE), S_OK);
  EXPECT_EQ(Execute(u"nosuch", u""), u"");
  EXPECT_EQ(vll2_->put_Debug(static_cast<VARIANT_BOOL>(1)), S_OK);
  EXPECT_NE(Execute(u"nosuch", u""), u"");
}

// A failing registration without Debug is the call's failure; AResult stays empty.
TEST_F(VLL2Test, FailedRegistrationIsAnError) {
  EXPECT_EQ(Register(u"c", u"constant", u"yes Ja\n\nno Nei", E_UNEXPECTED), u"");
  const TErrorRecord record = TakeError();
  EXPECT_EQ(record.description.rfind(u"VLL command error: ", 0), 0u);
  EXPECT_EQ(record.source, u"VelloraX.VLL2");
  EXPECT_TRUE(record.iid == IID_IVLL2);
  // The object stays loaded and usable.
  EXPECT_EQ(Register(u"hello", u"script", u"\"Hi\""), u"");
  EXPECT_EQ(Execute(u"hello", u""), u"Hi");
}

TEST_F(VLL2Test, UnloadForgetsAndLoadStartsAfresh) {
  Register(u"hello", u"script", u"\"Hello\"");
  EXPECT_EQ(vll2_->Load(), S_OK);  // a second Load replaces the engine
  EXPECT_EQ(Execute(u"hello", u""), u"");
  Register(u"hello", u"script", u"\"Hello\"");
  EXPECT_EQ(vll2_->Unload(), S_OK);
  EXPECT_EQ(Execute(u"hello", u"", false, E_UNEXPECTED), u"");
  EXPECT_EQ(TakeError().description, u"VLL2 not loaded");
  EXPECT_EQ(vll2_->Load(), S_OK);
  Register(u"hello", u"script", u"\"Hello\"");
  // Released while loaded: the engine goes with the object (the fixture
  // checks that nothing stays alive).
}

TEST_F(VLL2Test, LateBoundLikeAScriptHost) {
  IDispatch* d = vll2_.get();
  // Command("hello", "script", "\"Late\"", "add", out): the empty result replaces the old text.
  BSTR out = Server().AllocString(u"old");
  TArgs command;
  command.Str(u"hello").Str(u"script").Str(u"\"Late\"").Str(u"add").OutStr(&out);
  EXPECT_EQ(Invoke(d, 4, command).status, S_OK);
  EXPECT_EQ(out, nullptr);
  // Execute("hello", "", False) with the trailing out parameter left out: the call's value.
  VARIANT result{};
  TArgs execute;
  execute.Str(u"hello").Str(u"").Bool(false);
  EXPECT_EQ(Invoke(d, 5, execute, DISPATCH_METHOD, &result).status, S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(TStr::Text(result.bstrVal), u"Late");
  Server().ClearVariant(&result);
  // Debug = True as a property put of a VT_I2, then Execute by reference into
  // a VARIANT, as VBScript passes variables.
  TArgs debug;
  debug.I2(1).Named(DISPID_PROPERTYPUT);
  EXPECT_EQ(Invoke(d, 2, debug, DISPATCH_PROPERTYPUT).status, S_OK);
  TArgs by_ref;
  by_ref.Str(u"nosuch").Str(u"").Bool(false).OutVariant(&result);
  EXPECT_EQ(Invoke(d, 5, by_ref).status, S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(TStr::Text(result.bstrVal), u"VLL2 execute error: Command not found. (TVLLExecuteControl.Execute: nosuch)");
  Server().ClearVariant(&result);
}

using CryptTest = ComTest;

TEST_F(CryptTest, RoundTripEmptyStringsAndErrors) {
  if (!kHaveCrypt) GTEST_SKIP() << "built without the cipher";
  TRef<ICrypt> crypt = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
  ASSERT_TRUE(crypt);
  const struct {
    std::u16string_view plain;
    size_t cipher_length;  // 11 characters per 8-byte block, 22 for two, 32 for three
  } cases[] = {
      {u"a", 11}, {u"secret7", 11}, {u"8 bytes!", 22}, {u"fifteen bytes!!", 22},
      {u"sixteen bytes!!!", 32}, {u"S\u00E6r \u00F8l", 11},
  };
  for (const auto& c : cases) {
    TStr in(c.plain), cipher, again, plain;
    ASSERT_EQ(crypt->Encrypt(in, cipher.put()), S_OK);
    EXPECT_EQ(cipher.text().size(), c.cipher_length);
    EXPECT_EQ(crypt->Encrypt(in, again.put()), S_OK);
    EXPECT_EQ(cipher.text(), again.text());  // fixed key, no chaining
    ASSERT_EQ(crypt->Decrypt(cipher, plain.put()), S_OK);
    EXPECT_EQ(plain.text(), c.plain);
  }
  TStr empty, out;
  EXPECT_EQ(crypt->Encrypt(empty, out.put()), S_OK);
  EXPECT_EQ(out.get(), nullptr);
  EXPECT_EQ(crypt->Decrypt(empty, out.put()), S_OK);
  EXPECT_EQ(out.get(), nullptr);
  const struct {
    std::u16string_view cipher, message;
  } errors[] = {
      {u"ab=", u"Blowfish: Error converting from Base64 - invalid character"},
      {u"abc", u"Blowfish: Input not valid - too short"},
      {u"abcdefghij", u"Blowfish: Input not valid - too short"},
  };
  for (const auto& e : errors) {
    TStr in(e.cipher);
    EXPECT_EQ(crypt->Decrypt(in, out.put()), E_UNEXPECTED);
    EXPECT_EQ(out.get(), nullptr);
    const TErrorRecord record = TakeError();
    EXPECT_EQ(record.description, e.message);
    EXPECT_EQ(record.source, u"VelloraX.Crypt");
  }
}

}  // namespace
