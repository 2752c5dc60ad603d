#include "vll2/context.h"

#include <string>

namespace vellorax::vll2 {

void TVLLContext::SetObject(std::string_view name, std::unique_ptr<TVLLObject> obj) {
  objects_.SetObject(name, std::move(obj));
  marc_known_ = false;
  index_source_ = nullptr;
  record_index_.reset();
}

const TVLLMarc& TVLLContext::RecordIndex(const TVLLString& record) {
  const std::string_view text = record.Value();
  if (index_source_ != &record || !record_index_ || record_index_->Text().data() != text.data() ||
      record_index_->Text().size() != text.size()) {
    // A kept navigator keeps the memory of its index for the new record.
    if (record_index_) {
      record_index_->Reset(text);
    } else {
      record_index_.emplace(text, TVLLMarc::BorrowText{});
    }
    index_source_ = &record;
  }
  return *record_index_;
}

void TVLLContext::ResetForRun(TVLLWorkSpace* work_space, std::string_view record) {
  if (TVLLString* kept = PrepareRun(work_space)) {
    kept->Assign(record);
  } else {
    objects_.SetObject("marc", std::make_unique<TVLLString>(std::string(record)));
  }
}

void TVLLContext::ResetForRun(TVLLWorkSpace* work_space, std::string&& record) {
  if (TVLLString* kept = PrepareRun(work_space)) {
    kept->SetValue(std::move(record));
  } else {
    objects_.SetObject("marc", std::make_unique<TVLLString>(std::move(record)));
  }
}

TVLLString* TVLLContext::PrepareRun(TVLLWorkSpace* work_space) {
  output_.Clear();
  work_space_ = work_space;
  language_.clear();
  html_ = false;
  ClearError();
  depth_ = 0;
  levels_entered_ = 0;
  aborted_ = false;
  marc_known_ = false;
  index_source_ = nullptr;
  TVLLString* kept = objects_.Count() == 1 && objects_.Name(0) == "marc"
                         ? AsText(objects_.Object(0))
                         : nullptr;
  if (kept == nullptr) objects_.Clear();
  return kept;
}

TVLLObject* TVLLContext::GetObject(std::string_view name) const {
  return objects_.Find(name);
}

void TVLLContext::SetError(TVLLStatus code, std::string_view where, std::string_view detail,
                           std::string_view message) {
  if (error_code_ != 0) return;
  error_code_ = code;
  error_where_ = where;
  error_detail_ = detail;
  error_message_ = message;
}

void TVLLContext::ClearError() {
  error_code_ = 0;
  error_where_.clear();
  error_detail_.clear();
  error_message_.clear();
}

bool TVLLContext::RefuseLevel(std::string_view where, std::string_view detail) {
  if (aborted_) return false;
  aborted_ = true;
  if (depth_ >= kMaxNestingDepth) {
    SetError(kStatusSyntax, where, detail,
             "Nesting too deep: more than " + std::to_string(kMaxNestingDepth) +
                 " levels of command calls, script branches or blocks.");
  } else {
    SetError(kStatusSyntax, where, detail,
             "Too many command calls: more than " + std::to_string(kMaxLevelsPerRun) +
                 " levels entered in one run.");
  }
  return false;
}

}  // namespace vellorax::vll2
