#include "common/text_compare.h"

#include <unicode/locid.h>
#include <unicode/ucol.h>
#include <unicode/unistr.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "common/charset.h"

namespace vellorax::common {

namespace {

constexpr const char* kDefaultLocale = "en_US";

// The locale shared by all threads; each thread keeps its own collator and
// case tables and rebuilds them when the generation moves on.
std::mutex locale_mutex;
std::string locale_override;  // guarded by locale_mutex; empty: environment
std::atomic<uint64_t> locale_generation{1};

// "nb_NO.UTF-8" and "de_DE@euro" become "nb_NO" and "de_DE"; "C", "POSIX"
// and an unset environment mean the fixed default.
std::string LocaleFromEnvironment() {
  for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* value = std::getenv(var);
    if (!value || !*value) continue;
    std::string name(value);
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") return kDefaultLocale;
    return name;
  }
  return kDefaultLocale;
}

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

struct SetCloser {
  void operator()(USet* s) const { uset_close(s); }
};

inline bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Everything one thread needs for one locale.
struct ThreadTextState {
  uint64_t generation = 0;
  std::string locale;
  std::unique_ptr<UCollator, CollatorCloser> collator;
  // True when two ASCII strings that differ only in letter case are proven
  // to collate equal: no contraction or prefix rule made of ASCII alone and
  // every ASCII letter equal to its other case at secondary strength (false
  // for Turkish, where "I" and "i" are different letters).
  bool ascii_case_equal = false;
  bool ascii_code_page = false;
  std::array<char, 256> upper{};
  std::array<char, 256> lower{};

  void Rebuild(uint64_t gen, std::string name) {
    generation = gen;
    locale = std::move(name);
    UErrorCode status = U_ZERO_ERROR;
    collator.reset(ucol_open(locale.c_str(), &status));
    if (U_FAILURE(status) || !collator) {
      status = U_ZERO_ERROR;
      collator.reset(ucol_open(kDefaultLocale, &status));
    }
    ucol_setStrength(collator.get(), UCOL_SECONDARY);
    ascii_case_equal = ProveAsciiCaseEqual();
    BuildCaseTables();
  }

  bool ProveAsciiCaseEqual() {
    ascii_code_page = true;
    for (int b = 0; b < 0x80; ++b) {
      const char c = static_cast<char>(b);
      if (AnsiToUtf16(std::string_view(&c, 1)) != std::u16string(1, static_cast<char16_t>(b))) {
        ascii_code_page = false;
      }
    }
    if (!ascii_code_page) return false;
    for (char16_t c = u'A'; c <= u'Z'; ++c) {
      const char16_t l = static_cast<char16_t>(c + 32);
      if (ucol_strcoll(collator.get(), reinterpret_cast<const UChar*>(&c), 1,
                       reinterpret_cast<const UChar*>(&l), 1) != UCOL_EQUAL) {
        return false;
      }
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<USet, SetCloser> contractions(uset_openEmpty());
    ucol_getContractionsAndExpansions(collator.get(), contractions.get(), nullptr, true, &status);
    if (U_FAILURE(status)) return false;
    const int32_t count = uset_getItemCount(contractions.get());
    for (int32_t i = 0; i < count; ++i) {
      UChar32 start = 0;
      UChar32 end = 0;
      UChar buffer[64];
      status = U_ZERO_ERROR;
      const int32_t length = uset_getItem(contractions.get(), i, &start, &end, buffer, 64, &status);
      if (U_FAILURE(status)) return false;
      if (length == 0) continue;  // a code point range, not a string
      bool all_ascii = true;
      for (int32_t k = 0; k < length; ++k) all_ascii = all_ascii && buffer[k] < 0x80;
      if (all_ascii) return false;
    }
    return true;
  }

  // Casing is per character, as the code page holds one letter per byte: a
  // byte changes only when ICU maps its character (in this locale) to exactly
  // one other character that the code page has.
  void BuildCaseTables() {
    const icu::Locale loc(locale.c_str());
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      upper[b] = byte;
      lower[b] = byte;
      const std::u16string wide = AnsiToUtf16(std::string_view(&byte, 1));
      if (wide.size() != 1) continue;
      const icu::UnicodeString source(static_cast<UChar>(wide[0]));
      upper[b] = MapBack(icu::UnicodeString(source).toUpper(loc), byte);
      lower[b] = MapBack(icu::UnicodeString(source).toLower(loc), byte);
    }
  }

  static char MapBack(const icu::UnicodeString& cased, char original) {
    if (cased.length() != 1) return original;
    const char16_t c = static_cast<char16_t>(cased.charAt(0));
    const std::string back = Utf16ToAnsi(std::u16string_view(&c, 1));
    if (back.size() != 1) return original;
    // "?" may be the substitution for a character the code page lacks.
    if (back[0] == '?' && c != u'?') return original;
    return back[0];
  }
};

ThreadTextState& State() {
  thread_local ThreadTextState state;
  const uint64_t gen = locale_generation.load(std::memory_order_acquire);
  if (state.generation != gen) {
    std::string name;
    {
      std::lock_guard<std::mutex> lock(locale_mutex);
      name = locale_override.empty() ? LocaleFromEnvironment() : locale_override;
    }
    state.Rebuild(gen, std::move(name));
  }
  return state;
}

// Decodes into a stack buffer for short strings, the heap otherwise.
class WideText {
 public:
  explicit WideText(std::string_view s) {
    const char16_t* table = AnsiDecodeTable();
    if (table && s.size() <= kInline) {
      for (size_t i = 0; i < s.size(); ++i) inline_[i] = table[static_cast<unsigned char>(s[i])];
      data_ = inline_;
      size_ = s.size();
    } else {
      heap_ = AnsiToUtf16(s);
      data_ = heap_.data();
      size_ = heap_.size();
    }
  }
  WideText(const WideText&) = delete;
  WideText& operator=(const WideText&) = delete;

  const UChar* data() const { return reinterpret_cast<const UChar*>(data_); }
  int32_t size() const { return static_cast<int32_t>(size_); }

 private:
  static constexpr size_t kInline = 128;
  char16_t inline_[kInline];
  std::u16string heap_;
  const char16_t* data_ = nullptr;
  size_t size_ = 0;
};

std::u16string Folded(std::string_view s) {
  const std::u16string wide = AnsiToUtf16(s);
  icu::UnicodeString text(false, reinterpret_cast<const UChar*>(wide.data()),
                          static_cast<int32_t>(wide.size()));
  text.foldCase(U_FOLD_CASE_DEFAULT);
  return std::u16string(reinterpret_cast<const char16_t*>(text.getBuffer()),
                        static_cast<size_t>(text.length()));
}

}  // namespace

void SetTextLocale(std::string_view locale) {
  std::lock_guard<std::mutex> lock(locale_mutex);
  locale_override.assign(locale);
  locale_generation.fetch_add(1, std::memory_order_acq_rel);
}

std::string TextLocale() { return State().locale; }

int AnsiCompareText(std::string_view a, std::string_view b) {
  if (a == b) return 0;
  ThreadTextState& state = State();
  if (state.ascii_code_page && IsAscii(a) && IsAscii(b)) {
    if (state.ascii_case_equal && a.size() == b.size()) {
      bool equal = true;
      for (size_t i = 0; i < a.size() && equal; ++i) equal = AsciiLower(a[i]) == AsciiLower(b[i]);
      if (equal) return 0;
    }
    // ASCII bytes are valid UTF-8: no conversion needed.
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r =
        ucol_strcollUTF8(state.collator.get(), a.data(), static_cast<int32_t>(a.size()), b.data(),
                         static_cast<int32_t>(b.size()), &status);
    return static_cast<int>(r);
  }
  const WideText wa(a);
  const WideText wb(b);
  return static_cast<int>(ucol_strcoll(state.collator.get(), wa.data(), wa.size(), wb.data(), wb.size()));
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  ThreadTextState& state = State();
  if (state.ascii_code_page) {
    // Compare while both sides are ASCII: a difference between two ASCII
    // letters is final, since full case folding maps ASCII only to ASCII.
    size_t i = 0;
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (; i < n; ++i) {
      const auto ca = static_cast<unsigned char>(a[i]);
      const auto cb = static_cast<unsigned char>(b[i]);
      if ((ca | cb) >= 0x80) break;
      if (AsciiLower(static_cast<char>(ca)) != AsciiLower(static_cast<char>(cb))) return false;
    }
    // Equal ASCII prefixes: any remaining tail folds to something non-empty.
    if (i == n) return a.size() == b.size();
  }
  const WideText wa(a);
  const WideText wb(b);
  UErrorCode status = U_ZERO_ERROR;
  return u_strCaseCompare(wa.data(), wa.size(), wb.data(), wb.size(), U_FOLD_CASE_DEFAULT,
                          &status) == 0;
}

bool AnsiContainsText(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return true;
  ThreadTextState& state = State();
  if (state.ascii_code_page && IsAscii(haystack) && IsAscii(needle)) {
    if (needle.size() > haystack.size()) return false;
    for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
      size_t k = 0;
      while (k < needle.size() && AsciiLower(haystack[start + k]) == AsciiLower(needle[k])) ++k;
      if (k == needle.size()) return true;
    }
    return false;
  }
  return Folded(haystack).find(Folded(needle)) != std::u16string::npos;
}

std::string AnsiUpperCase(std::string_view s) {
  const ThreadTextState& state = State();
  std::string out(s);
  for (char& c : out) c = state.upper[static_cast<unsigned char>(c)];
  return out;
}

std::string AnsiLowerCase(std::string_view s) {
  const ThreadTextState& state = State();
  std::string out(s);
  for (char& c : out) c = state.lower[static_cast<unsigned char>(c)];
  return out;
}

}  // namespace vellorax::common
