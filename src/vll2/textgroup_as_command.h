// TVLLTextgroupAsCommand: the command of every "constant" or "table"
// registration, named like its text group. #name(prefix, key, suffix) writes
// the key's text of that group between prefix and suffix.
#pragma once

#include <memory>
#include <string>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

class TVLLTextgroupAsCommand : public TVLLBaseCommand {
 public:
  explicit TVLLTextgroupAsCommand(std::string name, std::shared_ptr<TVLLObject> tag = nullptr);
  ~TVLLTextgroupAsCommand() override;

  std::unique_ptr<TVLLBaseCommand> Clone() const override;

 protected:
  // 7 (recorded) unless there are exactly three parameters; 6 (nothing
  // recorded, nothing written) when the key is not in the group.
  TVLLStatus DoExecute() override;

 private:
  // The keys looked up before, shared by the registered command and its
  // clones; see textgroup_as_command.cpp.
  class Lookups;

  TVLLTextgroupAsCommand(std::string name, std::shared_ptr<TVLLObject> tag,
                         std::shared_ptr<Lookups> lookups);

  // The key's text when the key parameter is one that writes itself
  // unchanged; false when only the plain reading can tell.
  bool FindKnownKey(std::string_view parameter, const std::string*& text);

  std::shared_ptr<Lookups> lookups_;
};

}  // namespace vellorax::vll2
