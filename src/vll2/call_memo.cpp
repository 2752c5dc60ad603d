#include "vll2/call_memo.h"

#include "vll2/script.h"
#include "vll2/script_step.h"

namespace vellorax::vll2 {

namespace {

// Bounds the memo for scripts with very many calls (generated or fuzzed
// text); calls past it are read every time.
constexpr size_t kMaxCalls = 4096;

}  // namespace

void TVLLCallMemo::Bind(const TVLLString& script) {
  if (bound_ && source_ == &script && source_changes_ == script.Changes()) return;
  Bind(script.Value());
  source_ = &script;
  source_changes_ = script.Changes();
}

void TVLLCallMemo::Bind(std::string_view script) {
  source_ = nullptr;
  if (bound_ && text_ == script) return;
  if (users_ > 0) {
    for (PositionSlot& slot : by_position_) {
      if (slot.call) retired_.push_back(std::move(slot.call));
    }
    for (auto& [key, call] : calls_) retired_.push_back(std::move(call));
    for (StepSlot& slot : steps_) {
      if (slot.step) retired_.push_back(std::move(slot.step));
    }
  }
  by_position_.clear();
  steps_.clear();
  step_count_ = 0;
  calls_.clear();
  call_count_ = 0;
  skips_.clear();
  text_.assign(script);
  bound_ = true;
}

const TVLLCallMemo::Call* TVLLCallMemo::ReadCall(TVLLScript& reader, int base) {
  return ReadCallKept(reader, base).get();
}

std::shared_ptr<const TVLLCallMemo::Call> TVLLCallMemo::ReadCallKept(TVLLScript& reader, int base) {
  const int length = reader.Length();
  const size_t at = static_cast<size_t>(base) + static_cast<size_t>(reader.Position());
  PositionSlot* slot = at < by_position_.size() ? &by_position_[at] : nullptr;
  if (slot != nullptr && slot->call && slot->base == base && slot->length == length) {
    if (slot->call->ok) reader.Seek(slot->call->end);
    return slot->call;
  }
  const Key key{base, length, reader.Position()};
  if (auto it = calls_.find(key); it != calls_.end()) {
    if (it->second->ok) reader.Seek(it->second->end);
    return it->second;
  }
  auto call = std::make_shared<Call>();
  call->command.fixed_parameters = true;  // read once, the same texts ever after
  call->ok = reader.ParseCommand(call->name, &call->params) == TVLLScript::kOk;
  call->end = reader.Position();
  if (call_count_ >= kMaxCalls) {
    // Not remembered: kept for the open Use only.
    retired_.push_back(call);
    return call;
  }
  ++call_count_;
  if (by_position_.empty()) by_position_.resize(text_.size() + 1);
  if (at < by_position_.size() && !by_position_[at].call) {
    by_position_[at] = PositionSlot{base, length, call};
  } else {
    calls_.emplace(key, call);
  }
  return call;
}

const TVLLScriptStep* TVLLCallMemo::KeepStep(const TVLLScript& reader, int base, int position,
                                             std::unique_ptr<TVLLScriptStep> step,
                                             std::unique_ptr<TVLLScriptStep>& spare) {
  const size_t at = static_cast<size_t>(base) + static_cast<size_t>(position);
  if (step_count_ < kMaxCalls && at <= text_.size()) {
    if (steps_.empty()) steps_.resize(text_.size() + 1);
    StepSlot& slot = steps_[at];
    if (!slot.step) {
      ++step_count_;
      slot = StepSlot{base, reader.Length(), std::move(step)};
      return slot.step.get();
    }
  }
  spare = std::move(step);
  return spare.get();
}

bool TVLLCallMemo::FindSkip(const TVLLScript& reader, int base, int mode, int& end) const {
  const Key key{base, reader.Length(), mode == 0 ? reader.Position() : -reader.Position()};
  auto it = skips_.find(key);
  if (it == skips_.end()) return false;
  end = it->second;
  return true;
}

void TVLLCallMemo::RememberSkip(const TVLLScript& reader, int base, int mode, int start, int end) {
  if (skips_.size() >= kMaxCalls) return;
  skips_.emplace(Key{base, reader.Length(), mode == 0 ? start : -start}, end);
}

}  // namespace vellorax::vll2
