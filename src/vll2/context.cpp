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
    record_index_.emplace(text, TVLLMarc::BorrowText{});
    index_source_ = &record;
  }
  return *record_index_;
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
