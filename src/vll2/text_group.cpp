#include "vll2/text_group.h"

#include <array>
#include <memory>

namespace vellorax::vll2 {

namespace {

// Languages tried, in this order, when a language list lacks the one asked
// for and holds two or more languages.
constexpr std::array<std::string_view, 6> kFallbackLanguages = {"mul", "eng", "nor",
                                                                "nno", "dan", "swe"};

}  // namespace

int TVLLTextGroup::AddName(std::string_view name) {
  ++changes_;
  return items_.SetObject(name, nullptr);
}

int TVLLTextGroup::AddText(std::string_view name, std::string_view text) {
  ++changes_;
  return items_.SetObject(name, std::make_unique<TVLLString>(std::string(text)));
}

void TVLLTextGroup::SetLanguageText(int index, std::string_view language, std::string_view text) {
  if (index < 0 || index >= items_.Count()) return;
  ++changes_;
  TVLLObject* object = items_.Object(index);
  auto value = std::make_unique<TVLLString>(std::string(text));
  if (object == nullptr) {
    auto languages = std::make_unique<TVLLNamedObjectList>();
    languages->SetObject(language, std::move(value));
    items_.SetObject(items_.Name(index), std::move(languages));
  } else if (auto* languages = dynamic_cast<TVLLNamedObjectList*>(object)) {
    languages->SetObject(language, std::move(value));
  }
}

std::string TVLLTextGroup::GetText(std::string_view name, std::string_view language) const {
  const std::string* text = FindText(name, language);
  return text ? *text : std::string();
}

const std::string* TVLLTextGroup::FindText(std::string_view name,
                                           std::string_view language) const {
  TVLLObject* object = items_.Find(name);
  if (object == nullptr) return nullptr;
  if (auto* single = AsText(object)) return single->Value().empty() ? nullptr : &single->Value();
  TVLLNamedObjectList* languages = object->AsList();
  if (languages == nullptr || languages->Count() == 0) return nullptr;
  // A single language is the answer whatever the language asked for.
  int index = languages->Count() == 1 ? 0 : languages->IndexOf(language);
  if (index < 0 && languages->Count() >= 2) {
    for (std::string_view fallback : kFallbackLanguages) {
      index = languages->IndexOf(fallback);
      if (index >= 0) break;
    }
  }
  if (index < 0) index = 0;
  auto* text = AsText(languages->Object(index));
  if (text == nullptr || text->Value().empty()) return nullptr;
  return &text->Value();
}

}  // namespace vellorax::vll2
