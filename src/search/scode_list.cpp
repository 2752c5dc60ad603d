#include "search/scode_list.h"

#include "common/strings.h"
#include "common/text_compare.h"

namespace vellorax::search {

TVLSCodeList::TVLSCodeList(IRowSource& query) : query_(query) {
  columns_.Load(query_);
  aliases_.Load(query_);
}

TVLSCode& TVLSCodeList::AddCode(std::string_view name, SCodeKind kind, LogOp default_log_op,
                                IndexType index_type, Datatype datatype, std::int32_t ident_id,
                                std::string select_mal) {
  codes_.push_back(std::make_unique<TVLSCode>(&columns_, name, kind, default_log_op, index_type,
                                              datatype, ident_id, std::move(select_mal)));
  return *codes_.back();
}

void TVLSCodeList::LoadSCodes() {
  // The built-ins first, at the positions FindSCode relies on.
  AddCode("CONTR_AUTO", SCodeKind::ControlField, LogOp::Or, kPhraseIndex, Datatype::Word);
  AddCode("TITLE_AUTO", SCodeKind::RecordColumn, LogOp::None, kPhraseIndex, Datatype::None);
  AddCode("COPY_AUTO", SCodeKind::CopyColumn, LogOp::None, kPhraseIndex, Datatype::None);
  AddCode("AUT1_AUTO", SCodeKind::Authority, LogOp::None, kPhraseIndex, Datatype::String);
  AddCode("CAT_AUTO", SCodeKind::Category, LogOp::None, kPhraseIndex, Datatype::Date);

  // Template codes; a code of both kinds resolves to its template, loaded first.
  query_.Open(kTemplateSQL);
  while (query_.Next()) {
    const Datatype datatype = DatatypeFromNumber(query_.IntegerField("Datatype"));
    if (datatype == Datatype::None) continue;
    AddCode(query_.Field("Name"), SCodeKind::Template, LogOp::None, kPhraseIndex, datatype, -1,
            query_.Field("SelectMal"));
  }
  query_.Close();

  query_.Open(kSystemIndexSQL);
  while (query_.Next()) {
    AddCode(query_.Field("Ident"), SCodeKind::SystemIndex, LogOp::And, kPhraseIndex,
            Datatype::String, query_.IntegerField("Ident_Id"));
  }
  query_.Close();

  query_.Open(kIndexSQL);
  while (query_.Next()) {
    const IndexType index_type = IndexTypeFromNumber(query_.IntegerField("Index_Type"));
    const LogOp log_op = LogOpFromText(query_.Field("Default_Log_Op"));
    AddCode(query_.Field("Ident"), SCodeKind::Index, log_op, index_type,
            index_type == kWordIndex ? Datatype::Word : Datatype::String);
  }
  query_.Close();

  // Table numbers per document group; rows naming no code or a group outside
  // 1..1000 have no place in the catalogue and are skipped.
  query_.Open(kTabNumberSQL);
  while (query_.Next()) {
    std::string name = query_.Field("Ident");
    TVLSCode* found = nullptr;
    if (!Resolve(name, found) || found == nullptr) continue;
    const int group = query_.IntegerField("document_group_id");
    if (group < 1 || group > kMaxDocGroup) continue;
    found->SetTabNumber(group, query_.IntegerField("Tab_Number"));
  }
  query_.Close();
}

TVLSCode* TVLSCodeList::FindLoaded(std::string_view upper_name) const {
  for (std::size_t i = kBuiltInCount; i < codes_.size(); ++i) {
    if (codes_[i]->Name() == upper_name) return codes_[i].get();
  }
  return nullptr;
}

bool TVLSCodeList::FindSCode(std::string& name, const TVLSCode*& code) const {
  TVLSCode* found = nullptr;
  const bool known = Resolve(name, found);
  code = found;
  return known;
}

bool TVLSCodeList::Resolve(std::string& name, TVLSCode*& code) const {
  code = nullptr;
  aliases_.Lookup(name, name);
  name = TrimBlanks(common::AnsiUpperCase(name));
  if (name.find('+') != std::string::npos) return true;
  if (TVLSCode* loaded = FindLoaded(name)) {
    code = loaded;
    return true;
  }
  if (codes_.size() < kBuiltInCount) return false;  // LoadSCodes has not run
  std::string field_code;
  std::string column;
  std::int32_t length = 0;
  std::int32_t start = 0;
  if (TVLSCode::IsControlFieldCode(name, field_code, length, start)) {
    code = codes_[kControlFieldEntry].get();
  } else if (TVLSCode::IsTitleCode(name, column, columns_)) {
    code = codes_[kTitleEntry].get();
  } else if (TVLSCode::IsCopyCode(name, column, columns_)) {
    code = codes_[kCopyEntry].get();
  } else if (UpperTrimName(common::Copy(name, 1, 5)) == "AUT1_") {
    code = codes_[kAuthorityEntry].get();
  } else if (UpperTrimName(common::Copy(name, 1, 4)) == "CAT_") {
    code = codes_[kCategoryEntry].get();
  } else {
    return false;
  }
  return true;
}

}  // namespace vellorax::search
