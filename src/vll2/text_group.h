// TVLLTextGroup: the texts of one "constant" or "table" registration. Each
// entry holds nothing, one language-independent text (TVLLString), or a
// language list (a TVLLNamedObjectList of language code -> TVLLString).
#pragma once

#include <string>
#include <string_view>

#include "vll2/named_object_list.h"

namespace vellorax::vll2 {

class TVLLTextGroup : public TVLLObject {
 public:
  // Sets an entry without text (an existing entry loses its text or its
  // language texts). Returns the entry's 0-based index.
  int AddName(std::string_view name);
  // Sets an entry to one language-independent text. Returns its index.
  int AddText(std::string_view name, std::string_view text);
  // Sets the text of `language` for the entry at `index`: an entry without
  // text gets a language list, a language list gets the language set; an entry
  // with one single text, or an index out of range, is left alone.
  void SetLanguageText(int index, std::string_view language, std::string_view text);
  // The entry's text: the single text whatever the language, or the text of
  // `language`, else (two or more languages) the first present of "mul",
  // "eng", "nor", "nno", "dan", "swe", else the first language added.
  // "" when the entry is missing or has no text.
  std::string GetText(std::string_view name, std::string_view language) const;
  // The same text as stored, without a copy; null where GetText gives "".
  const std::string* FindText(std::string_view name, std::string_view language) const;

  const TVLLNamedObjectList& Items() const { return items_; }
  // How often an entry was set: lets a reader keep what it looked up.
  unsigned Changes() const { return changes_; }

 private:
  TVLLNamedObjectList items_;
  unsigned changes_ = 0;
};

}  // namespace vellorax::vll2
