// A small catalogue database in memory for tests of the search engine: the
// rows that the catalogue statements return for a library with a title and
// author index, a word index, template codes (FT, COPY_BAR_CODE, PY ...),
// system indexes (IS, SN, UD, AX) and the record and copy columns below.
// Document groups 1 to 3 have index tables.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "common/text_compare.h"
#include "search/memory_row_source.h"
#include "search/scode.h"
#include "search/scode_list.h"

namespace vellorax::search::testing {

inline void FillTestCatalogue(TMemoryRowSource& rows) {
  rows.SetResult(TVLColumnDatatypeList::kLoadSQL,
                 {{"cname", "tname", "coltype"},
                  {{"marc_id", "marc_record", "integer"}, {"publish_date", "marc_record", "date"},
                   {"mod_date", "marc_record", "timestamp"},
                   {"title", "marc_record", "long varchar"}, {"pm_value1", "marc_record", "char"},
                   {"price", "marc_record", "numeric"}, {"bar_code", "copy", "char"},
                   {"copy_no", "copy", "smallint"}, {"acq_date", "copy", "timestamp"},
                   {"note", "copy", "varbinary"}}});
  TMemoryRowSource::Table search_codes{
      {"Name", "Alias", "Datatype", "SelectMal"},
      {{"FT", "fritekst", "4",
        "select marc_id from nsu.fulltext where (word :ValueRange) and (document_group_id in "
        ":DocgrpRange)"},
       {"COPY_BAR_CODE", "strekkode", "3",
        "select c.marc_id from nsu.copy c where (c.bar_code :ValueRange)"},
       {"py", " year ", "1", "select marc_id from nsu.marc_record where (publishyear :ValueRange)"},
       {"PRICE", "", "5", "select marc_id from nsu.marc_record where (price :ValueRange)"},
       {"ACQ", "", "2", "select marc_id from nsu.copy where (acq_date :ValueRange)"},
       {"TAG", "", "3",
        "select marc_id from nsu.tag_index where (tag :ValueRange) and (document_group_id in "
        ":DocGrpRange)"},
       {"DUP", "", "3", "select marc_id from nsu.dup where (x :ValueRange)"},
       {"S\xD8K", "", "3", "select marc_id from nsu.sok where (s :ValueRange)"},
       {"STAMP", "", "6", "select marc_id from nsu.stamp where (s :ValueRange)"},
       {"NOTYPE", "", "", "select 1"}, {"WIDE", "", "9", "select 2"}}};
  rows.SetResult(TVLAliasList::kLoadSQL, search_codes);
  rows.SetResult(TVLSCodeList::kTemplateSQL, search_codes);
  rows.SetResult(TVLSCodeList::kSystemIndexSQL,
                 {{"Ident", "Ident_id", "Note"},
                  {{"IS", "11", "ISBN"}, {"SN", "12", "ISSN"}, {"UD", "13", "UDC"},
                   {"AX", "14", "age"}, {"DUP", "99", "shadowed by the template code"}}});
  rows.SetResult(TVLSCodeList::kIndexSQL,
                 {{"Ident", "note", "Index_Type", "Default_Log_Op"},
                  {{"TI", "title", "1", "AND"}, {"AU", "author", "2", "or"},
                   {"SW", "subject words", "0", "OR"}, {"KW", "keywords", "0", " and "},
                   {"XX", "odd type", "7", ""}}});
  rows.SetResult(TVLSCodeList::kTabNumberSQL,
                 {{"Ident", "Tab_Number", "document_group_id"},
                  {{"TI", "12", "1"}, {"TI", "12", "2"}, {"TI", "14", "3"}, {"AU", "20", "1"},
                   {"sw", "30", "1"}, {"KW", "31", "2"}, {"ZZ", "5", "1"}, {"TI", "99", "1001"},
                   {"TI", "98", "0"}}});
}

// The catalogue above, loaded under the en_US text locale.
class CatalogueFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    common::SetTextLocale("en_US");
    FillTestCatalogue(rows_);
    list_ = std::make_unique<TVLSCodeList>(rows_);
    list_->LoadSCodes();
  }

  TMemoryRowSource rows_;
  std::unique_ptr<TVLSCodeList> list_;
};

}  // namespace vellorax::search::testing
