// TVLLCallMemo: the command calls and the steps (script_step.h) of one script
// text as read before, so that a script run once per record reads its text
// only once. A call or step is known by where its reader stands: the reader's
// text as a slice of the script text (start offset and length) and the
// 1-based position at it, which fix everything the reading depends on, so a
// remembered answer is always the one a fresh reading gives, failures
// included.
//
// Shared by a script command and all its clones; bound to the script text on
// every run and emptied when that text is no longer the one it was read from.
// Not thread-safe (like the rest of a workspace while it runs).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vll2/base_command.h"
#include "vll2/script.h"

namespace vellorax::vll2 {

struct TVLLScriptStep;

class TVLLCallMemo {
 public:
  // One reading of a call: whether it read, where the reader stood after it,
  // and the call's name and parameters.
  struct Call {
    bool ok = false;
    int end = 0;
    std::string name;
    TVLLParams params;
    // The command the name found last time (the memo is the call site).
    mutable TVLLCommandCache command;
  };

  // Makes `script` the text the memo answers for; forgets everything read
  // from another text (kept alive, though, while a Use is open).
  void Bind(std::string_view script);
  // The same for the text of `script`, known again by the object and its
  // change count. REQUIRES: `script` outlives the memo (it is the attached
  // text of the command that owns the memo).
  void Bind(const TVLLString& script);

  // Open while a run reads calls: answers given meanwhile stay valid.
  class Use {
   public:
    explicit Use(TVLLCallMemo& memo) : memo_(memo) { ++memo_.users_; }
    ~Use() {
      if (--memo_.users_ == 0) memo_.retired_.clear();
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

   private:
    TVLLCallMemo& memo_;
  };

  // ParseCommand of `reader` at its position, remembered. `base` is the
  // 0-based offset of the reader's text within the bound script text.
  // REQUIRES: reader.Text() is that slice of the bound text, and a Use is
  // open. On success the reader stands after the call, on failure where it
  // stood. The answer stays valid while the Use is open.
  const Call* ReadCall(TVLLScript& reader, int base);
  // The same, shared: the answer stays valid as long as it is held.
  std::shared_ptr<const Call> ReadCallKept(TVLLScript& reader, int base);

  // The step at the reader's position read before, or null. REQUIRES: as
  // ReadCall.
  const TVLLScriptStep* FindStep(const TVLLScript& reader, int base) const {
    const size_t at = static_cast<size_t>(base) + static_cast<size_t>(reader.Position());
    if (at >= steps_.size()) return nullptr;
    const StepSlot& slot = steps_[at];
    if (slot.base != base || slot.length != reader.Length()) return nullptr;
    return slot.step.get();
  }
  // Remembers `step`, read at `position` of the reader's slice; returns it.
  // A step that cannot be kept (another slice read there first, or the memo
  // is full) is given to `spare`, which then owns it.
  const TVLLScriptStep* KeepStep(const TVLLScript& reader, int base, int position,
                                 std::unique_ptr<TVLLScriptStep> step,
                                 std::unique_ptr<TVLLScriptStep>& spare);

  // Where a skip to the next keyword (`mode` as TVLLScriptCommand::_SkipTo)
  // from the reader's position ended before: the position, or 0 when it ran
  // off the end. False when not known yet.
  bool FindSkip(const TVLLScript& reader, int base, int mode, int& end) const;
  void RememberSkip(const TVLLScript& reader, int base, int mode, int start, int end);

 private:
  struct Key {
    int base;
    int length;
    int position;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return (static_cast<size_t>(k.base) * 1000003u) ^ (static_cast<size_t>(k.length) * 8191u) ^
             static_cast<size_t>(k.position);
    }
  };

  std::string text_;
  bool bound_ = false;
  // The text object bound last and its change count then, or null.
  const TVLLString* source_ = nullptr;
  unsigned source_changes_ = 0;
  // Calls by the absolute position they start at, for the first reader
  // slice that asked there (the usual case: one reading per position);
  // others go to `calls_`.
  struct PositionSlot {
    int base = 0;
    int length = 0;
    std::shared_ptr<const Call> call;
  };
  std::vector<PositionSlot> by_position_;
  std::unordered_map<Key, std::shared_ptr<const Call>, KeyHash> calls_;
  size_t call_count_ = 0;
  int users_ = 0;
  // Steps by the absolute position they start at, for the first slice
  // that read there.
  struct StepSlot {
    int base = 0;
    int length = 0;
    std::shared_ptr<const TVLLScriptStep> step;
  };
  std::vector<StepSlot> steps_;
  size_t step_count_ = 0;
  // Calls and steps of an earlier text, kept while a Use is open.
  std::vector<std::shared_ptr<const void>> retired_;
  // Skips by where they start; the mode is part of the position (sign).
  std::unordered_map<Key, int, KeyHash> skips_;
};

}  // namespace vellorax::vll2
