// TVLLTxtCommand, the built-in "txt": #txt(prefix, text, suffix) writes the
// text between prefix and suffix, and nothing at all when the text is empty.
#pragma once

#include <memory>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

class TVLLTxtCommand : public TVLLBaseCommand {
 public:
  using TVLLBaseCommand::TVLLBaseCommand;

  std::unique_ptr<TVLLBaseCommand> Clone() const override;

 protected:
  // 7 (recorded) unless there are exactly three parameters.
  TVLLStatus DoExecute() override;
};

}  // namespace vellorax::vll2
