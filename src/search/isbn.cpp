#include "search/isbn.h"

namespace vellorax::search {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int DigitValue(char c) { return IsDigit(c) ? c - '0' : 0; }

// Weighted sum of an ISBN-10 body: digit i (1-based) times 11 - i.
int Isbn10BodySum(std::string_view body) {
  int sum = 0;
  for (std::size_t i = 0; i < body.size() && i < 9; ++i) {
    sum += DigitValue(body[i]) * (10 - static_cast<int>(i));
  }
  return sum;
}

// Check digit of a 12-digit ISBN-13 body: odd positions count once, even three times.
char Isbn13Check(std::string_view body) {
  int sum = 0;
  for (std::size_t i = 0; i < body.size(); ++i) sum += DigitValue(body[i]) * (i % 2 == 0 ? 1 : 3);
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool AllDigits(std::string_view s) {
  for (char c : s) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

}  // namespace

bool IsValidISBN(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  if (begin == end) return true;
  std::string isbn;
  for (char c : text.substr(begin, end - begin)) {
    if (c == ' ' || c == '-') continue;
    isbn.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  if (isbn.empty()) return false;
  const char check = isbn.back();
  const std::string_view body = std::string_view(isbn).substr(0, isbn.size() - 1);
  if (body.size() == 9) {
    if (!IsDigit(check) && check != 'X') return false;
    if (!AllDigits(body)) return false;
    const int sum = (check == 'X' ? 10 : check - '0') + Isbn10BodySum(body);
    return sum % 11 == 0;
  }
  if (body.size() == 12) {
    if (!IsDigit(check) || !AllDigits(body)) return false;
    return Isbn13Check(body) == check;
  }
  return false;
}

std::string ISBN10To13(std::string_view isbn10) {
  std::string result = "978";
  result.append(isbn10.substr(0, 9));
  result.push_back(Isbn13Check(result));
  return result;
}

std::string ISBN13To10(std::string_view isbn13) {
  if (isbn13.size() != 13 || isbn13.substr(0, 3) != "978") return {};
  const std::string_view body = isbn13.substr(3, 9);
  if (!AllDigits(body)) return {};
  const int check = (11 - Isbn10BodySum(body) % 11) % 11;
  std::string result(body);
  result.push_back(check == 10 ? 'X' : static_cast<char>('0' + check));
  return result;
}

std::string ISBN10Form(std::string_view text) {
  return text.size() == 13 ? ISBN13To10(text) : std::string(text);
}

std::string ISBN13Form(std::string_view text) {
  return text.size() == 10 ? ISBN10To13(text) : std::string(text);
}

}  // namespace vellorax::search
