// The interpreter of the tag specification language, run by TVLLTagCommand
// on the field its navigator stands on. Literal text is held in pending_ and
// written only when a value follows it, so separators appear only between
// values that exist.
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

#include <algorithm>

#include "common/text_compare.h"
#include "vll2/expression.h"
#include "vll2/marc.h"
#include "vll2/script.h"
#include "vll2/tag_command.h"
#include "vll2/vll_common.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

constexpr std::string_view kWhereProcess = "vll2TagCommand";
constexpr TVLLStatus kConditionTrue = 1;

bool IsAsciiAlnum(char c) { return TVLLScript::IsLetter(c) || TVLLScript::IsDigit(c); }

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

// Strips characters with codes 0 to 32 from both ends.
std::string TrimControl(std::string s) {
  size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= 32) ++b;
  size_t e = s.size();
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

}  // namespace

void TVLLTagCommand::WritePending() {
  WriteRaw(pending_);
  pending_.clear();
}

void TVLLTagCommand::_FlushPending() {
  if (pending_.empty()) return;
  if (Output().Length() <= field_start_ && !TVLLScript::IsNameChar(pending_[0])) {
    pending_.clear();
    return;
  }
  WritePending();
}

TVLLStatus TVLLTagCommand::_Process(TVLLScript& reader) {
  TVLLNestingGuard guard(Context(), kWhereProcess, "_Process");
  if (!guard.Entered()) return kStatusSyntax;

  last_code_ = ' ';
  TVLLStatus status = kStatusOk;
  bool ok = true;
  while (reader.NotEnd() && status == kStatusOk && ok) {
    const char c = reader.Current();
    switch (c) {
      case '{': {
        std::string kind = "{";
        std::string content;
        if (reader.ReadBracketed(kind, content) != TVLLScript::kOk) {
          status = kStatusSyntax;
        } else {
          TVLLScript block(content);
          status = _Process(block);
        }
        break;
      }
      case '$':
        ok = _Subfield(reader);
        break;
      case '&':
        ok = _Ampersand(reader);
        break;
      case '?':
        ok = _Conditional(reader);
        break;
      case '(':
      case '[':
        ok = _Group(reader);
        break;
      case '*':
        ok = _FieldRef(reader);
        break;
      case '"':
      case '\'': {
        std::string text;
        ok = reader.ParseQuotedString(text) == TVLLScript::kOk;
        if (ok) QuotedItem(text);
        break;
      }
      case '\\':
        reader.Next();
        if (reader.NotEnd()) {
          pending_ += reader.Current();
          reader.Next();
        }
        break;
      case '#': {
        const int m = Output().Length();
        WritePending();
        const int m2 = Output().Length();
        if (_Command(reader) == kStatusSyntax) {
          ok = false;
        } else if (Output().Length() == m2) {
          Output().Truncate(m);  // a call that writes nothing takes the pending text back
        }
        break;
      }
      case '%': {
        // A text of a text group behaves like literal text.
        const int m = Output().Length();
        ok = _TextRef(reader);
        if (ok) {
          pending_ += Output().TextFrom(m);
          Output().Truncate(m);
        }
        break;
      }
      default:
        pending_ += c;
        reader.Next();
        break;
    }
  }
  if (!ok) {
    RecordError(kStatusSyntax, kWhereProcess, "Error in script:" + reader.Text(), "_Process");
    return kStatusSyntax;
  }
  WritePending();
  return status;
}

void TVLLTagCommand::QuotedItem(std::string_view text) {
  const int m = Output().Length();
  _FlushPending();
  const int m2 = Output().Length();
  if (text.starts_with('%')) {
    TVLLScript reader(text);
    if (!_TextRef(reader)) WriteRaw(text);
  } else if (text.starts_with('#')) {
    TVLLScript reader(text);
    if (_Command(reader) == kStatusSyntax) WriteRaw(text);
  } else {
    WriteRaw(text);
  }
  if (Output().Length() == m2) Output().Truncate(m);
}

bool TVLLTagCommand::ReadOptions(TVLLScript& reader, int& start, int& count) {
  start = 0;
  count = 0;
  if (reader.Current() != '(' || reader.PeekNext() != ':') return true;
  std::string kind = "(:";
  std::string content;
  if (reader.ReadBracketed(kind, content) != TVLLScript::kOk) return false;
  TVLLNamedObjectList attributes;
  int pos = 1;
  TVLLScript::ReadAttributes(content, pos, attributes);
  start = AttributeNumber(attributes, "pos");
  count = AttributeNumber(attributes, "len");
  return true;
}

bool TVLLTagCommand::_Subfield(TVLLScript& reader) {
  reader.Next();
  if (!reader.NotEnd()) {
    pending_ += '$';
    return true;
  }
  const char code = reader.Current();
  reader.Next();
  if (!IsAsciiAlnum(code)) {
    pending_ += '$';
    pending_ += code;
    return true;
  }
  int start = 0;
  int count = 0;
  ReadOptions(reader, start, count);  // an unreadable options block only loses the options
  if (marc_) {
    if (code == last_code_) {
      while (marc_->FindNextSubfield()) _EmitSubfield(start, count);
    } else {
      if (marc_->FindFirstSubfield(code)) _EmitSubfield(start, count);
      last_code_ = code;
    }
  }
  pending_.clear();
  return true;
}

void TVLLTagCommand::_EmitSubfield(int start, int count) {
  _FlushPending();
  if (start != 0 && count != 0) {
    WriteRaw(marc_->SubfieldPart(start, count));
  } else {
    WriteRaw(marc_->SubfieldView());
  }
}

bool TVLLTagCommand::_FieldRef(TVLLScript& reader) {
  reader.Next();
  std::string path;
  for (int i = 0; i < 3; ++i) {
    if (!reader.IsDigit()) return false;
    path += reader.Current();
    reader.Next();
  }
  for (int i = 0; i < 2 && reader.NotEnd() && reader.Current() != '$'; ++i) {
    path += reader.Current();
    reader.Next();
  }
  if (reader.Current() != '$') return false;
  path += '$';
  reader.Next();
  if (!reader.IsLetter()) return false;
  path += reader.Current();
  reader.Next();

  int start = 0;
  int count = 0;
  if (!ReadOptions(reader, start, count)) return false;
  if (!marc_) return true;
  const std::string value = start != 0 && count != 0
                                ? marc_->ValueByPathPart(path, start, count)
                                : marc_->ValueByPath(path);
  if (!value.empty()) {
    _FlushPending();
    WriteRaw(value);
  }
  return true;
}

bool TVLLTagCommand::_Ampersand(TVLLScript& reader) {
  reader.Next();
  const std::string name = reader.ReadLetters();
  const std::string ref = "&" + name;
  if (reader.Current() != ';') {
    const std::string spec = WorkSpace() ? WorkSpace()->GetTagSpec(ref) : std::string();
    if (spec.empty()) {
      WriteRaw("?&" + ref + "?");
      return true;
    }
    WritePending();
    TVLLScript named(spec);
    return _Process(named) == kStatusOk;
  }
  reader.Next();
  if (Context().Html()) {
    pending_ += ref + ";";
    return true;
  }
  const std::string decoded = TVLLCommon::DecodeHtmlEntity(name);
  if (decoded != TVLLCommon::kErrorMarker) {
    pending_ += decoded;
  } else {
    pending_ += "?&" + ref + ";?";
  }
  return true;
}

bool TVLLTagCommand::_Group(TVLLScript& reader) {
  const int m0 = Output().Length();
  std::string kind;
  std::string content;
  if (reader.ReadBracketed(kind, content) != TVLLScript::kOk) {
    pending_.clear();  // the unclosed rest of the text is consumed
    return true;
  }
  _FlushPending();
  WriteRaw(kind);
  const int m1 = Output().Length();
  TVLLScript inner(content);
  if (_Process(inner) != kStatusOk) return false;
  if (Output().Length() > m1) {
    if (kind == "(") WriteRaw(")");
    if (kind == "[") WriteRaw("]");
  } else {
    Output().Truncate(m0);  // the opener and the flushed pending text go
  }
  pending_.clear();
  return true;
}

bool TVLLTagCommand::_Conditional(TVLLScript& reader) {
  reader.Next();
  const std::string saved = pending_;
  bool negate = false;
  if (reader.Current() == '!') {
    negate = true;
    reader.Next();
  }
  reader.SkipBlanks();
  if (reader.Current() != '(') return false;
  std::string kind = "(";
  std::string condition;
  if (reader.ReadBracketed(kind, condition) != TVLLScript::kOk) return false;
  reader.SkipBlanks();
  if (reader.Current() != '{') return false;
  kind = "{";
  std::string then_branch;
  if (reader.ReadBracketed(kind, then_branch) != TVLLScript::kOk) return false;
  reader.SkipBlanks();
  std::string else_branch;
  if (reader.Current() == ':' && reader.PeekNext() == ':') {
    reader.Next();
    reader.Next();
    reader.SkipBlanks();
    if (reader.Current() != '{') return false;
    kind = "{";
    if (reader.ReadBracketed(kind, else_branch) != TVLLScript::kOk) return false;
  }

  const TVLLStatus r = _EvalCondition(condition);
  if (r == kStatusSyntax) return false;
  const bool truth = (r == kConditionTrue) != negate;
  const std::string& branch = truth ? then_branch : else_branch;
  if (branch.empty()) return true;  // pending text before it was dropped by the condition
  pending_ = saved;
  TVLLScript inner(branch);
  return _Process(inner) == kStatusOk;
}

// condition -> operand [operator operand]
// operator  -> one character, with a directly following "=" ("==", "<=", "!=" ...)
TVLLStatus TVLLTagCommand::_EvalCondition(std::string_view text) {
  TVLLScript reader(text);
  TVLLExpression expression;
  pending_.clear();
  last_code_ = ' ';
  std::string value;
  if (text.empty() || !_Operand(reader, value)) return kStatusSyntax;
  expression.AddOperand(value);
  reader.SkipBlanks();
  if (reader.NotEnd()) {
    std::string op(1, reader.Current());
    reader.Next();
    if (reader.Current() == '=') {
      op += '=';
      reader.Next();
    }
    expression.SetOperatorText(op);
    reader.SkipBlanks();
    if (!_Operand(reader, value)) return kStatusSyntax;
    expression.AddOperand(value);
    reader.SkipBlanks();
    if (reader.NotEnd()) return kStatusSyntax;
  }
  return expression.Decide();
}

// operand -> quoted | "#" call | "%" reference | "$" code | "*" path | NULL
bool TVLLTagCommand::_Operand(TVLLScript& reader, std::string& value) {
  value.clear();
  reader.SkipBlanks();
  if (!reader.NotEnd()) return false;
  if (reader.Current() == '"') return reader.ParseQuotedString(value) == TVLLScript::kOk;
  const int m = Output().Length();
  bool ok = false;
  switch (reader.Current()) {
    case '#':
      ok = _Command(reader) == kStatusOk;
      break;
    case '%':
      ok = _TextRef(reader);
      break;
    case '$':
      ok = _Subfield(reader);
      break;
    case '*':
      ok = _FieldRef(reader);
      break;
    default:
      ok = common::AnsiUpperCase(reader.ReadLetters()) == "NULL";
      break;
  }
  value = Output().TextFrom(m);
  Output().Truncate(m);
  return ok;
}

bool TVLLTagCommand::_TextRef(TVLLScript& reader) {
  const int start = reader.Position();
  std::string group;
  std::string key;
  std::string language;
  if (reader.ParseTextCommand(group, key, language) != TVLLScript::kOk) {
    WriteRaw("??");
    return false;
  }
  std::string text;
  if (GetGroupText(group, key, language, text) == kStatusOk) {
    WriteRaw(text);
  } else {
    const std::string_view all = reader.Text();
    const size_t from = static_cast<size_t>(start > 0 ? start - 1 : 0);
    const size_t to = std::min(static_cast<size_t>(reader.Position() - 1), all.size());
    WriteRaw("?" + std::string(all.substr(from, to > from ? to - from : 0)) + "?");
  }
  return true;
}

TVLLStatus TVLLTagCommand::_Command(TVLLScript& reader) {
  std::string name;
  TVLLParams params;
  if (reader.ParseCommand(name, &params) != TVLLScript::kOk) return kStatusSyntax;
  const TVLLParams evaluated = _EvalParams(params);
  return CallCommand(name, &evaluated);
}

TVLLParams TVLLTagCommand::_EvalParams(const TVLLParams& list) {
  TVLLParams result;
  result.reserve(list.size());
  for (const std::string& parameter : list) {
    std::string value = parameter;
    const char first = parameter.empty() ? '\0' : parameter[0];
    if (first == '$' || first == '{' || first == '*' || first == '&') {
      const std::string saved = pending_;
      pending_.clear();
      const int m = Output().Length();
      TVLLScript reader(parameter);
      if (_Process(reader) == kStatusOk && Output().Length() > m) value = Output().TextFrom(m);
      Output().Truncate(m);
      pending_ = saved;
    }
    result.push_back(TrimControl(std::move(value)));
  }
  return result;
}

}  // namespace vellorax::vll2
