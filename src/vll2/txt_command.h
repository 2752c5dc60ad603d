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

 private:
  struct SitePlan;
  // The call's plan kept at its site (made now when missing), or null when
  // the call has no fixed site.
  const SitePlan* PlanForSite();
  // WriteParameter of the parameter `index`; with a plan, a parameter that is
  // a call is read once and called from a fixed site of its own.
  TVLLStatus WriteItem(const SitePlan* plan, int index);
};

}  // namespace vellorax::vll2
