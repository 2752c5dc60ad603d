#include "vll2/script.h"

#include <algorithm>
#include <memory>

#include "vll2/named_object_list.h"
#include "vll2/vll_string.h"

namespace vellorax::vll2 {

namespace {

// The 1-based character of `text`, '\0' outside 1..size.
char CharIn(std::string_view text, int pos) {
  return pos >= 1 && static_cast<size_t>(pos) <= text.size() ? text[pos - 1] : '\0';
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

}  // namespace

TVLLScript::TVLLScript(std::string_view text)
    : text_(text), length_(static_cast<int>(text_.size())) {
  Next();
}

TVLLScript::TVLLScript(std::string&& text)
    : owned_(std::move(text)), text_(owned_), length_(static_cast<int>(text_.size())) {
  Next();
}

void TVLLScript::SetPosition(int n) {
  if (n < 0 || n > length_) return;
  position_ = n;
  Reread();
}

bool TVLLScript::SkipBlanks() {
  while (NotEnd() && IsBlank(current_)) Next();
  return NotEnd();
}

template <typename Predicate>
std::string_view TVLLScript::ReadWhile(Predicate accept) {
  if (current_ == '\0' || !accept(current_)) return {};
  int end = position_ + 1;
  while (end <= length_ && text_[end - 1] != '\0' && accept(text_[end - 1])) ++end;
  const std::string_view s = std::string_view(text_).substr(static_cast<size_t>(position_) - 1,
                                                            static_cast<size_t>(end - position_));
  Restore(end);
  return s;
}

std::string TVLLScript::ReadUntilBlank() {
  return std::string(ReadUntilBlankView());
}

std::string_view TVLLScript::ReadUntilBlankView() {
  return ReadWhile([](char c) { return !IsBlank(c); });
}

std::string TVLLScript::ReadLetters() {
  return std::string(ReadLettersView());
}

std::string_view TVLLScript::ReadLettersView() {
  return ReadWhile([](char c) { return IsLetter(c); });
}

std::string TVLLScript::ReadNameChars() {
  return std::string(ReadWhile([](char c) { return IsNameChar(c); }));
}

// operator -> '<=' | '>=' | '==' | '*=' | '#=' | '>' | '<'
int TVLLScript::ReadOperatorAt(std::string_view text, int& pos) {
  const char first = CharIn(text, pos);
  const char second = CharIn(text, pos + 1);
  if (second == '=') {
    int code = kOpNone;
    switch (first) {
      case '<':
        code = kOpLessEqual;
        break;
      case '>':
        code = kOpGreaterEqual;
        break;
      case '=':
        code = kOpEqual;
        break;
      case '*':
        code = kOpStartsWith;
        break;
      case '#':
        code = kOpContains;
        break;
      default:
        break;
    }
    if (code != kOpNone) {
      pos += 2;
      return code;
    }
  }
  if (first == '>') {
    pos += 1;
    return kOpGreater;
  }
  if (first == '<') {
    pos += 1;
    return kOpLess;
  }
  return kOpNone;
}

// logicword -> ('AND' | 'OR' | 'NOT') blank      (any letter case)
int TVLLScript::ReadLogicWordAt(std::string_view text, int& pos) {
  struct Word {
    std::string_view text;
    int code;
  };
  static constexpr Word kWords[] = {{"AND", kLogicAnd}, {"OR", kLogicOr}, {"NOT", kLogicNot}};
  for (const Word& word : kWords) {
    const int size = static_cast<int>(word.text.size());
    bool match = IsBlank(CharIn(text, pos + size));
    for (int i = 0; match && i < size; ++i) {
      match = AsciiUpper(CharIn(text, pos + i)) == word.text[i];
    }
    if (match) {
      pos += size + 1;
      return word.code;
    }
  }
  return kLogicNone;
}

int TVLLScript::ReadOperator() {
  int pos = position_;
  const int code = ReadOperatorAt(text_, pos);
  if (code != kOpNone) Restore(pos);
  return code;
}

int TVLLScript::ReadLogicWord() {
  int pos = position_;
  const int code = ReadLogicWordAt(text_, pos);
  if (code != kLogicNone) Restore(pos);
  return code;
}

int TVLLScript::ParseCommand(std::string& name, std::vector<std::string>* params) {
  return ParseCall(name, params, 0);
}

// call   -> ['#'] name '(' [param {',' param}] ')'
// name   -> letter {letter | digit | '_' | '-'}
// param  -> quoted | call | plain
// quoted -> '"' {any but '"'} ['"'] | "'" {any but "'"} ["'"]
// plain  -> {'\' any | any but ',' ')'}
// A ',' right before ')' (blanks allowed between) gives an empty last param.
int TVLLScript::ParseCall(std::string& name, std::vector<std::string>* params, int depth) {
  const int start = position_;
  auto fail = [&] {
    Restore(start);
    return kSyntaxError;
  };
  if (depth > kMaxCallNesting) return fail();

  SkipBlanks();
  if (current_ == '#') Next();
  if (!NotEnd() || !IsLetter(current_)) return fail();
  const int name_start = position_;
  int name_end = position_ + 1;
  while (name_end <= length_ && IsNameChar(text_[name_end - 1])) ++name_end;
  name.assign(text_, static_cast<size_t>(name_start) - 1,
              static_cast<size_t>(name_end - name_start));
  Restore(name_end);

  SkipBlanks();
  if (!NotEnd() || current_ != '(') return fail();
  Next();
  if (params != nullptr) params->clear();
  // Only checked and skipped: the parameter texts are not collected.
  const bool keep = params != nullptr;
  bool last_was_comma = false;

  for (;;) {
    if (!NotEnd() || current_ == ')') {
      if (last_was_comma && params != nullptr) params->emplace_back();
      if (!NotEnd()) return fail();
      Next();
      return kOk;
    }
    std::string param;
    if (!SkipBlanks()) return fail();
    // Blanks between a last ',' and ')': still an empty last parameter.
    if (current_ == ')') continue;

    if (IsQuote(current_)) {
      // Everything up to the same quote, or to the end when it is missing.
      const size_t from = static_cast<size_t>(position_);
      const size_t close = std::min(text_.find(current_, from), text_.size());
      if (keep) {
        param.reserve(close - from + 2);
        param += '"';
        param.append(text_, from, close - from);
        param += '"';
      }
      Restore(static_cast<int>(close) + 2);
    } else if (current_ == '#') {
      const int nested_start = position_;
      std::string nested_name;
      if (ParseCall(nested_name, nullptr, depth + 1) != kOk) return fail();
      if (keep) param.assign(text_, nested_start - 1, position_ - nested_start);
    } else {
      while (NotEnd() && current_ != ',' && current_ != ')') {
        if (current_ == '\\') {
          Next();
          if (!NotEnd()) break;
          if (keep) param += current_;
          Next();
          continue;
        }
        // A run of ordinary characters at once.
        int end = position_ + 1;
        while (end <= length_ && text_[end - 1] != ',' && text_[end - 1] != ')' &&
               text_[end - 1] != '\\') {
          ++end;
        }
        if (keep) {
          param.append(text_, static_cast<size_t>(position_) - 1,
                       static_cast<size_t>(end - position_));
        }
        Restore(end);
      }
    }

    if (!SkipBlanks()) return fail();
    if (keep && (current_ == ',' || !param.empty())) {
      params->push_back(std::move(param));
    }
    last_was_comma = current_ == ',';
    if (last_was_comma) Next();
  }
}

// textref -> '%' name ['.' name ['.' name]] '%' | name ['.' name]
int TVLLScript::ParseTextCommand(std::string& group, std::string& key, std::string& language) {
  const int start = position_;
  auto fail = [&] {
    Restore(start);
    return kSyntaxError;
  };
  SkipBlanks();
  const bool percent = NotEnd() && current_ == '%';
  if (percent) Next();

  std::string names[3];
  int count = 0;
  for (;;) {
    if (!NotEnd() || !IsNameChar(current_)) return fail();
    names[count++] = ReadNameChars();
    if (!NotEnd() || current_ != '.') break;
    // A third name is allowed only between "%" signs, a fourth never.
    if (count == 3 || (count == 2 && !percent)) return fail();
    Next();
  }

  const bool closing = NotEnd() && current_ == '%';
  if (closing != percent) return fail();
  if (closing) Next();

  if (count == 1) {
    key = std::move(names[0]);
  } else {
    group = std::move(names[0]);
    key = std::move(names[1]);
    if (count == 3) language = std::move(names[2]);
  }
  return kOk;
}

// block -> '(' {block | any} ')' | '[' {block | any} ']' | '{' {block | any} '}'
//        | '(:' {block | any} ':)'           (only the block's own kind nests)
int TVLLScript::ReadBracketed(std::string& kind, std::string& content) {
  std::string_view view;
  const int status = ReadBracketed(kind, view);
  content.assign(view);
  return status;
}

int TVLLScript::ReadBracketed(std::string& kind, std::string_view& content) {
  content = {};
  SkipBlanks();
  std::string found;
  if (current_ == '(' && PeekNext() == ':') {
    found = "(:";
  } else if (current_ == '(' || current_ == '[' || current_ == '{') {
    found.assign(1, current_);
  } else {
    return kSyntaxError;
  }
  if (kind.empty()) {
    kind = found;
  } else if (kind != found) {
    return kSyntaxError;
  }

  const bool colon_block = found == "(:";
  const char opener = found[0];
  const char closer = opener == '(' ? ')' : (opener == '[' ? ']' : '}');
  Next();
  if (colon_block) Next();
  SkipBlanks();

  // The content is the text between opener and matching closer (or, with
  // no closer, up to the end or a NUL byte), taken in one piece.
  const int from = position_;
  int p = position_;
  int content_end = 0;
  int depth = 1;
  while (current_ != '\0' && p <= length_ && text_[p - 1] != '\0') {
    const char c = text_[p - 1];
    if (colon_block) {
      const char after = At(p + 1);
      if (c == '(' && after == ':') {
        ++depth;
        p += 2;
        continue;
      }
      if (c == ':' && after == ')') {
        if (--depth == 0) {
          content_end = p;
          p += 2;
          break;
        }
        p += 2;
        continue;
      }
    } else if (c == opener) {
      ++depth;
    } else if (c == closer && --depth == 0) {
      content_end = p;
      p += 1;
      break;
    }
    ++p;
  }
  if (current_ != '\0') {
    const int end = content_end != 0 ? content_end : std::min(p, length_ + 1);
    content = text_.substr(static_cast<size_t>(from) - 1, static_cast<size_t>(end - from));
  }
  Restore(std::min(p, length_ + 1));
  return depth == 0 ? kOk : kSyntaxError;
}

// quoted -> '"' {'\' any | any but '"'} '"' | "'" {'\' any | any but "'"} "'"
int TVLLScript::ParseQuotedString(std::string& value) {
  const int start = position_;
  value.clear();
  SkipBlanks();
  if (!NotEnd() || !IsQuote(current_)) {
    Restore(start);
    return kSyntaxError;
  }
  const char quote = current_;
  Next();
  while (NotEnd() && current_ != quote) {
    if (current_ == '\\') {
      Next();
      if (!NotEnd()) break;
      if (current_ != quote) value += '\\';
      value += current_;
      Next();
      continue;
    }
    int end = position_ + 1;
    while (end <= length_ && text_[end - 1] != quote && text_[end - 1] != '\\') ++end;
    value.append(text_, static_cast<size_t>(position_) - 1, static_cast<size_t>(end - position_));
    Restore(end);
  }
  if (!NotEnd()) {
    value.clear();
    Restore(start);
    return kSyntaxError;
  }
  Next();
  return kOk;
}

bool TVLLScript::SkipBlanksIn(std::string_view text, int& pos) {
  if (pos < 1) pos = 1;
  while (static_cast<size_t>(pos) <= text.size() && IsBlank(text[pos - 1])) ++pos;
  return static_cast<size_t>(pos) <= text.size();
}

void TVLLScript::ReadLettersIn(std::string_view text, int& pos, std::string& s) {
  s.clear();
  if (pos < 1) return;
  while (static_cast<size_t>(pos) <= text.size() && IsLetter(text[pos - 1])) {
    s += text[pos - 1];
    ++pos;
  }
}

// attributes -> {name '=' value}
// value      -> '"' {any but '"'} ['"'] | "'" {any but "'"} ["'"] | {any but blank}
int TVLLScript::ReadAttributes(std::string_view text, int& pos, TVLLNamedObjectList& list) {
  const int length = static_cast<int>(text.size());
  SkipBlanksIn(text, pos);
  while (pos < length) {
    std::string name;
    while (pos <= length && !IsBlank(text[pos - 1]) && text[pos - 1] != '=') {
      name += text[pos - 1];
      ++pos;
    }
    SkipBlanksIn(text, pos);
    if (CharIn(text, pos) != '=') return kSyntaxError;
    ++pos;
    if (!SkipBlanksIn(text, pos)) return kSyntaxError;

    const char first = text[pos - 1];
    const bool quoted = IsQuote(first);
    if (quoted) ++pos;
    std::string value;
    while (pos <= length) {
      const char c = text[pos - 1];
      if (quoted ? c == first : IsBlank(c)) break;
      value += c;
      ++pos;
    }
    list.Add(name, std::make_unique<TVLLString>(std::move(value)));
    if (pos <= length) ++pos;  // the terminator
    SkipBlanksIn(text, pos);
  }
  return kOk;
}

std::string TVLLScript::Unescape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  size_t from = 0;
  for (size_t slash = text.find('\\'); slash != std::string_view::npos;
       slash = text.find('\\', from)) {
    result.append(text, from, slash - from);
    if (slash + 1 == text.size()) {
      // A backslash at the very end stays.
      from = slash;
      break;
    }
    const char escaped = text[slash + 1];
    if (escaped == 'n') {
      result += "\r\n";
    } else {
      result += escaped;
    }
    from = slash + 2;
  }
  result.append(text, std::min(from, text.size()));
  return result;
}

}  // namespace vellorax::vll2
