// TVLSCodeList: the catalogue of search codes of one search engine, with its
// column and alias lists. Built once per engine from the catalogue database and
// read-only afterwards; FindSCode is safe to call from one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/row_source.h"
#include "search/scode.h"

namespace vellorax::search {

class TVLSCodeList {
 public:
  // Positions of the built-in codes; FindSCode relies on them.
  static constexpr std::size_t kControlFieldEntry = 0;  // "CONTR_AUTO"
  static constexpr std::size_t kTitleEntry = 1;         // "TITLE_AUTO"
  static constexpr std::size_t kCopyEntry = 2;          // "COPY_AUTO"
  static constexpr std::size_t kAuthorityEntry = 3;     // "AUT1_AUTO"
  static constexpr std::size_t kCategoryEntry = 4;      // "CAT_AUTO"
  static constexpr std::size_t kBuiltInCount = 5;

  static constexpr const char* kTemplateSQL = "select * from Nsu.SearchCodes";
  static constexpr const char* kSystemIndexSQL =
      "select Ident, Ident_id, Note from nsu.Ident_code where index_definition_id is null ";
  static constexpr const char* kIndexSQL =
      "select distinct Ident, note, Index_Type, Default_Log_Op from nsu.Ident_code key join "
      "nsu.Index_Entry_Num ";
  static constexpr const char* kTabNumberSQL =
      "select Ident, Tab_Number, document_group_id from nsu.Ident_code key join "
      "nsu.Index_Entry_Num ";

  // Loads the column list, then the alias list, through `query` (kept, not
  // owned; it must outlive the list). Database errors propagate.
  explicit TVLSCodeList(IRowSource& query);
  TVLSCodeList(const TVLSCodeList&) = delete;
  TVLSCodeList& operator=(const TVLSCodeList&) = delete;

  // Fills the list: the five built-ins, template codes, system-index codes,
  // index codes, then the index table numbers. Call once, after construction.
  void LoadSCodes();

  // Resolves a code name as typed: an alias is replaced by its code name, then
  // the name is upper-cased by the locale's rules and trimmed; `name` receives
  // that form. A name holding "+" is found without a code (code = nullptr).
  // Otherwise the first loaded code of that name, else the built-in whose
  // family the name belongs to. False when the name is unknown.
  bool FindSCode(std::string& name, const TVLSCode*& code) const;

  std::size_t Count() const { return codes_.size(); }
  const TVLSCode& At(std::size_t index) const { return *codes_[index]; }
  const TVLColumnDatatypeList& Columns() const { return columns_; }
  const TVLAliasList& Aliases() const { return aliases_; }

 private:
  TVLSCode& AddCode(std::string_view name, SCodeKind kind, LogOp default_log_op,
                    IndexType index_type, Datatype datatype, std::int32_t ident_id = -1,
                    std::string select_mal = {});
  TVLSCode* FindLoaded(std::string_view upper_name) const;
  // FindSCode with a code the list may change (table numbers while loading).
  bool Resolve(std::string& name, TVLSCode*& code) const;

  IRowSource& query_;
  TVLColumnDatatypeList columns_;
  TVLAliasList aliases_;
  std::vector<std::unique_ptr<TVLSCode>> codes_;
};

}  // namespace vellorax::search
