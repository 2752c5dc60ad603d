// ISBN tests and conversions between the 10- and 13-character forms. Pure
// functions of their text; they never throw.
#pragma once

#include <string>
#include <string_view>

namespace vellorax::search {

// True for a valid ISBN-10 or ISBN-13 (blanks and "-" ignored, "X" check
// character of an ISBN-10 in either case) and for an empty text.
bool IsValidISBN(std::string_view text);
// "978" + the first nine characters + the ISBN-13 check digit; the input's own
// check character is dropped. REQUIRES: at least nine characters.
std::string ISBN10To13(std::string_view isbn10);
// The ISBN-10 of a 13-character "978..." ISBN whose characters 4 to 12 form
// an integer; empty for anything else.
std::string ISBN13To10(std::string_view isbn13);
// ISBN13To10 for a 13-character text, else the text.
std::string ISBN10Form(std::string_view text);
// ISBN10To13 for a 10-character text, else the text.
std::string ISBN13Form(std::string_view text);

}  // namespace vellorax::search
