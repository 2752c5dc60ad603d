// TVLLScriptCommand: runs the script attached as a TVLLString: quoted texts,
// text references, command calls and if/ifnot/elseif/elseifnot/else/endif
// blocks. With parameters, the first is written before the script's output and
// the last after it, both only when the script wrote something.
#pragma once

#include <memory>
#include <string>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

class TVLLScript;

class TVLLScriptCommand : public TVLLBaseCommand {
 public:
  using TVLLBaseCommand::TVLLBaseCommand;

  std::unique_ptr<TVLLBaseCommand> Clone() const override;

 protected:
  TVLLStatus DoExecute() override;

 private:
  TVLLStatus _Run(TVLLScript& reader);
  TVLLStatus _CallCommand(TVLLScript& reader);
  TVLLStatus _Keyword(TVLLScript& reader, int code, bool& in_if);
  TVLLStatus _SkipTo(TVLLScript& reader, int mode);
  // 1 true, 2 false, 9 malformed (nothing recorded).
  TVLLStatus _Condition(TVLLScript& reader);
  // Runs a call and takes what it wrote back out of the output; false when
  // the call did not return 0.
  bool CallForOperand(const std::string& name, const TVLLParams& params, std::string& value);
};

}  // namespace vellorax::vll2
