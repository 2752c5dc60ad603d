#include "search/scode_list.h"

#include <gtest/gtest.h>

#include "common/text_compare.h"
#include "search/catalogue_fixture.h"

namespace vellorax::search {
namespace {

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::SetTextLocale("en_US");
    testing::FillTestCatalogue(rows_);
    list_ = std::make_unique<TVLSCodeList>(rows_);
    list_->LoadSCodes();
  }

  const TVLSCode* Code(const std::string& name) {
    for (std::size_t i = TVLSCodeList::kBuiltInCount; i < list_->Count(); ++i) {
      if (list_->At(i).Name() == name) return &list_->At(i);
    }
    return nullptr;
  }

  TMemoryRowSource rows_;
  std::unique_ptr<TVLSCodeList> list_;
};

TEST_F(CatalogueTest, LoadsInOrderAndSkipsUntypedTemplates) {
  const std::vector<std::string> expected = {
      "CONTR_AUTO", "TITLE_AUTO", "COPY_AUTO", "AUT1_AUTO", "CAT_AUTO",             // built-ins
      "FT", "COPY_BAR_CODE", "PY", "PRICE", "ACQ", "TAG", "DUP", "S\xD8K",          // templates
      "IS", "SN", "UD", "AX", "DUP",                                                // system
      "TI", "AU", "SW", "KW", "XX",                                                 // indexes
  };
  ASSERT_EQ(list_->Count(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(list_->At(i).Name(), expected[i]);

  struct Kind {
    std::size_t index;
    SCodeKind kind;
    LogOp log_op;
    IndexType index_type;
    Datatype datatype;
    std::int32_t ident_id;
  };
  const Kind kinds[] = {
      {0, SCodeKind::ControlField, LogOp::Or, 3, Datatype::Word, -1},
      {1, SCodeKind::RecordColumn, LogOp::None, 3, Datatype::None, -1},
      {2, SCodeKind::CopyColumn, LogOp::None, 3, Datatype::None, -1},
      {3, SCodeKind::Authority, LogOp::None, 3, Datatype::String, -1},
      {4, SCodeKind::Category, LogOp::None, 3, Datatype::Date, -1},
      {5, SCodeKind::Template, LogOp::None, 3, Datatype::Word, -1},      // FT
      {7, SCodeKind::Template, LogOp::None, 3, Datatype::Integer, -1},   // PY
      {9, SCodeKind::Template, LogOp::None, 3, Datatype::Date, -1},      // ACQ
      {13, SCodeKind::SystemIndex, LogOp::And, 3, Datatype::String, 11}, // IS
      {17, SCodeKind::SystemIndex, LogOp::And, 3, Datatype::String, 99}, // DUP
      {18, SCodeKind::Index, LogOp::And, 1, Datatype::String, -1},       // TI
      {19, SCodeKind::Index, LogOp::Or, 2, Datatype::String, -1},        // AU
      {20, SCodeKind::Index, LogOp::Or, 0, Datatype::Word, -1},          // SW
      {21, SCodeKind::Index, LogOp::And, 0, Datatype::Word, -1},         // KW
      {22, SCodeKind::Index, LogOp::None, 3, Datatype::String, -1},      // XX
  };
  for (const Kind& k : kinds) {
    const TVLSCode& code = list_->At(k.index);
    EXPECT_EQ(code.Kind(), k.kind) << code.Name();
    EXPECT_EQ(code.DefaultLogOp(), k.log_op) << code.Name();
    EXPECT_EQ(code.GetIndexType(), k.index_type) << code.Name();
    EXPECT_EQ(code.CodeDatatype(), k.datatype) << code.Name();
    EXPECT_EQ(code.IdentId(), k.ident_id) << code.Name();
  }
  EXPECT_EQ(list_->At(7).SelectMal(),
            "select marc_id from nsu.marc_record where (publishyear :ValueRange)");
  EXPECT_EQ(list_->At(0).SelectMal(), "");
}

TEST_F(CatalogueTest, TableNumbersPerDocumentGroup) {
  const TVLSCode* ti = Code("TI");
  ASSERT_NE(ti, nullptr);
  EXPECT_EQ(ti->TabNumber(1), 12);
  EXPECT_EQ(ti->TabNumber(2), 12);
  EXPECT_EQ(ti->TabNumber(3), 14);
  EXPECT_EQ(ti->TabNumber(4), -1);
  EXPECT_EQ(ti->TabNumber(1000), -1);
  EXPECT_EQ(ti->TabNumber(0), -1);     // the row for group 0 was skipped
  EXPECT_EQ(ti->TabNumber(1001), -1);  // and so was the one for 1001
  EXPECT_EQ(Code("AU")->TabNumber(1), 20);
  EXPECT_EQ(Code("AU")->TabNumber(2), -1);
  EXPECT_EQ(Code("SW")->TabNumber(1), 30);  // "sw" found by its upper-case name
  EXPECT_EQ(Code("KW")->TabNumber(2), 31);
  EXPECT_EQ(Code("FT")->TabNumber(1), -1);
}

TEST_F(CatalogueTest, FindSCode) {
  struct Case {
    const char* typed;
    bool known;
    const char* name_after;
    std::ptrdiff_t entry;  // index of the code, -1 for none
  };
  const Case cases[] = {
      {"ti", true, "TI", 18},
      {" Ti ", true, "TI", 18},
      {"fritekst", true, "FT", 5},            // alias
      {" year ", true, "PY", 7},              // alias, trimmed and upper-cased
      {"FT+COPY_BAR_CODE", true, "FT+COPY_BAR_CODE", -1},
      {"ft+nosuch", true, "FT+NOSUCH", -1},
      {"DUP", true, "DUP", 11},               // the template, loaded first
      {"s\xF8k", true, "S\xD8K", 12},         // national letters upper-cased by the locale
      {"008_7_4", true, "008_7_4", 0},
      {"008_07_04", true, "008_07_04", 0},
      {"008_7", true, "008_7", 0},
      {"005_0", true, "005_0", 0},
      {"108_7_4", false, "108_7_4", -1},
      {"008_x_4", false, "008_X_4", -1},
      {"008_1_2_3", false, "008_1_2_3", -1},
      {"00_1", false, "00_1", -1},
      {"008", false, "008", -1},
      {"TITLE_publish_date", true, "TITLE_PUBLISH_DATE", 1},
      {"titleXpublish_date", true, "TITLEXPUBLISH_DATE", 1},  // 6th character not examined
      {"TITLE_nosuch", false, "TITLE_NOSUCH", -1},
      {"TITLE_bar_code", false, "TITLE_BAR_CODE", -1},        // a copy column
      {"copy_copy_no", true, "COPY_COPY_NO", 2},
      {"COPY_BAR_CODE", true, "COPY_BAR_CODE", 6},            // the template comes first
      {"COPY_publish_date", false, "COPY_PUBLISH_DATE", -1},
      {"AUT1_PERSON", true, "AUT1_PERSON", 3},
      {"aut1_", true, "AUT1_", 3},
      {"CAT_NEW_IN", true, "CAT_NEW_IN", 4},
      {"cat_x", true, "CAT_X", 4},
      {"CONTR_AUTO", false, "CONTR_AUTO", -1},                // built-ins are not found by name
      {"winter", false, "WINTER", -1},
      {"", false, "", -1},
      {"STAMP", false, "STAMP", -1},                          // data type 6 is not loaded
  };
  for (const Case& c : cases) {
    std::string name = c.typed;
    const TVLSCode* code = reinterpret_cast<const TVLSCode*>(1);
    EXPECT_EQ(list_->FindSCode(name, code), c.known) << c.typed;
    EXPECT_EQ(name, c.name_after) << c.typed;
    if (c.entry < 0) {
      EXPECT_EQ(code, nullptr) << c.typed;
    } else {
      EXPECT_EQ(code, &list_->At(static_cast<std::size_t>(c.entry))) << c.typed;
    }
  }
}

TEST_F(CatalogueTest, ColumnAndAliasLists) {
  const TVLColumnDatatype* date = list_->Columns().Find(" publish_date", "Marc_Record ");
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(date->datatype, Datatype::Date);
  EXPECT_EQ(list_->Columns().Find("copy_no", "copy")->datatype, Datatype::Integer);
  EXPECT_EQ(list_->Columns().Find("note", "copy")->datatype, Datatype::String);  // varbinary
  EXPECT_EQ(list_->Columns().Find("note", "marc_record"), nullptr);
  std::string name = "unchanged";
  EXPECT_FALSE(list_->Aliases().Lookup("nosuch", name));
  EXPECT_FALSE(list_->Aliases().Lookup("", name));
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(list_->Aliases().Lookup("STREKKODE", name));
  EXPECT_EQ(name, "COPY_BAR_CODE");
}

TEST_F(CatalogueTest, StatementsRunInLoadingOrder) {
  const std::vector<std::string> expected = {
      TVLColumnDatatypeList::kLoadSQL, TVLAliasList::kLoadSQL,     TVLSCodeList::kTemplateSQL,
      TVLSCodeList::kSystemIndexSQL,   TVLSCodeList::kIndexSQL,    TVLSCodeList::kTabNumberSQL,
  };
  EXPECT_EQ(rows_.Statements(), expected);
  EXPECT_EQ(std::string(TVLSCodeList::kSystemIndexSQL),
            "select Ident, Ident_id, Note from nsu.Ident_code where index_definition_id is null ");
  EXPECT_EQ(std::string(TVLSCodeList::kTabNumberSQL),
            "select Ident, Tab_Number, document_group_id from nsu.Ident_code key join "
            "nsu.Index_Entry_Num ");
}

TEST(CatalogueLoadTest, DatabaseErrorsPropagate) {
  TMemoryRowSource rows;  // no statement has a result: every Open fails
  EXPECT_THROW(TVLSCodeList list(rows), std::runtime_error);
}

TEST(CatalogueLoadTest, NonNumericIntegerColumnFails) {
  TMemoryRowSource rows;
  testing::FillTestCatalogue(rows);
  rows.SetResult(TVLSCodeList::kSystemIndexSQL, {{"Ident", "Ident_id"}, {{"IS", "eleven"}}});
  TVLSCodeList list(rows);
  EXPECT_THROW(list.LoadSCodes(), std::runtime_error);
}

TEST(SCodeClassTest, ControlFieldParts) {
  std::string field;
  std::int32_t length = 0;
  std::int32_t start = 0;
  ASSERT_TRUE(TVLSCode::IsControlFieldCode("008_7_4", field, length, start));
  EXPECT_EQ(field, "008");
  EXPECT_EQ(start, 7);
  EXPECT_EQ(length, 4);
  ASSERT_TRUE(TVLSCode::IsControlFieldCode("005_0", field, length, start));
  EXPECT_EQ(field, "005");
  EXPECT_EQ(start, 0);
  EXPECT_EQ(length, 1);
  ASSERT_TRUE(TVLSCode::IsControlFieldCode("__008__35__3__", field, length, start));
  EXPECT_EQ(start, 35);
  EXPECT_EQ(length, 3);
}

TEST(SearchTypesTest, TextConversions) {
  EXPECT_EQ(LogOpFromText(" and "), LogOp::And);
  EXPECT_EQ(LogOpFromText("Or"), LogOp::Or);
  EXPECT_EQ(LogOpFromText("NOT"), LogOp::Not);
  EXPECT_EQ(LogOpFromText("XOR"), LogOp::None);
  EXPECT_EQ(LogOpFromText(""), LogOp::None);
  const std::pair<const char*, RelOp> rels[] = {
      {"<", RelOp::Less},    {"<=", RelOp::LessEqual}, {">", RelOp::Greater},
      {">=", RelOp::GreaterEqual}, {" = ", RelOp::Equal}, {"in", RelOp::Interval},
      {"like", RelOp::None}, {"=<", RelOp::None},       {"", RelOp::None},
  };
  for (const auto& [text, rel] : rels) EXPECT_EQ(RelOpFromText(text), rel) << text;
  const std::pair<RelOp, const char*> texts[] = {
      {RelOp::Equal, "="},  {RelOp::Less, "<"},     {RelOp::Greater, ">"},
      {RelOp::GreaterEqual, ">="}, {RelOp::LessEqual, "<="}, {RelOp::Interval, "IN"},
      {RelOp::Like, "like"}, {RelOp::None, ""},
  };
  for (const auto& [rel, text] : texts) EXPECT_EQ(RelOpToText(rel), text);
  const std::pair<const char*, Datatype> types[] = {
      {"char", Datatype::String},    {"LONG VARCHAR", Datatype::String},
      {" integer ", Datatype::Integer}, {"smallint", Datatype::Integer},
      {"date", Datatype::Date},      {"numeric", Datatype::Numeric},
      {"timestamp", Datatype::Timestamp}, {"binary", Datatype::String},
  };
  for (const auto& [text, type] : types) EXPECT_EQ(DatatypeFromColumnType(text), type) << text;
  EXPECT_EQ(IndexTypeFromNumber(0), 0);
  EXPECT_EQ(IndexTypeFromNumber(2), 2);
  EXPECT_EQ(IndexTypeFromNumber(-1), 3);
  EXPECT_EQ(IndexTypeFromNumber(9), 3);
  EXPECT_EQ(DatatypeFromNumber(5), Datatype::Numeric);
  EXPECT_EQ(DatatypeFromNumber(6), Datatype::None);
  EXPECT_EQ(DatatypeFromNumber(-3), Datatype::None);
  EXPECT_EQ(StripBrackets("[abc]"), "abc");
  EXPECT_EQ(StripBrackets("[]"), "");
  EXPECT_EQ(StripBrackets("["), "[");
  EXPECT_EQ(StripBrackets("[abc"), "[abc");
  EXPECT_EQ(StripBrackets(""), "");
}

}  // namespace
}  // namespace vellorax::search
