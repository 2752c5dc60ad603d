#include "vll2/work_space.h"

#include <atomic>
#include <typeinfo>

#include "vll2/base_command.h"
#include "vll2/tag_program.h"
#include "vll2/text_group.h"

namespace vellorax::vll2 {

namespace {

std::atomic<std::uint64_t> version_counter{0};

std::uint64_t NextVersion() {
  return ++version_counter;
}

}  // namespace

TVLLWorkSpace::TVLLWorkSpace(TVLLWorkSpace* parent)
    : parent_(parent), commands_version_(NextVersion()) {}

TVLLWorkSpace::~TVLLWorkSpace() = default;

void TVLLWorkSpace::AddCommand(std::string_view name, std::unique_ptr<TVLLBaseCommand> command) {
  commands_.SetObject(name, std::move(command));
  commands_version_ = NextVersion();
}

TVLLBaseCommand* TVLLWorkSpace::FindCommand(std::string_view name) const {
  for (const TVLLWorkSpace* ws = this; ws != nullptr; ws = ws->parent_) {
    int index = ws->commands_.IndexOf(name);
    if (index >= 0) return static_cast<TVLLBaseCommand*>(ws->commands_.Object(index));
  }
  return nullptr;
}

void TVLLWorkSpace::AddTextGroup(std::string_view name, std::unique_ptr<TVLLTextGroup> group) {
  text_groups_.SetObject(name, std::move(group));
  commands_version_ = NextVersion();
}

TVLLTextGroup* TVLLWorkSpace::FindTextGroup(std::string_view name) const {
  for (const TVLLWorkSpace* ws = this; ws != nullptr; ws = ws->parent_) {
    int index = ws->text_groups_.IndexOf(name);
    if (index >= 0) return static_cast<TVLLTextGroup*>(ws->text_groups_.Object(index));
  }
  return nullptr;
}

TVLLTextGroup* TVLLWorkSpace::GetTextGroup(int index) const {
  return static_cast<TVLLTextGroup*>(text_groups_.Object(index));
}

namespace {

// A registered tag specification, with its elements once a run has read them.
class TVLLTagSpecText : public TVLLString {
 public:
  using TVLLString::TVLLString;
  const TVLLTagLevel* Program() const {
    // Rereads when the text was changed in place.
    if (!program_ || program_->Text() != Value()) {
      program_ = std::make_unique<const TVLLTagLevel>(Value(), TVLLTagLevel::Own{});
    }
    return program_.get();
  }

 private:
  mutable std::unique_ptr<const TVLLTagLevel> program_;
};

}  // namespace

void TVLLWorkSpace::AddTagSpec(std::string_view name, std::string_view text) {
  tag_specs_.SetObject(name, std::make_unique<TVLLTagSpecText>(std::string(text)));
  commands_version_ = NextVersion();
}

const TVLLTagLevel* TVLLWorkSpace::GetTagProgram(std::string_view name,
                                                 std::shared_ptr<const TVLLTagLevel>& hold,
                                                 const TVLLString** source) const {
  if (source != nullptr) *source = nullptr;
  for (const TVLLWorkSpace* ws = this; ws != nullptr; ws = ws->parent_) {
    const int index = ws->tag_specs_.IndexOf(name);
    if (index < 0) continue;
    TVLLObject* object = ws->tag_specs_.Object(index);
    if (source != nullptr) *source = AsText(object);
    if (object != nullptr && typeid(*object) == typeid(TVLLTagSpecText)) {
      const auto* spec = static_cast<const TVLLTagSpecText*>(object);
      return spec->Value().empty() ? nullptr : spec->Program();
    }
    // Put there by other means than AddTagSpec.
    auto* text = AsText(object);
    if (text == nullptr || text->Value().empty()) return nullptr;
    hold = std::make_shared<const TVLLTagLevel>(text->Value(), TVLLTagLevel::Own{});
    return hold.get();
  }
  return nullptr;
}

std::string TVLLWorkSpace::GetTagSpec(std::string_view name) const {
  for (const TVLLWorkSpace* ws = this; ws != nullptr; ws = ws->parent_) {
    int index = ws->tag_specs_.IndexOf(name);
    if (index >= 0) {
      auto* spec = AsText(ws->tag_specs_.Object(index));
      return spec ? spec->Value() : std::string();
    }
  }
  return std::string();
}

}  // namespace vellorax::vll2
