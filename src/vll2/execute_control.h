// TVLLExecuteControl: runs one top-level command of the workspace against one
// context. A busy flag, guarded by a reader/writer lock, keeps one control
// from being entered twice, also from the command it runs.
#pragma once

#include <shared_mutex>
#include <string_view>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

class TVLLExecuteControl {
 public:
  // Clears the context's error, finds `name` in the context's workspace and
  // runs a clone of it with `parameters` (null at the top level). 6 (error
  // recorded) when not found, 10 when this control is already running.
  TVLLStatus Execute(TVLLContext& context, std::string_view name, const TVLLParams* parameters);

 private:
  bool busy_ = false;
  std::shared_mutex lock_;
};

}  // namespace vellorax::vll2
