// The interpreter of the tag specification language, run by TVLLTagCommand
// on the field its navigator stands on. Literal text is held in pending_ and
// written only when a value follows it, so separators appear only between
// values that exist. It runs the elements of each level as tag_program.cpp
// read them; the grammar below is what that reading follows.
//
// Grammar of one level (_Process), by the first character of an element:
//   element -> "{" level "}"                      block
//            | "$" code [options]                 subfield reference
//            | "*" ddd [i [i]] "$" letter [options]  record reference
//            | "&" letters [";"]                  named specification / entity
//            | "?" ["!"] "(" condition ")" "{" level "}" ["::" "{" level "}"]
//            | ("(" | "[") level (")" | "]")      group
//            | "#" call                            command call
//            | "%" reference "%"                   text reference
//            | quoted                              item written as it stands
//            | "\" char | char                     literal text
//   options -> "(:" attributes ":)"               pos=N len=N

#include "common/text_compare.h"
#include "vll2/expression.h"
#include "vll2/marc.h"
#include "vll2/script.h"
#include "vll2/tag_command.h"
#include "vll2/tag_program.h"
#include "vll2/vll_common.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

using Kind = TVLLTagOp::Kind;

constexpr std::string_view kWhereProcess = "vll2TagCommand";
constexpr TVLLStatus kConditionTrue = 1;

// Parameter lists are kept from call to call: most parameters come out as
// they were the last time.
void AssignChanged(std::string& target, std::string_view text) {
  if (target.size() != text.size() || std::string_view(target) != text) target.assign(text);
}

std::string ErrorInScript(std::string_view text) {
  std::string message = "Error in script:";
  message += text;
  return message;
}

}  // namespace

void TVLLTagCommand::WritePending() {
  if (pending_.empty()) return;
  const TVLLConvertedText* known = pending_.known();
  if (note_written_ && known != nullptr && !known->unchanged) {
    NoteWritten(Output().Length(), pending_.view(), known);
  }
  WriteRaw(pending_.view());
  pending_.clear();
}

void TVLLTagCommand::_FlushPending() {
  if (pending_.empty()) return;
  if (Output().Length() <= field_start_ && !TVLLScript::IsNameChar(pending_.front())) {
    pending_.clear();
    return;
  }
  WritePending();
}

void TVLLTagCommand::_Subfield(const TVLLTagOp& op) {
  if (marc_ != nullptr) [[likely]] {
    if (op.code != last_code_) {
      last_code_ = op.code;
      if (marc_->FindFirstSubfield(op.code)) _EmitSubfield(op.start, op.count);
    } else {
      while (marc_->FindNextSubfield()) _EmitSubfield(op.start, op.count);
    }
  }
  pending_.clear();
}

void TVLLTagCommand::_EmitSubfield(int start, int count) {
  _FlushPending();
  if (start != 0 && count != 0) [[unlikely]] {
    WriteRaw(marc_->SubfieldPart(start, count));
  } else {
    WriteRaw(marc_->SubfieldView());
  }
}

// _Subfield, literal text and plain quoted text as the loop of _Process runs
// them, for a level of nothing else, with the navigator at hand.
void TVLLTagCommand::RunPlain(const std::vector<TVLLTagOp>& ops) {
  TVLLMarc& marc = *marc_;
  char last = last_code_;
  auto emit = [&] {
    if (!pending_.empty()) {
      // _FlushPending
      if (Output().Length() <= field_start_ && !TVLLScript::IsNameChar(pending_.front())) {
        pending_.clear();
      } else {
        WritePending();
      }
    }
    WriteRaw(marc.SubfieldView());
  };
  for (const TVLLTagOp& op : ops) {
    if (op.kind == Kind::kLiteral) {
      pending_.AppendStable(op.text, op.as_text.get());
      continue;
    }
    if (op.kind == Kind::kQuoted) [[unlikely]] {
      QuotedItem(op);
      continue;
    }
    if (op.code != last) {
      last = op.code;
      if (marc.FindFirstSubfield(last)) emit();
    } else {
      while (marc.FindNextSubfield()) emit();
    }
    pending_.clear();
  }
  last_code_ = last;
}

TVLLStatus TVLLTagCommand::_Process(const TVLLTagLevel& level) {
  TVLLNestingGuard guard(Context(), kWhereProcess, "_Process");
  if (!guard.Entered()) [[unlikely]] {
    return kStatusSyntax;
  }

  last_code_ = ' ';
  const std::vector<TVLLTagOp>& ops = level.Ops();
  if (ops.size() == 1 && ops[0].kind == Kind::kBlock) {
    // A registered specification is one block: the loop below would run it
    // and then write what it left pending.
    const TVLLStatus status = _Process(*ops[0].level);
    WritePending();
    return status;
  }
  if (level.Plain() && marc_ != nullptr) {
    RunPlain(ops);
    WritePending();
    return kStatusOk;
  }
  TVLLStatus status = kStatusOk;
  for (const TVLLTagOp& op : ops) {
    // A field layout is mostly subfield references with literal text between
    // them; those two neither fail nor end the level, so only the other
    // elements go through the switch and the checks after it.
    if (op.kind == Kind::kSubfield) {
      _Subfield(op);
      continue;
    }
    if (op.kind == Kind::kLiteral) {
      pending_.AppendStable(op.text, op.as_text.get());
      continue;
    }
    if (!_OtherElement(op, status)) return LevelFailed(level);
    if (status != kStatusOk) break;
  }
  WritePending();
  return status;
}

TVLLStatus TVLLTagCommand::LevelFailed(const TVLLTagLevel& level) {
  RecordError(kStatusSyntax, kWhereProcess, ErrorInScript(level.Text()), "_Process");
  return kStatusSyntax;
}

bool TVLLTagCommand::_OtherElement(const TVLLTagOp& op, TVLLStatus& status) {
  switch (op.kind) {
    case Kind::kBlock:
      status = _Process(*op.level);
      return true;
    case Kind::kUnclosedBlock:
      status = kStatusSyntax;
      return true;
    case Kind::kFieldRef:
      _FieldRef(op);
      return true;
    case Kind::kNamedSpec:
    case Kind::kEntity:
      return _Ampersand(op);
    case Kind::kConditional:
      return _Conditional(op);
    case Kind::kGroup:
      return _Group(op);
    case Kind::kClearPending:
      pending_.clear();
      return true;
    case Kind::kQuoted:
      QuotedItem(op);
      return true;
    case Kind::kCommand: {
      const int m = Output().Length();
      WritePending();
      const int m2 = Output().Length();
      if (_Command(*op.call) == kStatusSyntax) return false;
      // A call that writes nothing takes the pending text back.
      if (Output().Length() == m2) Output().Truncate(m);
      return true;
    }
    case Kind::kTextRef: {
      // A text of a text group behaves like literal text.
      const int m = Output().Length();
      _TextRef(*op.ref);
      pending_.AppendCopy(std::string_view(Output().Text()).substr(static_cast<size_t>(m)));
      Output().Truncate(m);
      return true;
    }
    case Kind::kFail:
      if (op.flag) WritePending();
      WriteRaw(op.text);
      return false;
    default:
      return false;
  }
}

void TVLLTagCommand::QuotedItem(const TVLLTagOp& op) {
  const int m = Output().Length();
  _FlushPending();
  const int m2 = Output().Length();
  if (op.ref) {
    _TextRef(*op.ref);
  } else if (op.flag) {
    WriteRaw("??");  // an unreadable reference
    WriteRaw(op.text);
  } else if (op.call) {
    if (_Command(*op.call) == kStatusSyntax) WriteRaw(op.text);
  } else {
    if (note_written_ && op.as_text && !op.as_text->unchanged) {
      NoteWritten(Output().Length(), op.text, op.as_text.get());
    }
    WriteRaw(op.text);
  }
  if (Output().Length() == m2) Output().Truncate(m);
}

void TVLLTagCommand::_FieldRef(const TVLLTagOp& op) {
  if (!marc_) return;
  if (op.start != 0 && op.count != 0) {
    const std::string value = marc_->ValueByPathPart(op.text, op.start, op.count);
    if (value.empty()) return;
    _FlushPending();
    WriteRaw(value);
    return;
  }
  const std::string_view value = marc_->ValueViewByPath(op.text);
  if (value.empty()) return;
  _FlushPending();
  WriteRaw(value);
}

bool TVLLTagCommand::_Ampersand(const TVLLTagOp& op) {
  if (op.kind == Kind::kEntity) {
    pending_.AppendStable(Context().Html() ? op.text : op.alt);
    return true;
  }
  const TVLLTagLevel* named = nullptr;
  const TVLLWorkSpace* ws = WorkSpace();
  TVLLTagOp::NamedFound& found = op.named;
  if (ws != nullptr && found.work_space == ws && found.version == ws->CommandsVersion() &&
      found.source != nullptr && found.source->Changes() == found.source_changes) {
    named = found.level;
  } else if (ws != nullptr) {
    std::shared_ptr<const TVLLTagLevel> hold;
    const TVLLString* source = nullptr;
    named = ws->GetTagProgram(op.text, hold, &source);
    if (hold) {
      // Read anew for this run: the pending text may keep views of its
      // literals, so it lives for the run.
      run_holds_.push_back(std::move(hold));
      found = {};
    } else {
      found = {ws, ws->CommandsVersion(), source, source ? source->Changes() : 0u, named};
    }
  }
  if (!named) {
    WriteRaw("?&");
    WriteRaw(op.text);
    WriteRaw("?");
    return true;
  }
  WritePending();
  return _Process(*named) == kStatusOk;
}

bool TVLLTagCommand::_Group(const TVLLTagOp& op) {
  const int m0 = Output().Length();
  _FlushPending();
  WriteRaw(op.text);
  const int m1 = Output().Length();
  if (_Process(*op.level) != kStatusOk) return false;
  if (Output().Length() > m1) {
    if (op.text == "(") WriteRaw(")");
    if (op.text == "[") WriteRaw("]");
  } else {
    Output().Truncate(m0);  // the opener and the flushed pending text go
  }
  pending_.clear();
  return true;
}

bool TVLLTagCommand::_Conditional(const TVLLTagOp& op) {
  const TVLLPendingText saved = pending_;
  const TVLLStatus r = _EvalCondition(*op.condition);
  if (r == kStatusSyntax) return false;
  const bool truth = (r == kConditionTrue) != op.flag;
  const TVLLTagLevel& branch = truth ? *op.level : *op.other;
  if (branch.Text().empty()) return true;  // pending text before it was dropped by the condition
  pending_ = saved;
  return _Process(branch) == kStatusOk;
}

TVLLStatus TVLLTagCommand::_EvalCondition(const TVLLTagCondition& condition) {
  pending_.clear();
  last_code_ = ' ';
  if (condition.empty) return kStatusSyntax;
  TVLLExpression expression;
  std::string value;
  if (!_Operand(condition.operands[0], value)) return kStatusSyntax;
  expression.AddOperand(value);
  if (!condition.operator_text.empty()) {
    expression.SetOperatorText(condition.operator_text);
    if (!_Operand(condition.operands[1], value)) return kStatusSyntax;
    expression.AddOperand(value);
    if (condition.trailing) return kStatusSyntax;
  }
  return expression.Decide();
}

bool TVLLTagCommand::_Operand(const TVLLTagOp& op, std::string& value) {
  value.clear();
  switch (op.kind) {
    case Kind::kOperandValue:
      value = op.text;
      return true;
    case Kind::kOperandLetters:
      return op.flag;
    case Kind::kLiteral:
      pending_.AppendStable(op.text);  // "$" without a code is literal text
      return true;
    case Kind::kCommand:
    case Kind::kTextRef:
    case Kind::kSubfield:
    case Kind::kFieldRef:
      break;
    default:
      return false;
  }
  const int m = Output().Length();
  bool ok = true;
  switch (op.kind) {
    case Kind::kCommand:
      ok = _Command(*op.call) == kStatusOk;
      break;
    case Kind::kTextRef:
      _TextRef(*op.ref);
      break;
    case Kind::kSubfield:
      _Subfield(op);
      break;
    default:
      _FieldRef(op);
      break;
  }
  value = Output().TextFrom(m);
  Output().Truncate(m);
  return ok;
}

void TVLLTagCommand::_TextRef(const TVLLTagTextRef& ref) {
  std::string text;
  if (GetGroupText(ref.group, ref.key, ref.language, text) == kStatusOk) {
    WriteRaw(text);
  } else {
    WriteRaw("?");
    WriteRaw(ref.raw);
    WriteRaw("?");
  }
}

TVLLStatus TVLLTagCommand::_Command(const TVLLTagCall& call) {
  if (call.fixed) return CallCommand(call.name, &call.trimmed, &call.command);
  // One parameter list per depth of this run's nested calls, kept with its
  // memory for the next call at that depth.
  if (static_cast<size_t>(call_depth_) == call_params_.size()) {
    call_params_.push_back(std::make_unique<TVLLParams>());
  }
  TVLLParams& evaluated = *call_params_[static_cast<size_t>(call_depth_)];
  ++call_depth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{call_depth_};
  _EvalParams(call, evaluated);
  return CallCommand(call.name, &evaluated, &call.command);
}

void TVLLTagCommand::_EvalParams(const TVLLTagCall& call, TVLLParams& result) {
  result.resize(call.trimmed.size());
  for (size_t i = 0; i < call.trimmed.size(); ++i) {
    const TVLLTagLevel* level = call.levels[i].get();
    if (level == nullptr) {
      AssignChanged(result[i], call.trimmed[i]);
    } else if (const std::vector<TVLLTagOp>& ops = level->Ops();
               ops.size() == 1 && ops[0].kind == Kind::kSubfield) {
      LoneSubfieldParam(ops[0], call.trimmed[i], result[i]);
    } else {
      LevelParam(*level, call.trimmed[i], result[i]);
    }
  }
}

// A lone subfield reference ("$4"), the usual parameter: what running its
// level would write, read from the navigator without writing it.
void TVLLTagCommand::LoneSubfieldParam(const TVLLTagOp& op, const std::string& own,
                                       std::string& result) {
  TVLLNestingGuard guard(Context(), kWhereProcess, "_Process");
  if (!guard.Entered()) [[unlikely]] {
    AssignChanged(result, own);
    return;
  }
  last_code_ = ' ';
  if (marc_ == nullptr || !marc_->FindFirstSubfield(op.code)) {
    if (marc_ != nullptr) last_code_ = op.code;
    AssignChanged(result, own);
    return;
  }
  last_code_ = op.code;
  if (op.start != 0 && op.count != 0) [[unlikely]] {
    const std::string part = marc_->SubfieldPart(op.start, op.count);
    AssignChanged(result, part.empty() ? std::string_view(own) : TVLLCommon::TrimControl(part));
    return;
  }
  const std::string_view value = marc_->SubfieldView();
  AssignChanged(result, value.empty() ? std::string_view(own) : TVLLCommon::TrimControl(value));
}

// Any other specification parameter: its level run, what it wrote taken
// back and trimmed; its own text when it writes nothing or fails.
void TVLLTagCommand::LevelParam(const TVLLTagLevel& level, const std::string& own,
                                std::string& result) {
  TVLLPendingText saved;
  saved.swap(pending_);
  const int m = Output().Length();
  const bool ok = _Process(level) == kStatusOk && Output().Length() > m;
  if (ok) {
    result =
        TVLLCommon::TrimControl(std::string_view(Output().Text()).substr(static_cast<size_t>(m)));
  }
  Output().Truncate(m);
  pending_.swap(saved);
  if (!ok) result = own;
}

}  // namespace vellorax::vll2
