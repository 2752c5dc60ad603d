#include "vll2/base_command.h"

#include <cstring>

#include "vll2/script.h"
#include "vll2/text_group.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {

namespace {

const std::string kNoParam;
constexpr size_t kSpareClones = 4;
constexpr size_t kParameterCalls = 8;
constexpr size_t kTextsFound = 16;

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

// Equal texts; the first characters are compared before the rest, as the
// short keys compared here mostly differ there already.
bool SameText(const std::string& kept, std::string_view text) {
  if (kept.size() != text.size()) return false;
  if (text.empty()) return true;
  return kept[0] == text[0] && std::memcmp(kept.data(), text.data(), text.size()) == 0;
}

}  // namespace

bool TVLLBaseCommand::MayStartTextRef(std::string_view parameter) {
  size_t i = 0;
  while (i < parameter.size() && TVLLScript::IsBlank(parameter[i])) ++i;
  return i < parameter.size() && (parameter[i] == '%' || TVLLScript::IsNameChar(parameter[i]));
}

TVLLBaseCommand::TVLLBaseCommand(std::string name, std::shared_ptr<TVLLObject> tag)
    : name_(std::move(name)), tag_(std::move(tag)) {}

TVLLBaseCommand::~TVLLBaseCommand() = default;

std::unique_ptr<TVLLBaseCommand> TVLLBaseCommand::Clone() const {
  return std::make_unique<TVLLBaseCommand>(name_, tag_);
}

std::unique_ptr<TVLLBaseCommand> TVLLBaseCommand::TakeClone() const {
  if (ready_clone_) return std::move(ready_clone_);
  if (spare_clones_.empty()) return Clone();
  std::unique_ptr<TVLLBaseCommand> clone = std::move(spare_clones_.back());
  spare_clones_.pop_back();
  return clone;
}

void TVLLBaseCommand::ReturnClone(std::unique_ptr<TVLLBaseCommand> clone) const {
  if (!ready_clone_) {
    ready_clone_ = std::move(clone);
    return;
  }
  // A few are enough: more are in use at once only while a command calls itself.
  if (spare_clones_.size() < kSpareClones) spare_clones_.push_back(std::move(clone));
}

TVLLStatus TVLLBaseCommand::DoExecute() {
  return kStatusOk;
}

inline TVLLStatus TVLLBaseCommand::Run(TVLLContext& context, const TVLLParams* parameters,
                                      TVLLCommandCache* call_site) {
  TVLLNestingGuard guard(context, "TVLLBaseCommand.Execute", name_);
  if (!guard.Entered()) [[unlikely]] {
    return kStatusSyntax;
  }
  context_ = &context;
  parameters_ = parameters;
  call_site_ = call_site;
  return DoExecute();
}

TVLLStatus TVLLBaseCommand::Execute(TVLLContext& context, const TVLLParams* parameters,
                                    TVLLCommandCache* call_site) {
  const TVLLWorkSpace* ws = context.WorkSpace();
  if (call_site != nullptr &&
      (!call_site->fixed_parameters || ws == nullptr || call_site->work_space != ws ||
       call_site->version != ws->CommandsVersion())) {
    call_site = nullptr;
  }
  return Run(context, parameters, call_site);
}

TVLLWorkSpace* TVLLBaseCommand::WorkSpace() const {
  return context_->WorkSpace();
}

const std::string& TVLLBaseCommand::NoParam() {
  return kNoParam;
}

void TVLLBaseCommand::RecordError(TVLLStatus code, std::string_view where, std::string_view message,
                                  std::string_view detail) {
  context_->SetError(code, where, detail, message);
}

TVLLBaseCommand* TVLLBaseCommand::FindForCall(std::string_view name, TVLLCommandCache* cache,
                                              const TVLLWorkSpace* ws) {
  if (ws == nullptr) return nullptr;
  TVLLBaseCommand* command = ws->FindCommand(name);
  if (cache != nullptr) {
    cache->work_space = ws;
    cache->version = ws->CommandsVersion();
    cache->command = command;
    cache->data.reset();
  }
  return command;
}

TVLLStatus TVLLBaseCommand::CallCommand(std::string_view name, const TVLLParams* parameters,
                                        TVLLCommandCache* cache) {
  TVLLContext& context = *context_;
  const TVLLWorkSpace* ws = context.WorkSpace();
  // After this, `cache` (when given) holds the answer for the registrations
  // as they are now, so the run may use it as its call site.
  TVLLBaseCommand* command;
  TVLLCommandCache* site = nullptr;  // what the run is offered (CallSite)
  if (cache != nullptr && cache->work_space == ws && ws != nullptr &&
      cache->version == ws->CommandsVersion()) [[likely]] {
    command = cache->command;
    site = cache->fixed_parameters ? cache : nullptr;
  } else {
    command = FindForCall(name, cache, ws);
    if (cache != nullptr && cache->fixed_parameters) site = cache;
  }
  if (command == nullptr) [[unlikely]] {
    return CommandNotFound(name);
  }
  if (!command->ready_clone_) [[unlikely]] {
    return CallSpareClone(*command, parameters, site);
  }
  // TakeClone and ReturnClone for the clone nearly every call takes.
  std::unique_ptr<TVLLBaseCommand> clone = std::move(command->ready_clone_);
  const TVLLStatus status = clone->Run(context, parameters, site);
  if (!command->ready_clone_) [[likely]] {
    command->ready_clone_ = std::move(clone);
  } else {
    command->ReturnClone(std::move(clone));
  }
  return status;
}

TVLLStatus TVLLBaseCommand::CallSpareClone(TVLLBaseCommand& command, const TVLLParams* parameters,
                                           TVLLCommandCache* call_site) {
  std::unique_ptr<TVLLBaseCommand> clone = command.TakeClone();
  const TVLLStatus status = clone->Run(*context_, parameters, call_site);
  command.ReturnClone(std::move(clone));
  return status;
}

TVLLStatus TVLLBaseCommand::CommandNotFound(std::string_view name) {
  RecordError(kStatusNotFound, "TVLLBaseCommand.CallCommand",
              "Could not find the command: " + std::string(name), name_);
  return kStatusNotFound;
}

// A "#name(...)" parameter as ParseCommand reads it, kept by its text. The
// reading depends on the text alone, and the parameter texts of the call are
// the same on every call of one text, so the call is a fixed call site
// (TVLLCommandCache::fixed_parameters) whose command may keep a plan there.
struct TVLLBaseCommand::ParameterCall {
  std::string text;
  bool ok = false;
  std::string name;
  TVLLParams params;
  mutable TVLLCommandCache site;
};

std::shared_ptr<const TVLLBaseCommand::ParameterCall> TVLLBaseCommand::ReadParameterCall(
    std::string_view parameter) {
  for (const std::shared_ptr<const ParameterCall>& call : parameter_calls_) {
    if (call->text.size() == parameter.size() && std::string_view(call->text) == parameter) {
      return call;
    }
  }
  // Bounded for commands fed ever new parameter texts; it starts over when
  // full (calls running hold their own).
  if (parameter_calls_.size() >= kParameterCalls) parameter_calls_.clear();
  auto call = std::make_shared<ParameterCall>();
  call->text.assign(parameter);
  TVLLScript reader(parameter);
  call->ok = reader.ParseCommand(call->name, &call->params) == TVLLScript::kOk;
  call->site.fixed_parameters = true;
  parameter_calls_.push_back(call);
  return call;
}

// parameter -> "" | "%" reference "%" | "#" call | quoted string | other (6)
TVLLStatus TVLLBaseCommand::EvalParameter(std::string_view parameter) {
  if (parameter.empty()) return kStatusOk;
  const char first = parameter.front();
  if (first == '%') {
    TVLLScript reader(parameter);
    std::string group, key, language;
    if (reader.ParseTextCommand(group, key, language) != TVLLScript::kOk) {
      RecordError(kStatusSyntax, "vll2BaseCommand.EvalParameter",
                  "Syntax Error for ParseTextCommand", parameter);
      return kStatusSyntax;
    }
    if (const std::string* text = GroupText(group, key, language)) WriteText(*text);
    return kStatusOk;
  }
  if (first == '#') {
    // Held for the call: a nested call may make this command forget it.
    const std::shared_ptr<const ParameterCall> call = ReadParameterCall(parameter);
    if (!call->ok) {
      RecordError(kStatusSyntax, "vll2BaseCommand.EvalParameter", "Syntax Error for ParseCommand",
                  parameter);
      return kStatusSyntax;
    }
    // A failing nested call keeps what it wrote and its own error record.
    CallCommand(call->name, &call->params, &call->site);
    return kStatusOk;
  }
  if (first == '"' || first == '\'') {
    TVLLScript reader(parameter);
    std::string value;
    if (reader.ParseQuotedString(value) != TVLLScript::kOk) {
      RecordError(kStatusSyntax, "vll2BaseCommand.EvalParameter",
                  "Syntax Error for ParseQuotedString", parameter);
      return kStatusSyntax;
    }
    WriteText(value);
    return kStatusOk;
  }
  return kStatusNotFound;
}

TVLLStatus TVLLBaseCommand::WriteParameter(std::string_view parameter) {
  TVLLStatus status = EvalParameter(parameter);
  if (status != kStatusNotFound) return status;
  return WriteTextOrLiteral(parameter);
}

TVLLStatus TVLLBaseCommand::WriteTextOrLiteral(std::string_view parameter) {
  if (parameter.empty()) return kStatusOk;
  if (!MayStartTextRef(parameter)) {
    WriteText(parameter);
    return kStatusOk;
  }
  // The usual form, a single key ("aut", "etal ..."), without a reader.
  size_t from = 0;
  while (TVLLScript::IsBlank(parameter[from])) ++from;
  size_t to = from;
  while (to < parameter.size() && TVLLScript::IsNameChar(parameter[to])) ++to;
  if (to > from && (to == parameter.size() || (parameter[to] != '.' && parameter[to] != '%'))) {
    if (const std::string* text = GroupText({}, parameter.substr(from, to - from), {})) {
      WriteText(*text);
    } else {
      WriteText(parameter);
    }
    return kStatusOk;
  }
  TVLLScript reader(parameter);
  std::string group, key, language, text;
  if (reader.ParseTextCommand(group, key, language) == TVLLScript::kOk &&
      GetGroupText(group, key, language, text) == kStatusOk) {
    WriteText(text);
  } else {
    WriteText(parameter);
  }
  return kStatusOk;
}

TVLLStatus TVLLBaseCommand::GetGroupText(std::string_view group, std::string_view key,
                                         std::string_view language, std::string& text) {
  const std::string* found = GroupText(group, key, language);
  if (found == nullptr) {
    text.clear();
    return kStatusNotFound;
  }
  text = *found;
  return kStatusOk;
}

const std::string* TVLLBaseCommand::GroupText(std::string_view group, std::string_view key,
                                              std::string_view language) {
  TVLLWorkSpace* ws = WorkSpace();
  if (ws == nullptr) return nullptr;
  if (language.empty()) {
    language = context_->Language().empty() ? std::string_view(ws->Language())
                                            : std::string_view(context_->Language());
  }
  // The same few lookups come back call after call (a relator code, a
  // label): an answer is kept while the registrations, which alone add or
  // replace groups, and the group's entries are as they were.
  const std::uint64_t version = ws->CommandsVersion();
  for (const TextFound& found : texts_found_) {
    if (found.work_space == ws && found.version == version && SameText(found.key, key) &&
        SameText(found.group_name, group) && SameText(found.language, language) &&
        (found.group == nullptr || found.group->Changes() == found.changes)) {
      if (found.text == nullptr || !found.text->empty()) return found.text;
      break;
    }
  }
  TVLLTextGroup* text_group = group.empty() ? ws->GetTextGroup(0) : ws->FindTextGroup(group);
  const std::string* text = text_group ? text_group->FindText(key, language) : nullptr;
  if (texts_found_.size() < kTextsFound) texts_found_.emplace_back();
  TextFound& kept = texts_found_[next_text_found_];
  next_text_found_ = (next_text_found_ + 1) % kTextsFound;
  kept.work_space = ws;
  kept.version = version;
  kept.group_name.assign(group);
  kept.key.assign(key);
  kept.language.assign(language);
  kept.group = text_group;
  kept.changes = text_group ? text_group->Changes() : 0;
  kept.text = text;
  return text;
}

// The seam rule: while the output's last character is met again by the first
// character of the (unescaped) text, or a line break meets a line break, and
// more than one character is left, the first character is dropped and the
// rest unescaped again. Once the rest holds no escape that a further pass
// would change, the drops are counted in one sweep, so long runs of equal
// characters cost linear time.
void TVLLBaseCommand::WriteUnescaped(std::string_view text) {
  // No escape: unescaping changes nothing, so the drops are counted at once.
  if (text.empty()) return;
  TVLLStringBuilder& out = Output();
  size_t drop = 0;
  if (out.Length() != 0) {
    const char last = out.LastChar();
    while (drop + 1 < text.size() &&
           (text[drop] == last || (IsLineBreak(text[drop]) && IsLineBreak(last)))) {
      ++drop;
    }
  }
  out.Append(text.substr(drop));
}

void TVLLBaseCommand::WriteText(std::string_view text) {
  if (text.find('\\') == std::string_view::npos) {
    WriteUnescaped(text);
    return;
  }
  TVLLStringBuilder& out = Output();
  // Unescaped where it lands; only when its first character meets the
  // output's last one is it taken out again for the seam rule.
  const int m = out.Length();
  if (m == 0) {
    out.Append(text);
    out.UnescapeFrom(0);
    return;
  }
  const char last = out.LastChar();
  auto meets = [last](char c) { return c == last || (IsLineBreak(c) && IsLineBreak(last)); };
  out.Append(text);
  out.UnescapeFrom(m);
  const std::string_view landed = std::string_view(out.Text()).substr(static_cast<size_t>(m));
  if (landed.size() <= 1 || !meets(landed.front())) return;
  std::string rest(landed);
  out.Truncate(m);
  for (;;) {
    if (rest.size() <= 1 || !meets(rest.front())) break;
    // An escape past the first character would change on the next pass.
    const bool stable = rest.size() < 3 || rest.find('\\', 1) >= rest.size() - 1;
    if (stable) {
      size_t drop = 0;
      while (drop + 1 < rest.size() && meets(rest[drop])) ++drop;
      rest.erase(0, drop);
      break;
    }
    rest = TVLLScript::Unescape(std::string_view(rest).substr(1));
    if (rest.empty()) return;
  }
  out.Append(rest);
}

}  // namespace vellorax::vll2
