// TVLLContext: everything that belongs to one run of the macro engine: the
// output, the per-run objects (the record under "marc"), the language, the
// HTML flag, the first recorded error and the nesting depth. Made fresh for
// every Execute; used by one run on one thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "vll2/marc.h"
#include "vll2/named_object_list.h"
#include "vll2/status.h"
#include "vll2/string_builder.h"

namespace vellorax::vll2 {

class TVLLWorkSpace;

class TVLLContext {
 public:
  TVLLContext() = default;
  TVLLContext(const TVLLContext&) = delete;
  TVLLContext& operator=(const TVLLContext&) = delete;

  TVLLStringBuilder& Output() { return output_; }
  const TVLLStringBuilder& Output() const { return output_; }

  // Not owned; set by the creator before the run.
  TVLLWorkSpace* WorkSpace() const { return work_space_; }
  void SetWorkSpace(TVLLWorkSpace* work_space) { work_space_ = work_space; }

  TVLLNamedObjectList& Objects() {
    marc_known_ = false;  // the caller may change the list
    return objects_;
  }
  void SetObject(std::string_view name, std::unique_ptr<TVLLObject> obj);
  // Makes the context what a fresh one is, with only the text value `record`
  // under "marc" (reusing the memory of the last run's record where it can),
  // for a run on `work_space`.
  void ResetForRun(TVLLWorkSpace* work_space, std::string_view record);
  // The same, taking over `record`.
  void ResetForRun(TVLLWorkSpace* work_space, std::string&& record);
  // Looks in Objects only; nullptr when absent.
  TVLLObject* GetObject(std::string_view name) const;
  // GetObject("marc"), the record every tag and count command asks for,
  // looked up once until the objects change.
  TVLLObject* MarcObject() const {
    if (!marc_known_) {
      marc_ = GetObject("marc");
      marc_known_ = true;
    }
    return marc_;
  }
  // A navigator over `record`'s text with its field index built, made on first
  // use and kept for the rest of the run, for tag commands to share the index
  // (TVLLMarc::ShareIndex). Made again when `record` is another object or its
  // text moved. REQUIRES: `record` outlives the run or SetObject replaces it.
  const TVLLMarc& RecordIndex(const TVLLString& record);

  // When not empty, takes precedence over the workspace language.
  const std::string& Language() const { return language_; }
  void SetLanguage(std::string language) { language_ = std::move(language); }

  bool Html() const { return html_; }
  void SetHtml(bool html) { html_ = html; }

  // Records the error only while no error is recorded (ErrorCode 0), so the
  // first error of a run is the one reported. A record with code 0 leaves
  // ErrorCode 0 and is therefore replaced by the next one.
  void SetError(TVLLStatus code, std::string_view where, std::string_view detail,
                std::string_view message);
  void ClearError();

  TVLLStatus ErrorCode() const { return error_code_; }
  const std::string& ErrorMessage() const { return error_message_; }
  const std::string& ErrorDetail() const { return error_detail_; }
  const std::string& ErrorWhere() const { return error_where_; }

  // Nesting guard shared by every recursive part of a run. EnterLevel returns
  // false (and records status 9 with `where` and `detail`) when the run is
  // already kMaxNestingDepth levels deep or has entered kMaxLevelsPerRun
  // levels in all. Either ends the run: every later EnterLevel of the same
  // run fails too, so a script that calls itself more than once per level
  // unwinds at once instead of retrying an exponential number of times.
  // Every successful EnterLevel is paired with LeaveLevel (TVLLNestingGuard).
  bool EnterLevel(std::string_view where, std::string_view detail) {
    if (!aborted_ && depth_ < kMaxNestingDepth && levels_entered_ < kMaxLevelsPerRun) {
      ++levels_entered_;
      ++depth_;
      return true;
    }
    return RefuseLevel(where, detail);
  }
  void LeaveLevel() { --depth_; }
  int Depth() const { return depth_; }
  bool Aborted() const { return aborted_; }

 private:
  // ResetForRun but the record: the kept "marc" text value, or null (the
  // objects are then emptied).
  TVLLString* PrepareRun(TVLLWorkSpace* work_space);
  // The limits of EnterLevel: records why the level is refused; false.
  bool RefuseLevel(std::string_view where, std::string_view detail);

  TVLLStringBuilder output_;
  TVLLWorkSpace* work_space_ = nullptr;
  TVLLNamedObjectList objects_;
  mutable TVLLObject* marc_ = nullptr;
  mutable bool marc_known_ = false;
  const TVLLString* index_source_ = nullptr;
  std::optional<TVLLMarc> record_index_;
  std::string language_;
  TVLLStatus error_code_ = 0;
  std::string error_message_;
  std::string error_detail_;
  std::string error_where_;
  bool html_ = false;
  int depth_ = 0;
  long levels_entered_ = 0;
  bool aborted_ = false;
};

// Scope of one nesting level: `if (!guard.Entered()) return kStatusSyntax;`
class TVLLNestingGuard {
 public:
  TVLLNestingGuard(TVLLContext& context, std::string_view where, std::string_view detail)
      : context_(context), entered_(context.EnterLevel(where, detail)) {}
  ~TVLLNestingGuard() {
    if (entered_) context_.LeaveLevel();
  }
  TVLLNestingGuard(const TVLLNestingGuard&) = delete;
  TVLLNestingGuard& operator=(const TVLLNestingGuard&) = delete;

  bool Entered() const { return entered_; }

 private:
  TVLLContext& context_;
  bool entered_;
};

}  // namespace vellorax::vll2
