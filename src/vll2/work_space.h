// TVLLWorkSpace: everything registered with one engine (commands, text groups,
// tag specifications) and the language used to pick texts. Lookups that miss
// fall through to the parent workspace. Owns what is registered in it.
// Not thread-safe; written while registering, read while running.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "vll2/named_object_list.h"

namespace vellorax::vll2 {

class TVLLBaseCommand;
class TVLLTextGroup;
class TVLLTagLevel;

class TVLLWorkSpace {
 public:
  // `parent` is not owned and must outlive this workspace.
  explicit TVLLWorkSpace(TVLLWorkSpace* parent = nullptr);
  ~TVLLWorkSpace();
  TVLLWorkSpace(const TVLLWorkSpace&) = delete;
  TVLLWorkSpace& operator=(const TVLLWorkSpace&) = delete;

  TVLLWorkSpace* Parent() const { return parent_; }

  // Changes whenever a command, a text group or a tag specification is
  // registered here or in a parent: a stamp
  // drawn from one counter shared by every workspace, so that no two states
  // of any workspaces ever share one. Lets a call site keep what FindCommand
  // answered.
  std::uint64_t CommandsVersion() const {
    return parent_ ? std::max(commands_version_, parent_->CommandsVersion()) : commands_version_;
  }

  // Registers `command` under `name`, replacing (and destroying) an entry of
  // the same name in any letter case.
  void AddCommand(std::string_view name, std::unique_ptr<TVLLBaseCommand> command);
  // Own list first, then the parents; nullptr when absent. Still owned here.
  TVLLBaseCommand* FindCommand(std::string_view name) const;

  void AddTextGroup(std::string_view name, std::unique_ptr<TVLLTextGroup> group);
  TVLLTextGroup* FindTextGroup(std::string_view name) const;
  // The group at 0-based `index` of this workspace's own list, or nullptr.
  TVLLTextGroup* GetTextGroup(int index) const;

  void AddTagSpec(std::string_view name, std::string_view text);
  // The specification under `name` here or in a parent; "" when absent.
  std::string GetTagSpec(std::string_view name) const;
  // The same specification read into its elements (read once per
  // registration and valid while it stays registered); null when absent or
  // empty. A specification put into the list by other means is read anew and
  // kept alive by `hold`.
  // `source`, when given, receives the text object the answer was read from
  // (null when `name` is not registered): the answer stays right while the
  // registrations (CommandsVersion) and that object's Changes stay the same.
  const TVLLTagLevel* GetTagProgram(std::string_view name,
                                    std::shared_ptr<const TVLLTagLevel>& hold,
                                    const TVLLString** source = nullptr) const;

  const std::string& Language() const { return language_; }
  void SetLanguage(std::string language) { language_ = std::move(language); }

  const TVLLNamedObjectList& Commands() const { return commands_; }
  const TVLLNamedObjectList& TextGroups() const { return text_groups_; }
  const TVLLNamedObjectList& TagSpecs() const { return tag_specs_; }

 private:
  TVLLWorkSpace* parent_;
  std::uint64_t commands_version_;
  TVLLNamedObjectList commands_;
  TVLLNamedObjectList text_groups_;
  TVLLNamedObjectList tag_specs_;
  std::string language_ = "mul";
};

}  // namespace vellorax::vll2
