#include "vll2/script_command.h"

#include "vll2/call_memo.h"
#include "vll2/expression.h"
#include "vll2/script.h"
#include "vll2/script_step.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {

namespace {

constexpr std::string_view kWhere = "TVLLScriptCommand";

// Truth texts whose answers a condition keeps (two per comparison in it).
constexpr size_t kMaxAnswers = 8;

// The part of a call's name that reads from the 1-based `pos` of `text`
// (blanks and an optional "#" skipped), for the parse error message.
std::string NameReadAt(std::string_view text, int pos) {
  size_t i = pos < 1 ? 0 : static_cast<size_t>(pos - 1);
  while (i < text.size() && TVLLScript::IsBlank(text[i])) ++i;
  if (i < text.size() && text[i] == '#') ++i;
  if (i >= text.size() || !TVLLScript::IsLetter(text[i])) return std::string();
  size_t end = i;
  while (end < text.size() && TVLLScript::IsNameChar(text[end])) ++end;
  return std::string(text.substr(i, end - i));
}

char TruthChar(std::uint8_t decided) {
  return decided == 1 ? 'T' : 'F';
}

}  // namespace

TVLLScriptCommand::TVLLScriptCommand(std::string name, std::shared_ptr<TVLLObject> tag)
    : TVLLScriptCommand(std::move(name), std::move(tag), std::make_shared<TVLLCallMemo>()) {}

TVLLScriptCommand::TVLLScriptCommand(std::string name, std::shared_ptr<TVLLObject> tag,
                                     std::shared_ptr<TVLLCallMemo> memo)
    : TVLLBaseCommand(std::move(name), std::move(tag)), memo_(std::move(memo)) {}

TVLLScriptCommand::~TVLLScriptCommand() = default;

std::unique_ptr<TVLLBaseCommand> TVLLScriptCommand::Clone() const {
  return std::unique_ptr<TVLLBaseCommand>(new TVLLScriptCommand(Name(), SharedTag(), memo_));
}

TVLLStatus TVLLScriptCommand::DoExecute() {
  if (Tag() == nullptr) {
    RecordError(kStatusWrongParams, "TVLLScriptCommand.Execute", "Tag is null.", Name());
    return kStatusWrongParams;
  }
  auto* script = AsText(Tag());
  if (script == nullptr) {
    RecordError(kStatusWrongParams, "TVLLScriptCommand.Execute", "Tag must be TVLLString", Name());
    return kStatusWrongParams;
  }
  int start = 0;
  int after_prefix = 0;
  if (ParamCount() >= 1) {
    start = Output().Length();
    WriteParameter(Param(0));
    after_prefix = Output().Length();
  }
  memo_->Bind(*script);
  // Keeps the memo's answers valid for this run and the runs nested in it.
  const TVLLCallMemo::Use use(*memo_);
  TVLLScript reader(script->Value());
  TVLLStatus status = _Run(reader, 0);
  if (ParamCount() >= 2) {
    if (Output().Length() <= after_prefix) {
      Output().Truncate(start);
    } else {
      WriteParameter(Param(ParamCount() - 1));
    }
  }
  return status;
}

// level -> { "#" call | "%" reference "%" | quoted | keyword ... | call }
// The steps are read once per slice and position (script_step.h).
TVLLStatus TVLLScriptCommand::_Run(TVLLScript& reader, int base) {
  TVLLNestingGuard guard(Context(), kWhere, Name());
  if (!guard.Entered()) return kStatusSyntax;
  reader.SkipBlanks();
  TVLLStatus status = kStatusOk;
  bool in_if = false;
  // The kept step run last when the reader stands at its `next`.
  const TVLLScriptStep* previous = nullptr;
  while (reader.NotEnd() && status == kStatusOk) {
    const TVLLScriptStep* step = previous != nullptr ? previous->following : nullptr;
    if (step == nullptr) {
      step = memo_->FindStep(reader, base);
      if (step == nullptr) [[unlikely]] {
        status = _ReadStep(reader, base, in_if);
        previous = nullptr;
        continue;
      }
      if (previous != nullptr) previous->following = step;
    }
    status = _Step(*step, reader, base, in_if);
    previous = step->kind == TVLLScriptStep::Kind::kKeyword ? nullptr : step;
  }
  return status;
}

TVLLStatus TVLLScriptCommand::_ReadStep(TVLLScript& reader, int base, bool& in_if) {
  const int position = reader.Position();
  // Owns the step when the memo could not keep it.
  std::unique_ptr<TVLLScriptStep> spare;
  const TVLLScriptStep* step =
      memo_->KeepStep(reader, base, position, ReadScriptStep(reader, base, *memo_), spare);
  return _Step(*step, reader, base, in_if);
}

inline TVLLStatus TVLLScriptCommand::_Step(const TVLLScriptStep& step, TVLLScript& reader,
                                           int base, bool& in_if) {
  reader.Seek(step.next);
  switch (step.kind) {
    case TVLLScriptStep::Kind::kCall: {
      const TVLLCallMemo::Call& call = *step.call;
      return CallCommand(call.name, &call.params, &call.command);
    }
    case TVLLScriptStep::Kind::kQuoted:
      WriteRaw(step.text);
      return kStatusOk;
    case TVLLScriptStep::Kind::kTextRef:
      if (const std::string* text = GroupText(step.group, step.text, step.language)) {
        WriteRaw(*text);
      }
      return kStatusOk;
    case TVLLScriptStep::Kind::kKeyword: {
      const TVLLStatus status = _Keyword(step, reader, base, in_if);
      if (status == kStatusOk) reader.SkipBlanks();
      return status;
    }
    default:
      return _StepError(step, reader);
  }
}

TVLLStatus TVLLScriptCommand::_StepError(const TVLLScriptStep& step, const TVLLScript& reader) {
  switch (step.kind) {
    case TVLLScriptStep::Kind::kBadTextRef:
      RecordError(kStatusSyntax, "ScriptCommand", "Missing ending %", Name());
      break;
    case TVLLScriptStep::Kind::kBadQuote:
      RecordError(kStatusSyntax, kWhere, "Missing ending quote", Name());
      break;
    default:
      RecordError(kStatusSyntax, kWhere,
                  "Error on parsing command:" + NameReadAt(reader.Text(), step.start), Name());
      break;
  }
  return kStatusSyntax;
}

TVLLStatus TVLLScriptCommand::_Keyword(const TVLLScriptStep& step, TVLLScript& reader, int base,
                                       bool& in_if) {
  bool take = false;
  switch (step.keyword) {
    case TVLLScriptStep::kElseIf:
    case TVLLScriptStep::kElseIfNot:
      if (!in_if) [[unlikely]] {
        return _KeywordError(step);
      }
      [[fallthrough]];
    case TVLLScriptStep::kIf:
    case TVLLScriptStep::kIfNot: {
      in_if = true;
      if (!step.condition) {
        step.condition = ReadScriptCondition(reader, base, *memo_);
      } else {
        reader.Seek(step.condition->end);
      }
      const TVLLStatus decided = _Condition(*step.condition);
      if (decided != 1 && decided != 2) return decided;
      const bool positive =
          step.keyword == TVLLScriptStep::kIf || step.keyword == TVLLScriptStep::kElseIf;
      take = positive == (decided == 1);
      break;
    }
    case TVLLScriptStep::kElse:
      if (!in_if) [[unlikely]] {
        return _KeywordError(step);
      }
      take = true;
      break;
    case TVLLScriptStep::kEndIf:
      if (!in_if) [[unlikely]] {
        return _KeywordError(step);
      }
      in_if = false;
      return kStatusOk;
    default:
      return kStatusOk;
  }
  const int body_start = reader.Position();
  TVLLStatus status = _SkipKnown(reader, base, 0, step.skip_next);
  if (!take || status != kStatusOk) return status;

  // The branch body runs as a level of its own; then skip to the "endif".
  const std::string_view text = reader.Text();
  const size_t from = static_cast<size_t>(body_start - 1);
  const size_t count = static_cast<size_t>(reader.Position() - body_start);
  TVLLScript body(text.substr(from, count));
  status = _Run(body, base + static_cast<int>(from));
  if (status == kStatusOk) status = _SkipKnown(reader, base, 1, step.skip_endif);
  return status;
}

TVLLStatus TVLLScriptCommand::_KeywordError(const TVLLScriptStep& step) {
  std::string_view message = "Endif without If";
  if (step.keyword == TVLLScriptStep::kElse) {
    message = "Else without If";
  } else if (step.keyword != TVLLScriptStep::kEndIf) {
    message = "Else/Elseifnot without If";
  }
  RecordError(kStatusSyntax, kWhere, message, Name());
  return kStatusSyntax;
}

// A skip a step made before is replayed from `known`; a new one is made and
// kept there.
TVLLStatus TVLLScriptCommand::_SkipKnown(TVLLScript& reader, int base, int mode, int& known) {
  if (known == TVLLScriptStep::kUnknown) {
    const TVLLStatus status = _SkipTo(reader, base, mode);
    known = status == kStatusOk ? reader.Position() : 0;
    return status;
  }
  if (known == 0) [[unlikely]] {
    reader.Seek(reader.Length() + 1);
    RecordError(kStatusSyntax, kWhere, "if without endif", Name());
    return kStatusSyntax;
  }
  reader.Seek(known);
  return kStatusOk;
}

// Moves to the next keyword of this level: mode 0 stops at "elseif",
// "elseifnot", "else" or "endif", mode 1 only at "endif". Words are blank-
// separated and compared exactly; nested if/ifnot ... endif are passed over.
TVLLStatus TVLLScriptCommand::_SkipTo(TVLLScript& reader, int base, int mode) {
  // A skip depends on the text alone: one that was made before is replayed.
  const int from = reader.Position();
  int known = 0;
  if (memo_->FindSkip(reader, base, mode, known)) {
    if (known == 0) {
      reader.Seek(reader.Length() + 1);
      RecordError(kStatusSyntax, kWhere, "if without endif", Name());
      return kStatusSyntax;
    }
    reader.Seek(known);
    return kStatusOk;
  }
  const TVLLStatus status = _Scan(reader, mode);
  memo_->RememberSkip(reader, base, mode, from, status == kStatusOk ? reader.Position() : 0);
  return status;
}

TVLLStatus TVLLScriptCommand::_Scan(TVLLScript& reader, int mode) {
  int depth = 0;
  reader.SkipBlanks();
  for (;;) {
    if (!reader.NotEnd()) {
      RecordError(kStatusSyntax, kWhere, "if without endif", Name());
      return kStatusSyntax;
    }
    const int start = reader.Position();
    const int code = ScriptKeywordCode(reader.ReadUntilBlankView());
    if (code == TVLLScriptStep::kIf || code == TVLLScriptStep::kIfNot) {
      ++depth;
    } else if (code == TVLLScriptStep::kEndIf) {
      if (depth == 0) {
        reader.SetPosition(start);
        return kStatusOk;
      }
      --depth;
    } else if (mode == 0 && depth == 0 &&
               (code == TVLLScriptStep::kElseIf || code == TVLLScriptStep::kElseIfNot ||
                code == TVLLScriptStep::kElse)) {
      reader.SetPosition(start);
      return kStatusOk;
    }
    // A NUL byte ends a word without being blank: step over it.
    if (reader.Position() == start) reader.Next();
    reader.SkipBlanks();
  }
}

// Runs a condition as read (script_step.h): operands are compared in pairs,
// and the truth text of the comparisons and logic words gives the answer:
// 1 true, 2 false, 9 malformed (nothing recorded).
TVLLStatus TVLLScriptCommand::_Condition(const TVLLScriptCondition& condition) {
  std::string truth = "(";
  TVLLExpression expression;
  auto decide = [&]() {
    truth += TruthChar(expression.Decide());
    expression.Reset();
  };
  using Item = TVLLScriptCondition::Item;
  // An if chain, most frequent items first: a jump table costs an indirect
  // jump per item that the branch predictor rarely gets right.
  for (const Item& item : condition.items) {
    bool added = false;
    const Item::Kind kind = item.kind;
    if (kind == Item::Kind::kCall) {
      std::string value;
      if (CallForOperand(*item.call, value)) added = expression.AddOperand(value);
    } else if (kind == Item::Kind::kQuoted || kind == Item::Kind::kWord) {
      if (!expression.AddOperand(item.text)) return kStatusSyntax;
      added = true;
    } else if (kind == Item::Kind::kOperator) {
      expression.SetOperator(item.code);
      if (!expression.IsUnary()) return kStatusSyntax;
    } else if (kind == Item::Kind::kClose) {
      if (expression.HasLeft()) decide();
      truth += ')';
    } else if (kind == Item::Kind::kOpen) {
      truth += '(';
      if (expression.HasLeft()) return kStatusSyntax;
    } else if (kind == Item::Kind::kLogic) {
      if (expression.HasLeft()) decide();
      truth += static_cast<char>(item.code);
    } else if (kind == Item::Kind::kTextRef) {
      if (const std::string* text = GroupText(item.group, item.text, item.language);
          text != nullptr && !text->empty()) {
        added = expression.AddOperand(*text);
      }
    } else {
      return kStatusSyntax;
    }
    if (added && expression.IsBinary()) decide();
  }
  char answer = 0;
  for (const auto& [seen, value] : condition.answers) {
    if (seen == truth) {
      answer = value;
      break;
    }
  }
  if (answer == 0) {
    answer = TVLLLogic::Evaluate(truth);
    if (condition.answers.size() < kMaxAnswers) condition.answers.emplace_back(truth, answer);
  }
  switch (answer) {
    case 'T':
      return 1;
    case 'F':
      return 2;
    default:
      return kStatusSyntax;
  }
}

bool TVLLScriptCommand::CallForOperand(const TVLLCallMemo::Call& call, std::string& value) {
  const int mark = Output().Length();
  const TVLLStatus status = CallCommand(call.name, &call.params, &call.command);
  value = Output().TextFrom(mark);
  Output().Truncate(mark);
  return status == kStatusOk;
}

}  // namespace vellorax::vll2
