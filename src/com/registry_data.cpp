#include "com/registry_data.h"

#include <cctype>

namespace vellorax::com {
namespace {

constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT";
constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

void AppendQuoted(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  for (unsigned char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string at text[pos] (the opening quote); pos ends after the
// closing quote. False when malformed.
bool ReadQuoted(std::string_view text, size_t& pos, std::string& out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  ++pos;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c == '"') return true;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= text.size()) return false;
    const char e = text[pos++];
    switch (e) {
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': {
        if (pos + 2 > text.size()) return false;
        const int hi = HexDigit(text[pos]), lo = HexDigit(text[pos + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        pos += 2;
        break;
      }
      default: return false;
    }
  }
  return false;
}

}  // namespace

std::optional<TRegistryRoot> ParseRegistryRoot(std::string_view name) {
  if (SameIgnoringCase(name, kClassesRoot) || SameIgnoringCase(name, "HKCR"))
    return TRegistryRoot::kClassesRoot;
  if (SameIgnoringCase(name, kLocalMachine) || SameIgnoringCase(name, "HKLM"))
    return TRegistryRoot::kLocalMachine;
  return std::nullopt;
}

std::string_view RegistryRootName(TRegistryRoot root) {
  return root == TRegistryRoot::kClassesRoot ? kClassesRoot : kLocalMachine;
}

std::string TRegistryData::FullPath(TRegistryRoot root, std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  std::string path(RegistryRootName(root));
  if (key.empty()) return path;
  size_t start = 0;
  for (;;) {
    const size_t end = key.find('\\', start);
    const std::string_view part = key.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty()) throw ERegistryError("invalid registry key \"" + std::string(key) + "\": empty name");
    for (unsigned char c : part)
      if (c < 0x20 || c == 0x7F || c == '[' || c == ']')
        throw ERegistryError("invalid registry key \"" + std::string(key) + "\": bad character");
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  path += '\\';
  path += key;
  return path;
}

TRegistryData::TKey& TRegistryData::Ensure(const std::string& full_path) {
  // Parents first, so that every ancestor of a key exists as a key.
  const size_t after_root = full_path.find('\\');
  for (size_t at = full_path.find('\\', after_root + 1); at != std::string::npos;
       at = full_path.find('\\', at + 1)) {
    const std::string parent = full_path.substr(0, at);
    keys_.try_emplace(Lower(parent), TKey{parent, {}});
  }
  return keys_.try_emplace(Lower(full_path), TKey{full_path, {}}).first->second;
}

void TRegistryData::SetValue(TRegistryRoot root, std::string_view key, std::string_view name,
                             std::string_view value) {
  if (FullPath(root, key) == RegistryRootName(root))
    throw ERegistryError("invalid registry key: values need a key below the root");
  TKey& k = Ensure(FullPath(root, key));
  TValue& v = k.values[Lower(name)];
  if (v.name.empty()) v.name = std::string(name);
  v.value = std::string(value);
}

void TRegistryData::CreateKey(TRegistryRoot root, std::string_view key) {
  const std::string path = FullPath(root, key);
  if (path != RegistryRootName(root)) Ensure(path);
}

std::optional<std::string> TRegistryData::GetValue(TRegistryRoot root, std::string_view key,
                                                   std::string_view name) const {
  const auto k = keys_.find(Lower(FullPath(root, key)));
  if (k == keys_.end()) return std::nullopt;
  const auto v = k->second.values.find(Lower(name));
  if (v == k->second.values.end()) return std::nullopt;
  return v->second.value;
}

bool TRegistryData::KeyExists(TRegistryRoot root, std::string_view key) const {
  return keys_.contains(Lower(FullPath(root, key)));
}

bool TRegistryData::HasSubkeys(TRegistryRoot root, std::string_view key) const {
  const std::string prefix = Lower(FullPath(root, key)) + '\\';
  const auto it = keys_.lower_bound(prefix);
  return it != keys_.end() && it->first.starts_with(prefix);
}

bool TRegistryData::DeleteKey(TRegistryRoot root, std::string_view key) {
  const std::string path = Lower(FullPath(root, key));
  bool found = keys_.erase(path) > 0;
  const std::string prefix = path + '\\';
  for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.starts_with(prefix);) {
    it = keys_.erase(it);
    found = true;
  }
  return found;
}

std::string TRegistryData::Serialize() const {
  std::string out = "; VelloraX registry\n";
  for (const auto& [lower, key] : keys_) {
    out += '\n';
    out += '[';
    out += key.path;
    out += "]\n";
    for (const auto& [lower_name, value] : key.values) {
      if (value.name.empty())
        out += '@';
      else
        AppendQuoted(out, value.name);
      out += '=';
      AppendQuoted(out, value.value);
      out += '\n';
    }
  }
  return out;
}

TRegistryData TRegistryData::Parse(std::string_view text) {
  TRegistryData data;
  TKey* current = nullptr;
  int line_no = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto fail = [&](std::string_view what) {
      throw ERegistryError("registry line " + std::to_string(line_no) + ": " + std::string(what));
    };
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') fail("missing ]");
      const std::string_view path = line.substr(1, line.size() - 2);
      const size_t slash = path.find('\\');
      const auto root = ParseRegistryRoot(path.substr(0, slash));
      if (!root) fail("unknown root");
      const std::string full =
          FullPath(*root, slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1));
      if (full == RegistryRootName(*root)) fail("key without a name");
      current = &data.Ensure(full);
      continue;
    }
    if (current == nullptr) fail("value outside a key");
    size_t pos = 0;
    std::string name, value;
    if (line.front() == '@') {
      pos = 1;
    } else if (!ReadQuoted(line, pos, name)) {
      fail("malformed value name");
    }
    if (pos >= line.size() || line[pos] != '=') fail("missing =");
    ++pos;
    if (!ReadQuoted(line, pos, value) || pos != line.size()) fail("malformed value");
    TValue& v = current->values[Lower(name)];
    v.name = name;
    v.value = std::move(value);
  }
  return data;
}

}  // namespace vellorax::com
