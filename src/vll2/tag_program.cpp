#include "vll2/tag_program.h"

#include <algorithm>

#include "vll2/named_object_list.h"
#include "vll2/script.h"
#include "vll2/vll_common.h"

namespace vellorax::vll2 {
namespace {

using Kind = TVLLTagOp::Kind;

// Bounds the cache for commands fed ever new specification texts (generated
// or fuzzed calls); it starts over when full.
constexpr size_t kMaxCachedTexts = 1024;

bool IsAsciiAlnum(char c) {
  return TVLLScript::IsLetter(c) || TVLLScript::IsDigit(c);
}

// Leading decimal digits of an attribute value; 0 when it has none.
int AttributeNumber(const TVLLNamedObjectList& list, std::string_view name) {
  const std::string value = TVLLCommon::GetString(list, name);
  long long n = 0;
  for (char c : value) {
    if (!TVLLScript::IsDigit(c)) break;
    n = n * 10 + (c - '0');
    if (n > 1000000000) break;
  }
  return static_cast<int>(n);
}

TVLLTagOp MakeOp(Kind kind) {
  TVLLTagOp op;
  op.kind = kind;
  return op;
}

// Reads the elements of one level from a reader over its text.
class LevelReader {
 public:
  explicit LevelReader(std::string_view text) : reader_(text) {}

  std::vector<TVLLTagOp> ReadLevel();
  // One operand of a condition.
  TVLLTagOp ReadOperand();

 private:
  // Adds `op`, first turning the literal text gathered so far into an element.
  void Push(TVLLTagOp op);
  // Adds what an element reader gave, or a malformed element for nothing;
  // false for the latter, which ends the level.
  bool PushRead(std::optional<TVLLTagOp> op);
  void FlushLiteral();
  // "(:" pos=.. len=.. ":)" when the reader stands on it; false when the
  // block does not close. start/count stay 0 without options.
  bool ReadOptions(int& start, int& count);
  // "$" code [options]: a subfield element, or literal text for "$" at the end
  // or before a character that is no letter or digit.
  TVLLTagOp ReadSubfield();
  // "*" ddd [i [i]] "$" letter [options]; nullopt when malformed.
  std::optional<TVLLTagOp> ReadFieldRef();
  std::unique_ptr<TVLLTagTextRef> ReadTextRef() { return ReadTextRefFrom(reader_); }
  static std::unique_ptr<TVLLTagTextRef> ReadTextRefFrom(TVLLScript& reader);
  static std::unique_ptr<TVLLTagCall> ReadCallFrom(TVLLScript& reader);
  std::optional<TVLLTagOp> ReadConditional();
  TVLLTagOp ReadQuotedItem(std::string text);
  std::unique_ptr<TVLLTagCondition> ReadCondition(std::string_view text);

  TVLLScript reader_;
  std::vector<TVLLTagOp> ops_;
  std::string literal_;
};

void LevelReader::FlushLiteral() {
  if (literal_.empty()) return;
  TVLLTagOp op = MakeOp(Kind::kLiteral);
  op.text = std::move(literal_);
  literal_.clear();
  ops_.push_back(std::move(op));
}

void LevelReader::Push(TVLLTagOp op) {
  FlushLiteral();
  ops_.push_back(std::move(op));
}

bool LevelReader::PushRead(std::optional<TVLLTagOp> op) {
  Push(op ? std::move(*op) : MakeOp(Kind::kFail));
  return op.has_value();
}

std::vector<TVLLTagOp> LevelReader::ReadLevel() {
  TVLLScript& reader = reader_;
  bool stop = false;
  while (reader.NotEnd() && !stop) {
    const char c = reader.Current();
    switch (c) {
      case '{': {
        std::string kind = "{";
        std::string_view content;
        if (reader.ReadBracketed(kind, content) != TVLLScript::kOk) {
          Push(MakeOp(Kind::kUnclosedBlock));
          stop = true;
        } else {
          TVLLTagOp op = MakeOp(Kind::kBlock);
          op.level = std::make_unique<TVLLTagLevel>(content);
          Push(std::move(op));
        }
        break;
      }
      case '$': {
        TVLLTagOp op = ReadSubfield();
        if (op.kind == Kind::kLiteral) {
          literal_ += op.text;
        } else {
          Push(std::move(op));
        }
        break;
      }
      case '&': {
        reader.Next();
        const std::string name = reader.ReadLetters();
        if (reader.Current() != ';') {
          TVLLTagOp op = MakeOp(Kind::kNamedSpec);
          op.text = "&" + name;
          Push(std::move(op));
          break;
        }
        reader.Next();
        TVLLTagOp op = MakeOp(Kind::kEntity);
        op.text = "&" + name + ";";
        const std::string decoded = TVLLCommon::DecodeHtmlEntity(name);
        op.alt = decoded != TVLLCommon::kErrorMarker ? decoded : "?&&" + name + ";?";
        Push(std::move(op));
        break;
      }
      case '?':
        stop = !PushRead(ReadConditional());
        break;
      case '(':
      case '[': {
        std::string kind;
        std::string_view content;
        if (reader.ReadBracketed(kind, content) != TVLLScript::kOk) {
          Push(MakeOp(Kind::kClearPending));  // the unclosed rest of the text is consumed
        } else {
          TVLLTagOp op = MakeOp(Kind::kGroup);
          op.text = kind;
          op.level = std::make_unique<TVLLTagLevel>(content);
          Push(std::move(op));
        }
        break;
      }
      case '*':
        stop = !PushRead(ReadFieldRef());
        break;
      case '"':
      case '\'': {
        std::string text;
        if (reader.ParseQuotedString(text) != TVLLScript::kOk) {
          Push(MakeOp(Kind::kFail));
          stop = true;
        } else {
          Push(ReadQuotedItem(std::move(text)));
        }
        break;
      }
      case '\\':
        reader.Next();
        if (reader.NotEnd()) {
          literal_ += reader.Current();
          reader.Next();
        }
        break;
      case '#': {
        TVLLTagOp op = MakeOp(Kind::kCommand);
        op.call = ReadCallFrom(reader);
        if (!op.call) {
          op = MakeOp(Kind::kFail);
          op.flag = true;  // the pending text is written before the call is read
          stop = true;
        }
        Push(std::move(op));
        break;
      }
      case '%': {
        TVLLTagOp op = MakeOp(Kind::kTextRef);
        op.ref = ReadTextRef();
        if (!op.ref) {
          op = MakeOp(Kind::kFail);
          op.text = "??";
          stop = true;
        }
        Push(std::move(op));
        break;
      }
      default:
        literal_ += c;
        reader.Next();
        break;
    }
  }
  FlushLiteral();
  return std::move(ops_);
}

bool LevelReader::ReadOptions(int& start, int& count) {
  start = 0;
  count = 0;
  if (reader_.Current() != '(' || reader_.PeekNext() != ':') return true;
  std::string kind = "(:";
  std::string_view content;
  if (reader_.ReadBracketed(kind, content) != TVLLScript::kOk) return false;
  TVLLNamedObjectList attributes;
  int pos = 1;
  TVLLScript::ReadAttributes(content, pos, attributes);
  start = AttributeNumber(attributes, "pos");
  count = AttributeNumber(attributes, "len");
  return true;
}

TVLLTagOp LevelReader::ReadSubfield() {
  reader_.Next();
  TVLLTagOp op = MakeOp(Kind::kLiteral);
  if (!reader_.NotEnd()) {
    op.text = "$";
    return op;
  }
  const char code = reader_.Current();
  reader_.Next();
  if (!IsAsciiAlnum(code)) {
    op.text = std::string{'$', code};
    return op;
  }
  op.kind = Kind::kSubfield;
  op.code = code;
  ReadOptions(op.start, op.count);  // an unreadable options block only loses the options
  return op;
}

std::optional<TVLLTagOp> LevelReader::ReadFieldRef() {
  TVLLScript& reader = reader_;
  reader.Next();
  std::string path;
  for (int i = 0; i < 3; ++i) {
    if (!reader.IsDigit()) return std::nullopt;
    path += reader.Current();
    reader.Next();
  }
  for (int i = 0; i < 2 && reader.NotEnd() && reader.Current() != '$'; ++i) {
    path += reader.Current();
    reader.Next();
  }
  if (reader.Current() != '$') return std::nullopt;
  path += '$';
  reader.Next();
  if (!reader.IsLetter()) return std::nullopt;
  path += reader.Current();
  reader.Next();

  TVLLTagOp op = MakeOp(Kind::kFieldRef);
  if (!ReadOptions(op.start, op.count)) return std::nullopt;
  op.text = std::move(path);
  return op;
}

std::unique_ptr<TVLLTagTextRef> LevelReader::ReadTextRefFrom(TVLLScript& reader) {
  const int start = reader.Position();
  auto ref = std::make_unique<TVLLTagTextRef>();
  if (reader.ParseTextCommand(ref->group, ref->key, ref->language) != TVLLScript::kOk) {
    return nullptr;
  }
  const std::string_view all = reader.Text();
  const size_t from = static_cast<size_t>(start > 0 ? start - 1 : 0);
  const size_t to = std::min(static_cast<size_t>(reader.Position() - 1), all.size());
  ref->raw = std::string(all.substr(from, to > from ? to - from : 0));
  return ref;
}

std::unique_ptr<TVLLTagCall> LevelReader::ReadCallFrom(TVLLScript& reader) {
  auto call = std::make_unique<TVLLTagCall>();
  std::vector<std::string> params;
  if (reader.ParseCommand(call->name, &params) != TVLLScript::kOk) return nullptr;
  for (std::string& parameter : params) {
    const char first = parameter.empty() ? '\0' : parameter[0];
    call->trimmed.emplace_back(TVLLCommon::TrimControl(parameter));
    if (first == '$' || first == '{' || first == '*' || first == '&') {
      call->levels.push_back(
          std::make_unique<TVLLTagLevel>(std::move(parameter), TVLLTagLevel::Own{}));
    } else {
      call->levels.push_back(nullptr);
    }
  }
  // Without a specification among them the parameters are the same texts on
  // every call.
  call->fixed = std::all_of(call->levels.begin(), call->levels.end(),
                            [](const auto& level) { return level == nullptr; });
  call->command.fixed_parameters = call->fixed;
  return call;
}

TVLLTagOp LevelReader::ReadQuotedItem(std::string text) {
  TVLLTagOp op = MakeOp(Kind::kQuoted);
  if (text.starts_with('%')) {
    TVLLScript reader(text);
    op.ref = ReadTextRefFrom(reader);
    op.flag = op.ref == nullptr;  // written after "??"
  } else if (text.starts_with('#')) {
    TVLLScript reader(text);
    op.call = ReadCallFrom(reader);
  }
  op.text = std::move(text);
  return op;
}

std::optional<TVLLTagOp> LevelReader::ReadConditional() {
  TVLLScript& reader = reader_;
  reader.Next();
  TVLLTagOp op = MakeOp(Kind::kConditional);
  if (reader.Current() == '!') {
    op.flag = true;
    reader.Next();
  }
  reader.SkipBlanks();
  if (reader.Current() != '(') return std::nullopt;
  std::string kind = "(";
  std::string_view condition;
  if (reader.ReadBracketed(kind, condition) != TVLLScript::kOk) return std::nullopt;
  reader.SkipBlanks();
  if (reader.Current() != '{') return std::nullopt;
  kind = "{";
  std::string_view then_branch;
  if (reader.ReadBracketed(kind, then_branch) != TVLLScript::kOk) return std::nullopt;
  reader.SkipBlanks();
  std::string_view else_branch;
  if (reader.Current() == ':' && reader.PeekNext() == ':') {
    reader.Next();
    reader.Next();
    reader.SkipBlanks();
    if (reader.Current() != '{') return std::nullopt;
    kind = "{";
    if (reader.ReadBracketed(kind, else_branch) != TVLLScript::kOk) return std::nullopt;
  }
  op.condition = ReadCondition(condition);
  op.level = std::make_unique<TVLLTagLevel>(then_branch);
  op.other = std::make_unique<TVLLTagLevel>(else_branch);
  return op;
}

// condition -> operand [operator operand]
// operator  -> one character, with a directly following "=" ("==", "<=", "!=" ...)
std::unique_ptr<TVLLTagCondition> LevelReader::ReadCondition(std::string_view text) {
  auto condition = std::make_unique<TVLLTagCondition>();
  if (text.empty()) {
    condition->empty = true;
    return condition;
  }
  LevelReader operands(text);
  TVLLScript& reader = operands.reader_;
  condition->operands.push_back(operands.ReadOperand());
  if (condition->operands.back().kind == Kind::kOperandFail) return condition;
  reader.SkipBlanks();
  if (!reader.NotEnd()) return condition;
  condition->operator_text.assign(1, reader.Current());
  reader.Next();
  if (reader.Current() == '=') {
    condition->operator_text += '=';
    reader.Next();
  }
  reader.SkipBlanks();
  condition->operands.push_back(operands.ReadOperand());
  reader.SkipBlanks();
  condition->trailing = reader.NotEnd();
  return condition;
}

// operand -> quoted | "#" call | "%" reference | "$" code | "*" path | NULL
TVLLTagOp LevelReader::ReadOperand() {
  TVLLScript& reader = reader_;
  reader.SkipBlanks();
  if (!reader.NotEnd()) return MakeOp(Kind::kOperandFail);
  switch (reader.Current()) {
    case '"': {
      TVLLTagOp op = MakeOp(Kind::kOperandValue);
      if (reader.ParseQuotedString(op.text) != TVLLScript::kOk) op.kind = Kind::kOperandFail;
      return op;
    }
    case '#': {
      TVLLTagOp op = MakeOp(Kind::kCommand);
      op.call = ReadCallFrom(reader);
      if (!op.call) op.kind = Kind::kOperandFail;
      return op;
    }
    case '%': {
      TVLLTagOp op = MakeOp(Kind::kTextRef);
      op.ref = ReadTextRef();
      if (!op.ref) op.kind = Kind::kOperandFail;
      return op;
    }
    case '$':
      return ReadSubfield();
    case '*': {
      std::optional<TVLLTagOp> op = ReadFieldRef();
      return op ? std::move(*op) : MakeOp(Kind::kOperandFail);
    }
    default: {
      // Letters only: "NULL" in any ASCII letter case.
      const std::string_view word = reader.ReadLettersView();
      TVLLTagOp op = MakeOp(Kind::kOperandLetters);
      op.flag = word.size() == 4;
      for (size_t i = 0; op.flag && i < 4; ++i) op.flag = (word[i] & ~0x20) == "NULL"[i];
      return op;
    }
  }
}

}  // namespace

TVLLTagLevel::~TVLLTagLevel() = default;

const std::vector<TVLLTagOp>& TVLLTagLevel::ReadOps() const {
  ops_ = LevelReader(text_).ReadLevel();
  plain_ = true;
  for (TVLLTagOp& op : *ops_) {
    const bool written_as_is =
        op.kind == Kind::kLiteral || (op.kind == Kind::kQuoted && !op.ref && !op.call && !op.flag);
    if (written_as_is) op.as_text = ConvertText(op.text);
    const bool plain_subfield = op.kind == Kind::kSubfield && (op.start == 0 || op.count == 0);
    if (op.kind != Kind::kLiteral && !plain_subfield &&
        !(written_as_is && op.kind == Kind::kQuoted)) {
      plain_ = false;
    }
  }
  return *ops_;
}

std::unique_ptr<TVLLConvertedText> ConvertText(std::string_view text) {
  auto result = std::make_unique<TVLLConvertedText>();
  const std::string html_free = TVLLScript::HtmlToText(text);
  result->converted = TVLLScript::Unescape(html_free);
  result->stands_alone = HtmlToTextStandsAlone(text) && UnescapeStandsAlone(html_free);
  result->unchanged = text.find_first_of("\\&<") == std::string_view::npos;
  return result;
}

bool HtmlToTextStandsAlone(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    size_t end = i + 1;
    if (text[i] == '\\') {
      end = i + 2;
    } else if (text[i] == '&' || text[i] == '<') {
      end = text.find(text[i] == '&' ? ';' : '>', i);
      if (end == std::string_view::npos) return false;
      ++end;
    }
    if (end > text.size()) return false;
    i = end;
  }
  return true;
}

bool UnescapeStandsAlone(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') continue;
    if (++i >= text.size()) return false;
  }
  return true;
}

std::shared_ptr<const TVLLTagLevel> TVLLTagProgramCache::Get(std::string_view text) {
  if (auto it = levels_.find(text); it != levels_.end()) return it->second;
  if (levels_.size() >= kMaxCachedTexts) levels_.clear();
  auto level = std::make_shared<const TVLLTagLevel>(std::string(text), TVLLTagLevel::Own{});
  levels_.emplace(std::string(text), level);
  return level;
}

}  // namespace vellorax::vll2
