#include "vll2/script_command.h"

#include "vll2/call_memo.h"
#include "vll2/expression.h"
#include "vll2/script.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {

namespace {

constexpr int kNotKeyword = 0;
constexpr int kIf = 1;
constexpr int kIfNot = 2;
constexpr int kElseIf = 3;
constexpr int kElseIfNot = 4;
constexpr int kElse = 5;
constexpr int kEndIf = 6;

constexpr std::string_view kWhere = "TVLLScriptCommand";

// Keyword code of a word compared exactly (the caller lower-cases it when
// letter case does not matter).
int KeywordCode(std::string_view word) {
  if (word == "if") return kIf;
  if (word == "ifnot") return kIfNot;
  if (word == "elseif") return kElseIf;
  if (word == "elseifnot") return kElseIfNot;
  if (word == "else") return kElse;
  if (word == "endif") return kEndIf;
  return kNotKeyword;
}

// KeywordCode of `word` in any letter case.
int KeywordCodeAnyCase(std::string_view word) {
  char lower[9];
  if (word.size() > sizeof lower) return kNotKeyword;
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return KeywordCode(std::string_view(lower, word.size()));
}

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
  memo_->Bind(script->Value());
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
TVLLStatus TVLLScriptCommand::_Run(TVLLScript& reader, int base) {
  TVLLNestingGuard guard(Context(), kWhere, Name());
  if (!guard.Entered()) return kStatusSyntax;
  reader.SkipBlanks();
  TVLLStatus status = kStatusOk;
  bool in_if = false;
  while (reader.NotEnd() && status == kStatusOk) {
    const char c = reader.Current();
    if (c == '#') {
      status = _CallCommand(reader, base);
    } else if (c == '%') {
      std::string group, key, language, text;
      if (reader.ParseTextCommand(group, key, language) != TVLLScript::kOk) {
        RecordError(kStatusSyntax, "ScriptCommand", "Missing ending %", Name());
        status = kStatusSyntax;
      } else if (GetGroupText(group, key, language, text) == kStatusOk) {
        WriteRaw(text);
      }
    } else if (c == '"') {
      std::string value;
      if (reader.ParseQuotedString(value) != TVLLScript::kOk) {
        RecordError(kStatusSyntax, kWhere, "Missing ending quote", Name());
        status = kStatusSyntax;
      } else {
        WriteRaw(value);
      }
    } else {
      const int start = reader.Position();
      const int code = KeywordCodeAnyCase(reader.ReadLettersView());
      if (code == kNotKeyword) {
        reader.SetPosition(start);
        status = _CallCommand(reader, base);
      } else {
        status = _Keyword(reader, base, code, in_if);
      }
    }
    if (status == kStatusOk) reader.SkipBlanks();
  }
  return status;
}

TVLLStatus TVLLScriptCommand::_CallCommand(TVLLScript& reader, int base) {
  const int start = reader.Position();
  const TVLLCallMemo::Call* call = memo_->ReadCall(reader, base);
  if (!call->ok) {
    RecordError(kStatusSyntax, kWhere,
                "Error on parsing command:" + NameReadAt(reader.Text(), start), Name());
    return kStatusSyntax;
  }
  return CallCommand(call->name, &call->params, &call->command);
}

TVLLStatus TVLLScriptCommand::_Keyword(TVLLScript& reader, int base, int code, bool& in_if) {
  bool take = false;
  switch (code) {
    case kElseIf:
    case kElseIfNot:
      if (!in_if) {
        RecordError(kStatusSyntax, kWhere, "Else/Elseifnot without If", Name());
        return kStatusSyntax;
      }
      [[fallthrough]];
    case kIf:
    case kIfNot: {
      in_if = true;
      const TVLLStatus decided = _Condition(reader, base);
      if (decided != 1 && decided != 2) return decided;
      const bool positive = code == kIf || code == kElseIf;
      take = positive == (decided == 1);
      break;
    }
    case kElse:
      if (!in_if) {
        RecordError(kStatusSyntax, kWhere, "Else without If", Name());
        return kStatusSyntax;
      }
      take = true;
      break;
    case kEndIf:
      if (!in_if) {
        RecordError(kStatusSyntax, kWhere, "Endif without If", Name());
        return kStatusSyntax;
      }
      in_if = false;
      return kStatusOk;
    default:
      return kStatusOk;
  }
  if (!take) return _SkipTo(reader, base, 0);

  // The branch body runs as a level of its own; then skip to the "endif".
  const int body_start = reader.Position();
  TVLLStatus status = _SkipTo(reader, base, 0);
  if (status != kStatusOk) return status;
  const std::string_view text = reader.Text();
  const size_t from = static_cast<size_t>(body_start - 1);
  const size_t count = static_cast<size_t>(reader.Position() - body_start);
  TVLLScript body(text.substr(from, count));
  status = _Run(body, base + static_cast<int>(from));
  if (status == kStatusOk) status = _SkipTo(reader, base, 1);
  return status;
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
    const int code = KeywordCode(reader.ReadUntilBlankView());
    if (code == kIf || code == kIfNot) {
      ++depth;
    } else if (code == kEndIf) {
      if (depth == 0) {
        reader.SetPosition(start);
        return kStatusOk;
      }
      --depth;
    } else if (mode == 0 && depth == 0 &&
               (code == kElseIf || code == kElseIfNot || code == kElse)) {
      reader.SetPosition(start);
      return kStatusOk;
    }
    // A NUL byte ends a word without being blank: step over it.
    if (reader.Position() == start) reader.Next();
    reader.SkipBlanks();
  }
}

// condition -> "(" { "(" | ")" | operand | operator | logic word } ")"
//   operand -> "%" reference "%" | ["#"] call | quoted | name characters
// No blanks between items except the one that ends a logic word.
TVLLStatus TVLLScriptCommand::_Condition(TVLLScript& reader, int base) {
  reader.SkipBlanks();
  if (reader.Current() != '(') return kStatusSyntax;
  reader.Next();
  int depth = 1;
  std::string truth = "(";
  TVLLExpression expression;
  auto decide = [&]() {
    truth += TruthChar(expression.Decide());
    expression.Reset();
  };
  while (depth >= 1 && reader.NotEnd()) {
    const char c = reader.Current();
    bool added = false;
    if (c == '(') {
      ++depth;
      truth += '(';
      reader.Next();
      if (expression.HasLeft()) return kStatusSyntax;
    } else if (c == ')') {
      --depth;
      if (expression.HasLeft()) decide();
      truth += ')';
      reader.Next();
    } else if (c == '%') {
      std::string group, key, language, text;
      if (reader.ParseTextCommand(group, key, language) != TVLLScript::kOk) return kStatusSyntax;
      if (GetGroupText(group, key, language, text) == kStatusOk && !text.empty()) {
        added = expression.AddOperand(text);
      }
    } else if (c == '#' && reader.PeekNext() != '=') {
      const TVLLCallMemo::Call* call = memo_->ReadCall(reader, base);
      if (!call->ok) return kStatusSyntax;
      std::string value;
      if (CallForOperand(*call, value)) added = expression.AddOperand(value);
    } else if (c == '"') {
      std::string value;
      if (reader.ParseQuotedString(value) != TVLLScript::kOk) return kStatusSyntax;
      if (!expression.AddOperand(value)) return kStatusSyntax;
      added = true;
    } else if (const int op = reader.ReadOperator(); op != TVLLScript::kOpNone) {
      expression.SetOperator(static_cast<std::uint8_t>(op));
      if (!expression.IsUnary()) return kStatusSyntax;
    } else if (const int logic = reader.ReadLogicWord(); logic != TVLLScript::kLogicNone) {
      if (expression.HasLeft()) decide();
      truth += logic == TVLLScript::kLogicAnd ? 'A' : logic == TVLLScript::kLogicOr ? 'O' : 'N';
    } else {
      const TVLLCallMemo::Call* call = memo_->ReadCall(reader, base);
      if (call->ok) {
        std::string value;
        if (CallForOperand(*call, value)) added = expression.AddOperand(value);
      } else {
        const std::string word = reader.ReadNameChars();
        if (word.empty() || !expression.AddOperand(word)) return kStatusSyntax;
        added = true;
      }
    }
    if (added && expression.IsBinary()) decide();
  }
  if (depth >= 1) return kStatusSyntax;
  switch (TVLLLogic::Evaluate(truth)) {
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
