// TVLLScriptCommand: runs the script attached as a TVLLString: quoted texts,
// text references, command calls and if/ifnot/elseif/elseifnot/else/endif
// blocks. With parameters, the first is written before the script's output and
// the last after it, both only when the script wrote something.
#pragma once

#include <memory>
#include <string>

#include "vll2/base_command.h"
#include "vll2/call_memo.h"

namespace vellorax::vll2 {

class TVLLCallMemo;
class TVLLScript;
struct TVLLScriptCondition;
struct TVLLScriptStep;

class TVLLScriptCommand : public TVLLBaseCommand {
 public:
  explicit TVLLScriptCommand(std::string name, std::shared_ptr<TVLLObject> tag = nullptr);
  ~TVLLScriptCommand() override;

  std::unique_ptr<TVLLBaseCommand> Clone() const override;

 protected:
  TVLLStatus DoExecute() override;

 private:
  // A clone: same name, attached text and call memo.
  TVLLScriptCommand(std::string name, std::shared_ptr<TVLLObject> tag,
                    std::shared_ptr<TVLLCallMemo> memo);

  // `base`: 0-based offset of the reader's text within the script text.
  TVLLStatus _Run(TVLLScript& reader, int base);
  // Runs `step`, read at the reader's position; the reader goes on after it.
  TVLLStatus _Step(const TVLLScriptStep& step, TVLLScript& reader, int base, bool& in_if);
  // Reads the step at the reader's position (remembered when the memo can)
  // and runs it: a script's first run.
  [[gnu::noinline]] TVLLStatus _ReadStep(TVLLScript& reader, int base, bool& in_if);
  // Records the error of a step that did not read; 9.
  [[gnu::cold]] [[gnu::noinline]] TVLLStatus _StepError(const TVLLScriptStep& step,
                                                        const TVLLScript& reader);
  // The reader stands after the keyword's word.
  TVLLStatus _Keyword(const TVLLScriptStep& step, TVLLScript& reader, int base, bool& in_if);
  // Records a keyword met outside an if block; 9.
  [[gnu::cold]] [[gnu::noinline]] TVLLStatus _KeywordError(const TVLLScriptStep& step);
  TVLLStatus _SkipKnown(TVLLScript& reader, int base, int mode, int& known);
  TVLLStatus _SkipTo(TVLLScript& reader, int base, int mode);
  // The scan behind _SkipTo, made once per position of a script text.
  TVLLStatus _Scan(TVLLScript& reader, int mode);
  // 1 true, 2 false, 9 malformed (nothing recorded).
  TVLLStatus _Condition(const TVLLScriptCondition& condition);
  // Runs a call and takes what it wrote back out of the output; false when
  // the call did not return 0.
  bool CallForOperand(const TVLLCallMemo::Call& call, std::string& value);

  std::shared_ptr<TVLLCallMemo> memo_;
};

}  // namespace vellorax::vll2
