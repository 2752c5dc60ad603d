#include "common/text_compare.h"

#include <unicode/locid.h>
#include <unicode/ucol.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "common/ascii_collation.h"
#include "common/charset.h"

namespace vellorax::common {

namespace {

constexpr const char* kDefaultLocale = "en_US";

// The locale shared by all threads; each thread keeps its own collator and
// case tables (ICU collators are not thread-safe) and rebuilds them when the
// generation moves on.
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

inline bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

inline bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Full case folding of each byte of a single-byte code page, locale-free.
// kMultiple marks a byte whose folding is more than one character (ß -> "ss");
// text with such a byte takes the general path. Unavailable for multi-byte
// code pages.
struct FoldTable {
  static constexpr char16_t kMultiple = u'\uFFFF';  // a noncharacter: no byte decodes to it
  bool usable = false;
  std::array<char16_t, 256> fold{};

  FoldTable() {
    const char16_t* decode = AnsiDecodeTable();
    if (!decode) return;
    usable = true;
    for (int b = 0; b < 256; ++b) {
      UChar source = static_cast<UChar>(decode[b]);
      if (!u_hasBinaryProperty(source, UCHAR_CHANGES_WHEN_CASEFOLDED)) {
        fold[b] = static_cast<char16_t>(source);
        continue;
      }
      UChar folded[4];
      UErrorCode status = U_ZERO_ERROR;
      const int32_t n = u_strFoldCase(folded, 4, &source, 1, U_FOLD_CASE_DEFAULT, &status);
      fold[b] = (U_SUCCESS(status) && n == 1) ? static_cast<char16_t>(folded[0]) : kMultiple;
    }
  }

  char16_t operator[](char c) const { return fold[static_cast<unsigned char>(c)]; }

  // Folds `s` into `out`; false when a byte folds to several characters.
  bool FoldInto(std::string_view s, std::u16string& out) const {
    out.resize(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
      out[i] = (*this)[s[i]];
      if (out[i] == kMultiple) return false;
    }
    return true;
  }
};

const FoldTable& Folding() {
  static const FoldTable table;
  return table;
}

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

// Everything one thread needs for one locale. The case tables are built on
// the first casing call and the collator on the first comparison, so that a
// program that only cases text never opens a collator.
struct ThreadTextState {
  uint64_t generation = 0;
  std::string locale;

  void Reset(uint64_t gen, std::string name) {
    generation = gen;
    locale = std::move(name);
    collator_.reset();
    ascii_fast_path_ = false;
    case_tables_built_ = false;
  }

  UCollator* Collator() {
    if (!collator_) OpenCollator();
    return collator_.get();
  }

  // With Collator() opened: the facts that let two ASCII strings differing
  // only in letter case be called equal without the collator, or null when
  // they cannot be had (a code page that is not ASCII below 0x80).
  const AsciiCollation* AsciiFastPath() const { return ascii_fast_path_ ? &ascii_ : nullptr; }

  const std::array<char, 256>& Upper() {
    if (!case_tables_built_) BuildCaseTables();
    return upper_;
  }
  const std::array<char, 256>& Lower() {
    if (!case_tables_built_) BuildCaseTables();
    return lower_;
  }

 private:
  std::unique_ptr<UCollator, CollatorCloser> collator_;
  bool ascii_fast_path_ = false;
  AsciiCollation ascii_;
  bool case_tables_built_ = false;
  std::array<char, 256> upper_{};
  std::array<char, 256> lower_{};

  void OpenCollator() {
    UErrorCode status = U_ZERO_ERROR;
    collator_.reset(ucol_open(locale.c_str(), &status));
    if (U_FAILURE(status) || !collator_) {
      status = U_ZERO_ERROR;
      collator_.reset(ucol_open(kDefaultLocale, &status));
    }
    ucol_setStrength(collator_.get(), UCOL_SECONDARY);
    ascii_fast_path_ = CodePageKeepsAscii() && ascii_.Study(collator_.get());
  }

  static bool CodePageKeepsAscii() {
    const char16_t* decode = AnsiDecodeTable();
    if (!decode) return false;
    for (int b = 0; b < 0x80; ++b) {
      if (decode[b] != static_cast<char16_t>(b)) return false;
    }
    return true;
  }

  // Casing is per character, as the code page holds one letter per byte (and
  // as Windows cased 8-bit text): a byte changes only when ICU maps its
  // character, in this locale, to exactly one other character that the code
  // page has. Context rules such as the Greek final sigma do not apply.
  void BuildCaseTables() {
    const icu::Locale loc(locale.c_str());
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      upper_[b] = byte;
      lower_[b] = byte;
      const std::u16string wide = AnsiToUtf16(std::string_view(&byte, 1));
      if (wide.size() != 1) continue;
      // Characters that no default mapping changes stay as they are in every
      // locale too (the locale rules of Turkish, Lithuanian and Greek change
      // only letters that the default mappings change, or drop marks).
      if (!u_hasBinaryProperty(wide[0], UCHAR_CHANGES_WHEN_CASEMAPPED)) continue;
      const icu::UnicodeString source(static_cast<UChar>(wide[0]));
      upper_[b] = MapBack(icu::UnicodeString(source).toUpper(loc), byte);
      lower_[b] = MapBack(icu::UnicodeString(source).toLower(loc), byte);
    }
    case_tables_built_ = true;
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
    state.Reset(gen, std::move(name));
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

std::u16string FullyFolded(std::string_view s) {
  const std::u16string wide = AnsiToUtf16(s);
  icu::UnicodeString text(false, reinterpret_cast<const UChar*>(wide.data()),
                          static_cast<int32_t>(wide.size()));
  text.foldCase(U_FOLD_CASE_DEFAULT);
  return std::u16string(reinterpret_cast<const char16_t*>(text.getBuffer()),
                        static_cast<size_t>(text.length()));
}

bool HasMultiCharFold(const FoldTable& table, std::string_view s) {
  for (char c : s) {
    if (table[c] == FoldTable::kMultiple) return true;
  }
  return false;
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
  UCollator* const collator = state.Collator();
  const AsciiCollation* ascii = state.AsciiFastPath();
  if (ascii && ascii->digits_ordered && IsDigits(a) && IsDigits(b)) {
    return AsciiCollation::CompareDigits(a, b);
  }
  if (ascii && IsAscii(a) && IsAscii(b)) {
    if (ascii->CaseEqualCollates(a, b)) return 0;
    // ASCII bytes are valid UTF-8: no conversion needed.
    UErrorCode status = U_ZERO_ERROR;
    return static_cast<int>(ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()),
                                             b.data(), static_cast<int32_t>(b.size()), &status));
  }
  const WideText wa(a);
  const WideText wb(b);
  return static_cast<int>(ucol_strcoll(collator, wa.data(), wa.size(), wb.data(), wb.size()));
}

// Equality of the fully case-folded texts. With single-character foldings on
// both sides, folded texts have the lengths of the originals and compare
// character by character: the first difference is final.
bool AnsiSameText(std::string_view a, std::string_view b) {
  const FoldTable& table = Folding();
  if (table.usable) {
    if (a.size() == b.size()) {
      size_t i = 0;
      for (; i < a.size(); ++i) {
        const char16_t fa = table[a[i]];
        const char16_t fb = table[b[i]];
        if (fa == FoldTable::kMultiple || fb == FoldTable::kMultiple) break;
        if (fa != fb) return false;
      }
      if (i == a.size()) return true;
    } else if (!HasMultiCharFold(table, a) && !HasMultiCharFold(table, b)) {
      return false;
    }
  }
  const WideText wa(a);
  const WideText wb(b);
  UErrorCode status = U_ZERO_ERROR;
  return u_strCaseCompare(wa.data(), wa.size(), wb.data(), wb.size(), U_FOLD_CASE_DEFAULT,
                          &status) == 0;
}

bool AnsiContainsText(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return true;
  const FoldTable& table = Folding();
  if (table.usable) {
    std::u16string h;
    std::u16string n;
    if (table.FoldInto(haystack, h) && table.FoldInto(needle, n)) {
      return h.find(n) != std::u16string::npos;
    }
  }
  return FullyFolded(haystack).find(FullyFolded(needle)) != std::u16string::npos;
}

std::string AnsiUpperCase(std::string_view s) {
  const std::array<char, 256>& upper = State().Upper();
  std::string out(s);
  for (char& c : out) c = upper[static_cast<unsigned char>(c)];
  return out;
}

std::string AnsiLowerCase(std::string_view s) {
  const std::array<char, 256>& lower = State().Lower();
  std::string out(s);
  for (char& c : out) c = lower[static_cast<unsigned char>(c)];
  return out;
}

}  // namespace vellorax::common
