#include "vll2/execute_control.h"

#include <mutex>
#include <string>

#include "vll2/work_space.h"

namespace vellorax::vll2 {

TVLLStatus TVLLExecuteControl::Execute(TVLLContext& context, std::string_view name,
                                       const TVLLParams* parameters) {
  context.ClearError();
  {
    // Tested and set in one hold of the write side: no second caller can
    // slip in between, and a run takes the lock twice instead of three times.
    std::unique_lock write(lock_);
    if (busy_) return kStatusBusy;
    busy_ = true;
  }
  // Clears busy however the run ends (a status or an exception).
  struct BusyScope {
    TVLLExecuteControl& control;
    ~BusyScope() {
      std::unique_lock write(control.lock_);
      control.busy_ = false;
    }
  } scope{*this};

  TVLLWorkSpace* ws = context.WorkSpace();
  TVLLBaseCommand* command = ws ? ws->FindCommand(name) : nullptr;
  if (command == nullptr) {
    context.SetError(kStatusNotFound, "TVLLExecuteControl.Execute", name, "Command not found.");
    return kStatusNotFound;
  }
  std::unique_ptr<TVLLBaseCommand> clone = command->TakeClone();
  const TVLLStatus status = clone->Execute(context, parameters);
  command->ReturnClone(std::move(clone));
  return status;
}

}  // namespace vellorax::vll2
