#include "common/ascii_collation.h"

#include <unicode/uset.h>

#include <algorithm>
#include <memory>

namespace vellorax::common {

namespace {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

struct SetCloser {
  void operator()(USet* s) const { uset_close(s); }
};

}  // namespace

void AsciiCollation::AddContraction(std::u16string_view text) {
  if (text.size() < 2) return;
  std::string ascii;
  for (char16_t c : text) {
    if (c >= 0x80) return;
    ascii += AsciiLower(static_cast<char>(c));
  }
  starts_contraction[static_cast<unsigned char>(ascii[0])] = true;
  if (std::find(contractions.begin(), contractions.end(), ascii) == contractions.end()) {
    contractions.push_back(std::move(ascii));
  }
}

bool AsciiCollation::Study(const UCollator* collator) {
  letter_case_differs.fill(false);
  starts_contraction.fill(false);
  contractions.clear();
  digits_ordered = false;
  UErrorCode numeric_status = U_ZERO_ERROR;
  bool digits_plain =
      ucol_getAttribute(collator, UCOL_NUMERIC_COLLATION, &numeric_status) == UCOL_OFF &&
      U_SUCCESS(numeric_status);
  for (UChar d = u'0'; digits_plain && d < u'9'; ++d) {
    const UChar next = static_cast<UChar>(d + 1);
    digits_plain = ucol_strcoll(collator, &d, 1, &next, 1) == UCOL_LESS;
  }
  for (UChar c = u'A'; c <= u'Z'; ++c) {
    const UChar l = static_cast<UChar>(c + 32);
    if (ucol_strcoll(collator, &c, 1, &l, 1) != UCOL_EQUAL) {
      letter_case_differs[c] = letter_case_differs[l] = true;
    }
  }
  // The tailored set holds every code point and string (contractions, and
  // prefix rules as prefix plus character) whose mapping the locale changes.
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<USet, SetCloser> tailored(ucol_getTailoredSet(collator, &status));
  if (U_FAILURE(status) || !tailored) return false;
  const int32_t count = uset_getItemCount(tailored.get());
  for (int32_t i = 0; i < count; ++i) {
    UChar32 start = 0;
    UChar32 end = 0;
    UChar buffer[64];
    status = U_ZERO_ERROR;
    const int32_t length = uset_getItem(tailored.get(), i, &start, &end, buffer, 64, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      digits_plain = false;  // a long rule: not looked into
      continue;              // longer than any ASCII rule
    }
    if (U_FAILURE(status)) return false;
    const std::u16string_view text(reinterpret_cast<const char16_t*>(buffer),
                                   static_cast<size_t>(length));
    if (length == 0) {
      if (start <= u'9' && end >= u'0') digits_plain = false;
    } else if (std::any_of(text.begin(), text.end(),
                           [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
      digits_plain = false;
    }
    AddContraction(text);
  }
  digits_ordered = digits_plain;
  return true;
}

bool AsciiCollation::CaseEqualCollates(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  bool may_contract = false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char la = AsciiLower(a[i]);
    if (la != AsciiLower(b[i])) return false;
    if (a[i] != b[i] && letter_case_differs[static_cast<unsigned char>(la)]) return false;
    may_contract = may_contract || starts_contraction[static_cast<unsigned char>(la)];
  }
  if (!may_contract) return true;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!starts_contraction[static_cast<unsigned char>(AsciiLower(a[i]))]) continue;
    for (const std::string& contraction : contractions) {
      if (contraction.size() > a.size() - i) continue;
      size_t k = 0;
      while (k < contraction.size() && AsciiLower(a[i + k]) == contraction[k]) ++k;
      if (k == contraction.size()) return false;
    }
  }
  return true;
}

}  // namespace vellorax::common
