#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "search/bitarr.h"
#include "search/catalogue_fixture.h"
#include "search/scode.h"
#include "search/scode_list.h"

namespace vellorax::search {
namespace {

// Every other operator's text shows in the statements below.
TEST(RelationalTextTest, NoOperatorAndQuoting) {
  EXPECT_EQ(RelationalText(RelOp::Interval, "1", "9"), " between 1 and 9");
  EXPECT_EQ(RelationalText(RelOp::None, "1", "9"), "");
  EXPECT_EQ(QuoteValue("O''CLOCK"), "'O''CLOCK'");
  EXPECT_EQ(QuoteValue(""), "''");
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
  TBitarr few(3);  // a shorter array is read only as far as it goes
  few.SetBit(1);
  few.SetBit(2);
  EXPECT_EQ(DocGroupListText(few), "(1,2)");
}

// Expected statements are written out in full; these name their common heads.
const std::string kIndex12 = "select marc_id from nsu.index_entry_12 where (text ";
const std::string kIndex14 = " union all select marc_id from nsu.index_entry_14 where (text ";
const std::string kFulltext = "select marc_id from nsu.fulltext where (word ";
const std::string kGroups13 = ") and (document_group_id in (1,3))";
const std::string kCopy = "select marc_id from nsu.copy where (acq_date ";
const std::string kControl008 =
    "select marc_id from nsu.Control_Field where (Field_Code = '008') and  (substr(Value,";
const std::string kSystem = "select marc_id from nsu.SystemIndexEntry where (";
const std::string kRecord = "select marc_id from nsu.marc_record where (";
const std::string kCategory =
    "select marc_id from nsu.marc_category key join nsu.category  where (name = 'NEW') and "
    "(document_group_id in (1,3)) and (";
const std::string kNothing = "select marc_id from nsu.Marc_Record where marc_id = -1";

struct SQLCase {
  const char* code;
  RelOp rel;
  const char *value, *value2;
  std::string sql;
};

class TermSQLTest : public testing::CatalogueFixture {
 protected:
  void SetUp() override {
    CatalogueFixture::SetUp();
    groups_.SetBit(1);
    groups_.SetBit(3);
  }

  // The code of a typed name, resolved through the catalogue as the search object does.
  const TVLSCode* Find(std::string& typed) {
    const TVLSCode* code = nullptr;
    EXPECT_TRUE(list_->FindSCode(typed, code)) << typed;
    return code;
  }

  void Check(const SQLCase& c) {
    std::string typed = c.code;
    const TVLSCode* code = Find(typed);
    ASSERT_NE(code, nullptr) << c.code;
    EXPECT_EQ(code->GetSQL(c.rel, c.value, c.value2, groups_, typed), c.sql)
        << c.code << " " << c.value;
  }

  TBitarr groups_{1001};
};

TEST_F(TermSQLTest, IndexAndTemplateCodes) {
  const SQLCase cases[] = {
      {"ti", RelOp::Equal, "abc", "", kIndex12 + " = 'abc')" + kIndex14 + " = 'abc')"},
      {"ti", RelOp::Like, "ABC%", "", kIndex12 + " like 'ABC%')" + kIndex14 + " like 'ABC%')"},
      {"ti", RelOp::Interval, "A", "B",
       kIndex12 + " between 'A' and 'B')" + kIndex14 + " between 'A' and 'B')"},
      {"au", RelOp::GreaterEqual, "IBSEN", "",
       "select marc_id from nsu.index_entry_20 where (text  >= 'IBSEN')"},
      {"kw", RelOp::Equal, "X", "", ""},  // its only table is in group 2, not selected
      // Templates: ":DocgrpRange" is filled, ":DocGrpRange" is not; "%%" before
      // three digits becomes "%*".
      {"ft", RelOp::Equal, "WINTER", "", kFulltext + " = 'WINTER'" + kGroups13},
      {"ft", RelOp::Like, "%%245abc", "", kFulltext + " like '%*245abc'" + kGroups13},
      {"ft", RelOp::Like, "%%24x", "", kFulltext + " like '%%24x'" + kGroups13},
      {"tag", RelOp::Equal, "X", "",
       "select marc_id from nsu.tag_index where (tag  = 'X') and (document_group_id in "
       ":DocGrpRange)"},
      {"py", RelOp::Equal, "42", "", kRecord + "publishyear  = 42)"},
      {"py", RelOp::Interval, "1990", "2000", kRecord + "publishyear  between 1990 and 2000)"},
      {"price", RelOp::Less, "9.50", "", kRecord + "price  < 9.50)"},
      // Date preparation: a date that stands for a whole day.
      {"acq", RelOp::Equal, "2001-05-17", "",
       kCopy + " between '2001-05-17' and '2001-05-17 23:59:59')"},
      {"acq", RelOp::Greater, "2001-05-17", "", kCopy + " > '2001-05-17 23:59:59')"},
      {"acq", RelOp::GreaterEqual, "2001-05-17", "", kCopy + " >= '2001-05-17')"},
      {"acq", RelOp::Less, "2001-05-17", "", kCopy + " < '2001-05-17')"},
      {"acq", RelOp::LessEqual, "2001-05-17", "", kCopy + " <= '2001-05-17 23:59:59')"},
      {"acq", RelOp::Interval, "2001-01-01", "2001-12-31",
       kCopy + " between '2001-01-01' and '2001-12-31 23:59:59')"},
  };
  for (const SQLCase& c : cases) Check(c);
  groups_.SetBit(2);
  Check({"ti", RelOp::Equal, "X", "",
         kIndex12 + " = 'X') union all select marc_id from nsu.index_entry_12 where (text  = 'X')" +
             kIndex14 + " = 'X')"});
}

TEST_F(TermSQLTest, ControlFieldAndColumnCodes) {
  const SQLCase cases[] = {
      {"008_7_4", RelOp::Equal, "1999", "", kControl008 + "8,4)  = '1999' )"},
      {"008_35_3", RelOp::Equal, "nor", "", kControl008 + "36,3)  = 'nor' )"},
      {"008_35_3", RelOp::Equal, "no", "", kControl008 + "36,3)  like 'no_' )"},
      {"008_35_3", RelOp::Equal, "norw", "", kControl008 + "36,3)  = 'nor' )"},
      {"008_35_3", RelOp::Equal, "", "", kControl008 + "36,3)  like '___' )"},
      {"005_0", RelOp::Equal, "2", "",
       "select marc_id from nsu.Control_Field where (Field_Code = '005') and  "
       "(substr(Value,1,1)  = '2' )"},
      {"008_07_04", RelOp::Equal, "19", "", kControl008 + "8,4)  like '19__' )"},
      // Longer than any MARC field: matches nothing, without padding the value
      // to two thousand million characters.
      {"008_1_2000000000", RelOp::Equal, "x", "", kNothing},
      {"title_publish_date", RelOp::Equal, "2001-05-17", "",
       kRecord + "PUBLISH_DATE  between '2001-05-17' and '2001-05-17 23:59:59')"},
      {"TITLE_MOD_DATE", RelOp::Interval, "2001-01-01 10:00:00", "2001-02-01",
       kRecord + "MOD_DATE  between '2001-01-01 10:00:00' and '2001-02-01 23:59:59')"},
      {"TITLE_MOD_DATE", RelOp::Greater, "2001-01-01 10:00:00", "",
       kRecord + "MOD_DATE  > '2001-01-01 10:00:00')"},
      {"TITLE_MARC_ID", RelOp::Equal, "42", "", kRecord + "MARC_ID  = 42)"},
      {"TITLE_TITLE", RelOp::Like, "PEER%", "", kRecord + "TITLE  like 'PEER%')"},
      {"COPY_COPY_NO", RelOp::Less, "5", "", "select marc_id from nsu.copy where (COPY_NO  < 5)"},
      {"COPY_NOTE", RelOp::Equal, "X", "", "select marc_id from nsu.copy where (NOTE  = 'X')"},
  };
  for (const SQLCase& c : cases) Check(c);
}

TEST_F(TermSQLTest, SystemIndexAuthorityAndCategoryCodes) {
  const std::string both =
      kSystem + " (text  = '0306406152') or (text  = '9780306406157') ) and (ident_id = 11)";
  const SQLCase cases[] = {
      {"IS", RelOp::Equal, "0306406152", "", both},
      {"is", RelOp::Equal, "9780306406157", "", both},
      {"IS", RelOp::Equal, "9791090636071", "",
       kSystem + " (text  = '') or (text  = '9791090636071') ) and (ident_id = 11)"},
      {"IS", RelOp::Equal, "12345", "", kSystem + "text  = '12345') and (ident_id = 11 )"},
      {"IS", RelOp::Like, "0306%", "", kSystem + "text  like '0306%') and (ident_id = 11 )"},
      {"SN", RelOp::Equal, "0306406152", "",
       kSystem + "text  = '0306406152') and (ident_id = 12 )"},
      {"AX", RelOp::Interval, "06", "09",
       kSystem + "text  between '06' and '09') and (ident_id = 14 )"},
      {"AUT1_PERSON", RelOp::Like, "IBSEN%", "",
       "Select A.marc_id from nsu.auth_marc_link A join nsu.auth_inx  where (Auth_Type_Code = "
       "'PERSON') and (Term_Display  like 'IBSEN%')"},
      {"CAT_NEW_IN", RelOp::Equal, "2001-05-17", "",
       kCategory + "INdate  between '2001-05-17' and '2001-05-17 23:59:59')"},
      {"CAT_NEW_OUT", RelOp::Less, "2001-05-17", "", kCategory + "OUTdate  < '2001-05-17')"},
      {"CAT_NEW", RelOp::Equal, "2001-05-17", "", kNothing},
      {"CAT_NEW_ON", RelOp::Equal, "2001-05-17", "", kNothing},
      {"CAT_A_B_IN", RelOp::Equal, "2001-05-17", "", kNothing},
  };
  for (const SQLCase& c : cases) Check(c);
}

TEST_F(TermSQLTest, EffectiveDatatypes) {
  const std::pair<const char*, Datatype> cases[] = {
      {"TITLE_PUBLISH_DATE", Datatype::Date}, {"TITLE_MOD_DATE", Datatype::Timestamp},
      {"TITLE_MARC_ID", Datatype::Integer},   {"TITLE_PRICE", Datatype::Numeric},
      {"COPY_ACQ_DATE", Datatype::Timestamp}, {"008_7_4", Datatype::Word},
      {"AUT1_X", Datatype::String},           {"CAT_X_IN", Datatype::Date},
      {"PY", Datatype::Integer},              {"SW", Datatype::Word},
      {"IS", Datatype::String},
  };
  for (const auto& [name, type] : cases) {
    std::string typed = name;
    const TVLSCode* code = Find(typed);
    ASSERT_NE(code, nullptr) << name;
    EXPECT_EQ(code->GetDatatype(typed), type) << name;
  }
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
}

}  // namespace
}  // namespace vellorax::search
