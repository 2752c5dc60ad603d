#include "vll2/call_memo.h"

#include "vll2/script.h"

namespace vellorax::vll2 {

namespace {

// Bounds the memo for scripts with very many calls (generated or fuzzed
// text); calls past it are read every time.
constexpr size_t kMaxCalls = 4096;

}  // namespace

void TVLLCallMemo::Bind(std::string_view script) {
  if (bound_ && text_ == script) return;
  calls_.clear();
  skips_.clear();
  text_.assign(script);
  bound_ = true;
}

std::shared_ptr<const TVLLCallMemo::Call> TVLLCallMemo::ReadCall(TVLLScript& reader, int base) {
  const Key key{base, reader.Length(), reader.Position()};
  if (auto it = calls_.find(key); it != calls_.end()) {
    if (it->second->ok) reader.Seek(it->second->end);
    return it->second;
  }
  auto call = std::make_shared<Call>();
  call->command.fixed_parameters = true;  // read once, the same texts ever after
  call->ok = reader.ParseCommand(call->name, &call->params) == TVLLScript::kOk;
  call->end = reader.Position();
  if (calls_.size() < kMaxCalls) calls_.emplace(key, call);
  return call;
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
