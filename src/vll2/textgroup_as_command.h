// TVLLTextgroupAsCommand: the command of every "constant" or "table"
// registration, named like its text group. #name(prefix, key, suffix) writes
// the key's text of that group between prefix and suffix.
#pragma once

#include <memory>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

class TVLLTextgroupAsCommand : public TVLLBaseCommand {
 public:
  using TVLLBaseCommand::TVLLBaseCommand;

  std::unique_ptr<TVLLBaseCommand> Clone() const override;

 protected:
  // 7 (recorded) unless there are exactly three parameters; 6 (nothing
  // recorded, nothing written) when the key is not in the group.
  TVLLStatus DoExecute() override;
};

}  // namespace vellorax::vll2
