#include "search/scode_list.h"

#include <gtest/gtest.h>

#include <tuple>

#include "search/catalogue_fixture.h"
#include "search/ccl_parser.h"

namespace vellorax::search {
namespace {

class CatalogueTest : public testing::CatalogueFixture {
 protected:
  const TVLSCode* Code(const std::string& name) {
    for (std::size_t i = TVLSCodeList::kBuiltInCount; i < list_->Count(); ++i) {
      if (list_->At(i).Name() == name) return &list_->At(i);
    }
    return nullptr;
  }
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

  // entry, kind, default operator, index type, data type, ident id
  const std::tuple<std::size_t, SCodeKind, LogOp, IndexType, Datatype, std::int32_t> kinds[] = {
      {0, SCodeKind::ControlField, LogOp::Or, 3, Datatype::Word, -1},
      {1, SCodeKind::RecordColumn, LogOp::None, 3, Datatype::None, -1},
      {2, SCodeKind::CopyColumn, LogOp::None, 3, Datatype::None, -1},
      {3, SCodeKind::Authority, LogOp::None, 3, Datatype::String, -1},
      {4, SCodeKind::Category, LogOp::None, 3, Datatype::Date, -1},
      {5, SCodeKind::Template, LogOp::None, 3, Datatype::Word, -1},      // FT
      {7, SCodeKind::Template, LogOp::None, 3, Datatype::Integer, -1},   // PY
      {13, SCodeKind::SystemIndex, LogOp::And, 3, Datatype::String, 11}, // IS
      {18, SCodeKind::Index, LogOp::And, 1, Datatype::String, -1},       // TI
      {19, SCodeKind::Index, LogOp::Or, 2, Datatype::String, -1},        // AU
      {20, SCodeKind::Index, LogOp::Or, 0, Datatype::Word, -1},          // SW
      {21, SCodeKind::Index, LogOp::And, 0, Datatype::Word, -1},         // KW
      {22, SCodeKind::Index, LogOp::None, 3, Datatype::String, -1},      // XX
  };
  for (const auto& [index, kind, log_op, index_type, datatype, ident_id] : kinds) {
    const TVLSCode& code = list_->At(index);
    EXPECT_EQ(code.Kind(), kind) << code.Name();
    EXPECT_EQ(code.DefaultLogOp(), log_op) << code.Name();
    EXPECT_EQ(code.GetIndexType(), index_type) << code.Name();
    EXPECT_EQ(code.CodeDatatype(), datatype) << code.Name();
    EXPECT_EQ(code.IdentId(), ident_id) << code.Name();
  }
  EXPECT_EQ(list_->At(7).SelectMal(),
            "select marc_id from nsu.marc_record where (publishyear :ValueRange)");
  EXPECT_EQ(list_->At(0).SelectMal(), "");
}

// Rows for groups 0 and 1001 are skipped; "sw" is found by its upper-case name.
TEST_F(CatalogueTest, TableNumbersPerDocumentGroup) {
  const std::tuple<const char*, std::int32_t, std::int32_t> cases[] = {
      {"TI", 1, 12},  {"TI", 2, 12}, {"TI", 3, 14}, {"TI", 4, -1}, {"TI", 1000, -1},
      {"TI", 0, -1},  {"TI", 1001, -1}, {"AU", 1, 20}, {"AU", 2, -1}, {"SW", 1, 30},
      {"KW", 2, 31},  {"FT", 1, -1},
  };
  for (const auto& [name, group, table] : cases) {
    ASSERT_NE(Code(name), nullptr) << name;
    EXPECT_EQ(Code(name)->TabNumber(group), table) << name << " " << group;
  }
}

TEST_F(CatalogueTest, FindSCode) {
  // typed name, known, name after the lookup, entry of the code (-1: none)
  const std::tuple<const char*, bool, const char*, std::ptrdiff_t> cases[] = {
      {" Ti ", true, "TI", 18},
      {"fritekst", true, "FT", 5},            // alias
      {" year ", true, "PY", 7},              // alias, trimmed and upper-cased
      {"FT+COPY_BAR_CODE", true, "FT+COPY_BAR_CODE", -1},
      {"DUP", true, "DUP", 11},               // the template, loaded first
      {"s\xF8k", true, "S\xD8K", 12},         // national letters upper-cased by the locale
      {"008_7_4", true, "008_7_4", 0},
      {"005_0", true, "005_0", 0},
      {"108_7_4", false, "108_7_4", -1},
      {"008_x_4", false, "008_X_4", -1},
      {"008", false, "008", -1},
      {"TITLE_publish_date", true, "TITLE_PUBLISH_DATE", 1},
      {"titleXpublish_date", true, "TITLEXPUBLISH_DATE", 1},  // 6th character not examined
      {"TITLE_nosuch", false, "TITLE_NOSUCH", -1},
      {"TITLE_bar_code", false, "TITLE_BAR_CODE", -1},        // a copy column
      {"copy_copy_no", true, "COPY_COPY_NO", 2},
      {"COPY_BAR_CODE", true, "COPY_BAR_CODE", 6},            // the template comes first
      {"COPY_publish_date", false, "COPY_PUBLISH_DATE", -1},
      {"AUT1_PERSON", true, "AUT1_PERSON", 3},
      {"CAT_NEW_IN", true, "CAT_NEW_IN", 4},
      {"CONTR_AUTO", false, "CONTR_AUTO", -1},                // built-ins are not found by name
      {"winter", false, "WINTER", -1},
      {"", false, "", -1},
      {"STAMP", false, "STAMP", -1},                          // data type 6 is not loaded
  };
  for (const auto& [typed, known, name_after, entry] : cases) {
    std::string name = typed;
    const TVLSCode* code = reinterpret_cast<const TVLSCode*>(1);
    EXPECT_EQ(list_->FindSCode(name, code), known) << typed;
    EXPECT_EQ(name, name_after) << typed;
    EXPECT_EQ(code, entry < 0 ? nullptr : &list_->At(static_cast<std::size_t>(entry))) << typed;
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
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(list_->Aliases().Lookup("STREKKODE", name));
  EXPECT_EQ(name, "COPY_BAR_CODE");
  const std::vector<std::string> statements = {
      TVLColumnDatatypeList::kLoadSQL, TVLAliasList::kLoadSQL, TVLSCodeList::kTemplateSQL,
      TVLSCodeList::kSystemIndexSQL,   TVLSCodeList::kIndexSQL, TVLSCodeList::kTabNumberSQL};
  EXPECT_EQ(rows_.Statements(), statements);  // run in loading order
  EXPECT_STREQ(TVLSCodeList::kSystemIndexSQL,
               "select Ident, Ident_id, Note from nsu.Ident_code where index_definition_id is "
               "null ");
  EXPECT_STREQ(TVLSCodeList::kTabNumberSQL, "select Ident, Tab_Number, document_group_id from "
                                            "nsu.Ident_code key join nsu.Index_Entry_Num ");
}

// The parser's known-code test is FindSCode; the term keeps the word as written.
TEST_F(CatalogueTest, ParserAsksFindSCode) {
  const std::pair<const char*, const char*> cases[] = {
      {"Au=river", "Au = river"},
      {"year=2001", "year = 2001"},
      {"008_7_4=x", "008_7_4 = x"},
      {"s\xF8k=x", "s\xF8k = x"},
      {"TITLE_nothing=1999", "FT+COPY_BAR_CODE = TITLE_nothing = 1999"},
      {"stamp=x", "FT+COPY_BAR_CODE = stamp = x"},
  };
  const TCCLParser parser(*list_);
  for (const auto& [command, rpn] : cases) EXPECT_EQ(parser.ToRPN(command), rpn) << command;
}

TEST(CatalogueLoadTest, DatabaseErrorsAndBadNumbersPropagate) {
  TMemoryRowSource empty;  // no statement has a result: every Open fails
  EXPECT_THROW(TVLSCodeList list(empty), std::runtime_error);
  TMemoryRowSource rows;
  testing::FillTestCatalogue(rows);
  rows.SetResult(TVLSCodeList::kSystemIndexSQL, {{"Ident", "Ident_id"}, {{"IS", "eleven"}}});
  TVLSCodeList list(rows);
  EXPECT_THROW(list.LoadSCodes(), std::runtime_error);
}

TEST(SCodeClassTest, ControlFieldParts) {
  const std::tuple<const char*, const char*, std::int32_t, std::int32_t> cases[] = {
      {"008_7_4", "008", 7, 4}, {"005_0", "005", 0, 1}, {"__008__35__3__", "008", 35, 3}};
  for (const auto& [code, field_code, start_at, len] : cases) {
    std::string field;
    std::int32_t length = 0, start = 0;
    ASSERT_TRUE(TVLSCode::IsControlFieldCode(code, field, length, start)) << code;
    EXPECT_EQ(field, field_code) << code;
    EXPECT_EQ(start, start_at) << code;
    EXPECT_EQ(length, len) << code;
  }
}

TEST(SearchTypesTest, TextConversions) {
  const std::pair<const char*, LogOp> logs[] = {
      {" and ", LogOp::And}, {"Or", LogOp::Or}, {"NOT", LogOp::Not}, {"XOR", LogOp::None}};
  for (const auto& [text, log] : logs) EXPECT_EQ(LogOpFromText(text), log) << text;
  const std::pair<const char*, RelOp> rels[] = {
      {"<", RelOp::Less}, {"<=", RelOp::LessEqual}, {">", RelOp::Greater},
      {">=", RelOp::GreaterEqual}, {" = ", RelOp::Equal}, {"in", RelOp::Interval},
      {"like", RelOp::None}, {"=<", RelOp::None}};
  for (const auto& [text, rel] : rels) EXPECT_EQ(RelOpFromText(text), rel) << text;
  const std::pair<RelOp, const char*> texts[] = {
      {RelOp::Equal, "="}, {RelOp::Less, "<"}, {RelOp::Greater, ">"}, {RelOp::GreaterEqual, ">="},
      {RelOp::LessEqual, "<="}, {RelOp::Interval, "IN"}, {RelOp::Like, "like"}, {RelOp::None, ""}};
  for (const auto& [rel, text] : texts) EXPECT_EQ(RelOpToText(rel), text);
  const std::pair<const char*, Datatype> types[] = {
      {"char", Datatype::String}, {"LONG VARCHAR", Datatype::String},
      {" integer ", Datatype::Integer}, {"smallint", Datatype::Integer}, {"date", Datatype::Date},
      {"numeric", Datatype::Numeric}, {"timestamp", Datatype::Timestamp},
      {"binary", Datatype::String}};
  for (const auto& [text, type] : types) EXPECT_EQ(DatatypeFromColumnType(text), type) << text;
  EXPECT_EQ(IndexTypeFromNumber(2), 2);
  EXPECT_EQ(IndexTypeFromNumber(-1), 3);
  EXPECT_EQ(IndexTypeFromNumber(9), 3);
  EXPECT_EQ(DatatypeFromNumber(5), Datatype::Numeric);
  EXPECT_EQ(DatatypeFromNumber(6), Datatype::None);
  for (const auto& [in, out] : {std::pair{"[abc]", "abc"}, {"[]", ""}, {"[", "["}, {"[a", "[a"}}) {
    EXPECT_EQ(StripBrackets(in), out) << in;
  }
}

}  // namespace
}  // namespace vellorax::search
