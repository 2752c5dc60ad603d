// TVLLCountCommand, the built-in "count": #count(prefix, pattern, ...,
// suffix) writes how many fields of the run's record match the tag patterns,
// added up over all patterns, between prefix and suffix.
#pragma once

#include <memory>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

class TVLLCountCommand : public TVLLBaseCommand {
 public:
  using TVLLBaseCommand::TVLLBaseCommand;

  std::unique_ptr<TVLLBaseCommand> Clone() const override;

 protected:
  // 7 (recorded) without parameters; 9 when a pattern parameter gives 9.
  // Without a record the prefix stays and an error is recorded with status 0.
  TVLLStatus DoExecute() override;

 private:
  struct SitePlan;
  // The plan kept at the running call's site, made now when the site has none
  // that is still right; null when the call has no fixed site.
  const SitePlan* PlanForSite();
  // Records that the run has no record to count in; 0.
  [[gnu::cold]] [[gnu::noinline]] TVLLStatus MissingRecord();
};

}  // namespace vellorax::vll2
