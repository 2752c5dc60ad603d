// The CCL parser over a real search-code catalogue: whether a leading word is
// a code is FindSCode's answer (aliases, letter case, built-in families, names
// with "+"), and every other word gets the default search code.
#include <gtest/gtest.h>

#include <memory>

#include "common/text_compare.h"
#include "search/catalogue_fixture.h"
#include "search/ccl_parser.h"
#include "search/scode_list.h"

namespace vellorax::search {
namespace {

class CclParserCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::SetTextLocale("en_US");
    testing::FillTestCatalogue(rows_);
    codes_ = std::make_unique<TVLSCodeList>(rows_);
    codes_->LoadSCodes();
  }

  TMemoryRowSource rows_;
  std::unique_ptr<TVLSCodeList> codes_;
};

TEST_F(CclParserCatalogueTest, KnownCodesAreThoseFindSCodeFinds) {
  struct Case {
    const char* command;
    const char* rpn;
  };
  const Case cases[] = {
      // Index, template and system-index codes, in any letter case.
      {"ti=winter", "ti = winter"},
      {"Au=river", "Au = river"},
      {"ft=x", "ft = x"},
      {"ax=B", "ax = B"},
      // Aliases stand for their codes; the term keeps the word as written.
      {"year=2001", "year = 2001"},
      {"fritekst=x", "fritekst = x"},
      // Built-in families.
      {"008_7_4=x", "008_7_4 = x"},
      {"TITLE_publish_date>1999", "TITLE_publish_date > 1999"},
      {"copy_bar_code=123", "copy_bar_code = 123"},
      {"AUT1_PERSON=x", "AUT1_PERSON = x"},
      {"cat_new_in=2001", "cat_new_in = 2001"},
      // National letters are upper-cased by the locale: "s\xF8k" is the code S\xD8K.
      {"s\xF8k=x", "s\xF8k = x"},
      // Any name holding "+".
      {"ti+au=x", "ti+au = x"},
      // Not codes: unknown names, a column that does not exist, a control
      // field code outside 00x, a code whose data type is not loaded.
      {"winter", "FT+COPY_BAR_CODE = winter"},
      {"TITLE_nothing=1999", "FT+COPY_BAR_CODE = TITLE_nothing = 1999"},
      {"108_7_4=x", "FT+COPY_BAR_CODE = 108_7_4 = x"},
      {"stamp=x", "FT+COPY_BAR_CODE = stamp = x"},
      {"ti=winter garden", "ti = winter FT+COPY_BAR_CODE = garden OR"},
  };
  const TCCLParser parser(*codes_);
  for (const Case& c : cases) {
    EXPECT_EQ(parser.ToRPN(c.command), c.rpn) << "command: " << c.command;
  }
}

}  // namespace
}  // namespace vellorax::search
