#include <gtest/gtest.h>

#include "common/text_compare.h"
#include "search/bitarr.h"
#include "search/catalogue_fixture.h"
#include "search/scode.h"
#include "search/scode_list.h"

namespace vellorax::search {
namespace {

TEST(RelationalTextTest, EveryOperator) {
  EXPECT_EQ(RelationalText(RelOp::Equal, "'a'", "'z'"), " = 'a'");
  EXPECT_EQ(RelationalText(RelOp::Less, "1", ""), " < 1");
  EXPECT_EQ(RelationalText(RelOp::Greater, "1", ""), " > 1");
  EXPECT_EQ(RelationalText(RelOp::GreaterEqual, "1", ""), " >= 1");
  EXPECT_EQ(RelationalText(RelOp::LessEqual, "1", ""), " <= 1");
  EXPECT_EQ(RelationalText(RelOp::Interval, "1", "9"), " between 1 and 9");
  EXPECT_EQ(RelationalText(RelOp::Like, "'a%'", ""), " like 'a%'");
  EXPECT_EQ(RelationalText(RelOp::None, "1", "9"), "");
}

TEST(DocGroupListTextTest, AscendingSetGroups) {
  TBitarr groups(1001);
  EXPECT_EQ(DocGroupListText(groups), "()");
  groups.SetBit(0);  // bit 0 is no document group
  EXPECT_EQ(DocGroupListText(groups), "()");
  groups.SetBit(1000);
  groups.SetBit(3);
  groups.SetBit(1);
  EXPECT_EQ(DocGroupListText(groups), "(1,3,1000)");
  groups.SetAll();  // spare bits above 1000 are no groups either
  const std::string all = DocGroupListText(groups);
  EXPECT_EQ(all.substr(0, 7), "(1,2,3,");
  EXPECT_EQ(all.substr(all.size() - 10), ",999,1000)");
  EXPECT_EQ(QuoteValue("O''CLOCK"), "'O''CLOCK'");
  EXPECT_EQ(QuoteValue(""), "''");
}

class TermSQLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::SetTextLocale("en_US");
    testing::FillTestCatalogue(rows_);
    list_ = std::make_unique<TVLSCodeList>(rows_);
    list_->LoadSCodes();
    groups_.SetBit(1);
    groups_.SetBit(3);
  }

  // The statement of the term `typed rel value[:value2]`, resolved through the
  // catalogue as the search object does.
  std::string SQL(std::string typed, RelOp rel, std::string value, std::string value2 = {}) {
    const TVLSCode* code = nullptr;
    EXPECT_TRUE(list_->FindSCode(typed, code)) << typed;
    if (code == nullptr) return "<no code>";
    return code->GetSQL(rel, std::move(value), std::move(value2), groups_, typed);
  }

  Datatype TypeOf(std::string typed) {
    const TVLSCode* code = nullptr;
    EXPECT_TRUE(list_->FindSCode(typed, code)) << typed;
    return code == nullptr ? Datatype::None : code->GetDatatype(typed);
  }

  TMemoryRowSource rows_;
  std::unique_ptr<TVLSCodeList> list_;
  TBitarr groups_{1001};
};

struct SQLCase {
  const char* code;
  RelOp rel;
  const char* value;
  const char* value2;
  const char* sql;
};

TEST_F(TermSQLTest, IndexCodes) {
  const SQLCase cases[] = {
      {"ti", RelOp::Equal, "abc", "",
       "select marc_id from nsu.index_entry_12 where (text  = 'abc') union all select marc_id "
       "from nsu.index_entry_14 where (text  = 'abc')"},
      {"ti", RelOp::Like, "ABC%", "",
       "select marc_id from nsu.index_entry_12 where (text  like 'ABC%') union all select "
       "marc_id from nsu.index_entry_14 where (text  like 'ABC%')"},
      {"ti", RelOp::Interval, "A", "B",
       "select marc_id from nsu.index_entry_12 where (text  between 'A' and 'B') union all "
       "select marc_id from nsu.index_entry_14 where (text  between 'A' and 'B')"},
      {"au", RelOp::GreaterEqual, "IBSEN", "",
       "select marc_id from nsu.index_entry_20 where (text  >= 'IBSEN')"},
      {"kw", RelOp::Equal, "X", "", ""},  // its only table is in group 2, not selected
  };
  for (const SQLCase& c : cases) EXPECT_EQ(SQL(c.code, c.rel, c.value, c.value2), c.sql) << c.code;
  groups_.SetBit(2);
  EXPECT_EQ(SQL("ti", RelOp::Equal, "X"),
            "select marc_id from nsu.index_entry_12 where (text  = 'X') union all select marc_id "
            "from nsu.index_entry_12 where (text  = 'X') union all select marc_id from "
            "nsu.index_entry_14 where (text  = 'X')");
}

TEST_F(TermSQLTest, TemplateCodes) {
  const SQLCase cases[] = {
      {"ft", RelOp::Equal, "WINTER", "",
       "select marc_id from nsu.fulltext where (word  = 'WINTER') and (document_group_id in "
       "(1,3))"},
      {"ft", RelOp::Like, "%%245abc", "",
       "select marc_id from nsu.fulltext where (word  like '%*245abc') and (document_group_id "
       "in (1,3))"},
      {"ft", RelOp::Like, "%%24x", "",
       "select marc_id from nsu.fulltext where (word  like '%%24x') and (document_group_id in "
       "(1,3))"},
      {"tag", RelOp::Equal, "X", "",
       "select marc_id from nsu.tag_index where (tag  = 'X') and (document_group_id in "
       ":DocGrpRange)"},
      {"py", RelOp::Equal, "42", "",
       "select marc_id from nsu.marc_record where (publishyear  = 42)"},
      {"py", RelOp::Interval, "1990", "2000",
       "select marc_id from nsu.marc_record where (publishyear  between 1990 and 2000)"},
      {"price", RelOp::Less, "9.50", "",
       "select marc_id from nsu.marc_record where (price  < 9.50)"},
      {"acq", RelOp::Equal, "2001-05-17", "",
       "select marc_id from nsu.copy where (acq_date  between '2001-05-17' and '2001-05-17 "
       "23:59:59')"},
      {"acq", RelOp::Greater, "2001-05-17", "",
       "select marc_id from nsu.copy where (acq_date  > '2001-05-17 23:59:59')"},
      {"acq", RelOp::GreaterEqual, "2001-05-17", "",
       "select marc_id from nsu.copy where (acq_date  >= '2001-05-17')"},
      {"acq", RelOp::Less, "2001-05-17", "",
       "select marc_id from nsu.copy where (acq_date  < '2001-05-17')"},
      {"acq", RelOp::LessEqual, "2001-05-17", "",
       "select marc_id from nsu.copy where (acq_date  <= '2001-05-17 23:59:59')"},
      {"acq", RelOp::Interval, "2001-01-01", "2001-12-31",
       "select marc_id from nsu.copy where (acq_date  between '2001-01-01' and '2001-12-31 "
       "23:59:59')"},
  };
  for (const SQLCase& c : cases) EXPECT_EQ(SQL(c.code, c.rel, c.value, c.value2), c.sql) << c.value;
}

TEST_F(TermSQLTest, ControlFieldCodes) {
  const SQLCase cases[] = {
      {"008_7_4", RelOp::Equal, "1999", "",
       "select marc_id from nsu.Control_Field where (Field_Code = '008') and  "
       "(substr(Value,8,4)  = '1999' )"},
      {"008_35_3", RelOp::Equal, "nor", "",
       "select marc_id from nsu.Control_Field where (Field_Code = '008') and  "
       "(substr(Value,36,3)  = 'nor' )"},
      {"008_35_3", RelOp::Equal, "no", "",
       "select marc_id from nsu.Control_Field where (Field_Code = '008') and  "
       "(substr(Value,36,3)  like 'no_' )"},
      {"008_35_3", RelOp::Equal, "norw", "",
       "select marc_id from nsu.Control_Field where (Field_Code = '008') and  "
       "(substr(Value,36,3)  = 'nor' )"},
      {"008_35_3", RelOp::Equal, "", "",
       "select marc_id from nsu.Control_Field where (Field_Code = '008') and  "
       "(substr(Value,36,3)  like '___' )"},
      {"005_0", RelOp::Equal, "2", "",
       "select marc_id from nsu.Control_Field where (Field_Code = '005') and  "
       "(substr(Value,1,1)  = '2' )"},
      {"008_07_04", RelOp::Equal, "19", "",
       "select marc_id from nsu.Control_Field where (Field_Code = '008') and  "
       "(substr(Value,8,4)  like '19__' )"},
      // Longer than any MARC field: matches nothing, without padding the value
      // to two thousand million characters.
      {"008_1_2000000000", RelOp::Equal, "x", "",
       "select marc_id from nsu.Marc_Record where marc_id = -1"},
  };
  for (const SQLCase& c : cases) EXPECT_EQ(SQL(c.code, c.rel, c.value, c.value2), c.sql) << c.code;
}

TEST_F(TermSQLTest, RecordAndCopyColumns) {
  const SQLCase cases[] = {
      {"title_publish_date", RelOp::Equal, "2001-05-17", "",
       "select marc_id from nsu.marc_record where (PUBLISH_DATE  between '2001-05-17' and "
       "'2001-05-17 23:59:59')"},
      {"TITLE_MOD_DATE", RelOp::Interval, "2001-01-01 10:00:00", "2001-02-01",
       "select marc_id from nsu.marc_record where (MOD_DATE  between '2001-01-01 10:00:00' and "
       "'2001-02-01 23:59:59')"},
      {"TITLE_MOD_DATE", RelOp::Greater, "2001-01-01 10:00:00", "",
       "select marc_id from nsu.marc_record where (MOD_DATE  > '2001-01-01 10:00:00')"},
      {"TITLE_MARC_ID", RelOp::Equal, "42", "",
       "select marc_id from nsu.marc_record where (MARC_ID  = 42)"},
      {"TITLE_TITLE", RelOp::Like, "PEER%", "",
       "select marc_id from nsu.marc_record where (TITLE  like 'PEER%')"},
      {"COPY_COPY_NO", RelOp::Less, "5", "",
       "select marc_id from nsu.copy where (COPY_NO  < 5)"},
      {"COPY_NOTE", RelOp::Equal, "X", "", "select marc_id from nsu.copy where (NOTE  = 'X')"},
  };
  for (const SQLCase& c : cases) EXPECT_EQ(SQL(c.code, c.rel, c.value, c.value2), c.sql) << c.code;
}

TEST_F(TermSQLTest, SystemIndexCodes) {
  const char* both =
      "select marc_id from nsu.SystemIndexEntry where ( (text  = '0306406152') or (text  = "
      "'9780306406157') ) and (ident_id = 11)";
  const SQLCase cases[] = {
      {"IS", RelOp::Equal, "0306406152", "", both},
      {"is", RelOp::Equal, "9780306406157", "", both},
      {"IS", RelOp::Equal, "9791090636071", "",
       "select marc_id from nsu.SystemIndexEntry where ( (text  = '') or (text  = "
       "'9791090636071') ) and (ident_id = 11)"},
      {"IS", RelOp::Equal, "12345", "",
       "select marc_id from nsu.SystemIndexEntry where (text  = '12345') and (ident_id = 11 )"},
      {"IS", RelOp::Like, "0306%", "",
       "select marc_id from nsu.SystemIndexEntry where (text  like '0306%') and (ident_id = 11 )"},
      {"SN", RelOp::Equal, "0306406152", "",
       "select marc_id from nsu.SystemIndexEntry where (text  = '0306406152') and (ident_id = 12 "
       ")"},
      {"AX", RelOp::Interval, "06", "09",
       "select marc_id from nsu.SystemIndexEntry where (text  between '06' and '09') and "
       "(ident_id = 14 )"},
  };
  for (const SQLCase& c : cases) EXPECT_EQ(SQL(c.code, c.rel, c.value, c.value2), c.sql) << c.value;
}

TEST_F(TermSQLTest, AuthorityAndCategoryCodes) {
  const char* nothing = "select marc_id from nsu.Marc_Record where marc_id = -1";
  const SQLCase cases[] = {
      {"AUT1_PERSON", RelOp::Like, "IBSEN%", "",
       "Select A.marc_id from nsu.auth_marc_link A join nsu.auth_inx  where (Auth_Type_Code = "
       "'PERSON') and (Term_Display  like 'IBSEN%')"},
      {"CAT_NEW_IN", RelOp::Equal, "2001-05-17", "",
       "select marc_id from nsu.marc_category key join nsu.category  where (name = 'NEW') and "
       "(document_group_id in (1,3)) and (INdate  between '2001-05-17' and '2001-05-17 "
       "23:59:59')"},
      {"CAT_NEW_OUT", RelOp::Less, "2001-05-17", "",
       "select marc_id from nsu.marc_category key join nsu.category  where (name = 'NEW') and "
       "(document_group_id in (1,3)) and (OUTdate  < '2001-05-17')"},
      {"CAT_NEW", RelOp::Equal, "2001-05-17", "", nothing},
      {"CAT_NEW_ON", RelOp::Equal, "2001-05-17", "", nothing},
      {"CAT_A_B_IN", RelOp::Equal, "2001-05-17", "", nothing},
  };
  for (const SQLCase& c : cases) EXPECT_EQ(SQL(c.code, c.rel, c.value, c.value2), c.sql) << c.code;
}

TEST_F(TermSQLTest, EffectiveDatatypes) {
  EXPECT_EQ(TypeOf("TITLE_PUBLISH_DATE"), Datatype::Date);
  EXPECT_EQ(TypeOf("TITLE_MOD_DATE"), Datatype::Timestamp);
  EXPECT_EQ(TypeOf("TITLE_MARC_ID"), Datatype::Integer);
  EXPECT_EQ(TypeOf("TITLE_PRICE"), Datatype::Numeric);
  EXPECT_EQ(TypeOf("COPY_ACQ_DATE"), Datatype::Timestamp);
  EXPECT_EQ(TypeOf("008_7_4"), Datatype::Word);
  EXPECT_EQ(TypeOf("AUT1_X"), Datatype::String);
  EXPECT_EQ(TypeOf("CAT_X_IN"), Datatype::Date);
  EXPECT_EQ(TypeOf("PY"), Datatype::Integer);
  EXPECT_EQ(TypeOf("SW"), Datatype::Word);
  EXPECT_EQ(TypeOf("IS"), Datatype::String);
  // A record-column code asked about a name that is no column of its table.
  EXPECT_EQ(list_->At(TVLSCodeList::kTitleEntry).GetDatatype("TITLE_NOSUCH"), Datatype::None);
}

TEST(TermSQLStandaloneTest, UnusedKindAndUnresolvedNames) {
  TBitarr groups(1001);
  groups.SetBit(1);
  const TVLSCode unused(nullptr, "OLD", SCodeKind::Unused, LogOp::None, 3, Datatype::String);
  EXPECT_EQ(unused.GetSQL(RelOp::Equal, "X", "", groups, "OLD"), "");
  EXPECT_EQ(unused.GetDatatype("OLD"), Datatype::None);
  // Built-ins asked for SQL of names outside their family fail clearly.
  const TVLSCode control(nullptr, "CONTR_AUTO", SCodeKind::ControlField, LogOp::Or, 3,
                         Datatype::Word);
  EXPECT_THROW(control.GetSQL(RelOp::Equal, "X", "", groups, "TI"), std::invalid_argument);
  const TVLSCode record(nullptr, "TITLE_AUTO", SCodeKind::RecordColumn, LogOp::None, 3,
                        Datatype::None);
  EXPECT_THROW(record.GetSQL(RelOp::Equal, "X", "", groups, "TIT"), std::invalid_argument);
  // A document-group array shorter than 1001 bits is read only as far as it goes.
  TBitarr few(3);
  few.SetBit(1);
  few.SetBit(2);
  EXPECT_EQ(DocGroupListText(few), "(1,2)");
}

}  // namespace
}  // namespace vellorax::search
