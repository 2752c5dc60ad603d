// TVLLSelectCommand, the built-in "select": #select(prefix, alternative, ...,
// suffix) writes the first alternative that writes something, framed by
// prefix and suffix. A plain alternative is a tag pattern, formatted by the
// command registered under the name "tag".
#pragma once

#include <memory>
#include <string_view>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

class TVLLSelectCommand : public TVLLBaseCommand {
 public:
  using TVLLBaseCommand::TVLLBaseCommand;

  std::unique_ptr<TVLLBaseCommand> Clone() const override;

  // The base evaluation; a parameter of no special form (6) becomes the call
  // #tag(, parameter, S, , ) and its status.
  TVLLStatus EvalParameter(std::string_view parameter) override;

 protected:
  // 7 (recorded) without parameters; 9 as soon as an alternative gives 9.
  TVLLStatus DoExecute() override;

 private:
  struct SitePlan;
  // The call's plan kept at its site (made now when missing), or null when
  // the call has no fixed site.
  const SitePlan* PlanForSite();
  // The alternative `index` of the call: with a plan, a plain alternative
  // calls "tag" from its own fixed site; otherwise EvalParameter.
  TVLLStatus EvalAlternative(const SitePlan* plan, int index);

  TVLLParams tag_call_;
  TVLLCommandCache tag_command_;
};

}  // namespace vellorax::vll2
