#include "vll2/script_step.h"

#include "vll2/script.h"

namespace vellorax::vll2 {

namespace {

using Step = TVLLScriptStep;
using Item = TVLLScriptCondition::Item;

// ScriptKeywordCode of a word in any letter case.
std::uint8_t KeywordCodeAnyCase(std::string_view word) {
  char lower[9];
  if (word.size() > sizeof lower) return 0;
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return ScriptKeywordCode(std::string_view(lower, word.size()));
}

void ReadCallStep(TVLLScript& reader, int base, TVLLCallMemo& memo, Step& step) {
  step.call = memo.ReadCallKept(reader, base);
  step.kind = step.call->ok ? Step::Kind::kCall : Step::Kind::kBadCall;
}

}  // namespace

std::uint8_t ScriptKeywordCode(std::string_view word) {
  if (word == "if") return Step::kIf;
  if (word == "ifnot") return Step::kIfNot;
  if (word == "elseif") return Step::kElseIf;
  if (word == "elseifnot") return Step::kElseIfNot;
  if (word == "else") return Step::kElse;
  if (word == "endif") return Step::kEndIf;
  return 0;
}

// step -> "#" call | "%" reference "%" | quoted | keyword | call
std::unique_ptr<TVLLScriptStep> ReadScriptStep(TVLLScript& reader, int base, TVLLCallMemo& memo) {
  auto step = std::make_unique<Step>();
  step->start = reader.Position();
  const char c = reader.Current();
  if (c == '#') {
    ReadCallStep(reader, base, memo, *step);
  } else if (c == '%') {
    if (reader.ParseTextCommand(step->group, step->text, step->language) == TVLLScript::kOk) {
      step->kind = Step::Kind::kTextRef;
    } else {
      step->kind = Step::Kind::kBadTextRef;
    }
  } else if (c == '"') {
    if (reader.ParseQuotedString(step->text) == TVLLScript::kOk) {
      step->kind = Step::Kind::kQuoted;
    } else {
      step->kind = Step::Kind::kBadQuote;
    }
  } else {
    step->keyword = KeywordCodeAnyCase(reader.ReadLettersView());
    if (step->keyword == 0) {
      reader.SetPosition(step->start);
      ReadCallStep(reader, base, memo, *step);
    } else {
      step->kind = Step::Kind::kKeyword;
    }
  }
  step->end = reader.Position();
  step->next = step->end;
  if (step->kind == Step::Kind::kCall || step->kind == Step::Kind::kQuoted ||
      step->kind == Step::Kind::kTextRef) {
    reader.SkipBlanks();
    step->next = reader.Position();
  }
  return step;
}

// condition -> "(" { "(" | ")" | operand | operator | logic word } ")"
//   operand -> "%" reference "%" | ["#"] call | quoted | name characters
// No blanks between items except the one that ends a logic word.
std::unique_ptr<const TVLLScriptCondition> ReadScriptCondition(TVLLScript& reader, int base,
                                                               TVLLCallMemo& memo) {
  auto condition = std::make_unique<TVLLScriptCondition>();
  std::vector<Item>& items = condition->items;
  auto fail = [&]() {
    items.emplace_back();
    condition->end = reader.Position();
    return std::unique_ptr<const TVLLScriptCondition>(std::move(condition));
  };
  reader.SkipBlanks();
  if (reader.Current() != '(') return fail();
  reader.Next();
  int depth = 1;
  while (depth >= 1 && reader.NotEnd()) {
    const char c = reader.Current();
    Item item;
    if (c == '(') {
      ++depth;
      item.kind = Item::Kind::kOpen;
      reader.Next();
    } else if (c == ')') {
      --depth;
      item.kind = Item::Kind::kClose;
      reader.Next();
    } else if (c == '%') {
      if (reader.ParseTextCommand(item.group, item.text, item.language) != TVLLScript::kOk) {
        return fail();
      }
      item.kind = Item::Kind::kTextRef;
    } else if (c == '#' && reader.PeekNext() != '=') {
      item.call = memo.ReadCallKept(reader, base);
      if (!item.call->ok) return fail();
      item.kind = Item::Kind::kCall;
    } else if (c == '"') {
      if (reader.ParseQuotedString(item.text) != TVLLScript::kOk) return fail();
      item.kind = Item::Kind::kQuoted;
    } else if (const int op = reader.ReadOperator(); op != TVLLScript::kOpNone) {
      item.kind = Item::Kind::kOperator;
      item.code = static_cast<std::uint8_t>(op);
    } else if (const int logic = reader.ReadLogicWord(); logic != TVLLScript::kLogicNone) {
      item.kind = Item::Kind::kLogic;
      item.code = logic == TVLLScript::kLogicAnd ? 'A' : logic == TVLLScript::kLogicOr ? 'O' : 'N';
    } else {
      item.call = memo.ReadCallKept(reader, base);
      if (item.call->ok) {
        item.kind = Item::Kind::kCall;
      } else {
        item.call.reset();
        item.text = reader.ReadNameChars();
        if (item.text.empty()) return fail();
        item.kind = Item::Kind::kWord;
      }
    }
    items.push_back(std::move(item));
  }
  if (depth >= 1) return fail();
  condition->end = reader.Position();
  return condition;
}

}  // namespace vellorax::vll2
