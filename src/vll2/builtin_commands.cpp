// Factories of the command classes that the engine facade registers.
#include "vll2/builtin_commands.h"

#include "vll2/count_command.h"
#include "vll2/select_command.h"
#include "vll2/tag_command.h"
#include "vll2/textgroup_as_command.h"
#include "vll2/txt_command.h"

namespace vellorax::vll2 {

std::unique_ptr<TVLLBaseCommand> MakeTxtCommand(std::string name) {
  return std::make_unique<TVLLTxtCommand>(std::move(name));
}
std::unique_ptr<TVLLBaseCommand> MakeSelectCommand(std::string name) {
  return std::make_unique<TVLLSelectCommand>(std::move(name));
}
std::unique_ptr<TVLLBaseCommand> MakeCountCommand(std::string name) {
  return std::make_unique<TVLLCountCommand>(std::move(name));
}
std::unique_ptr<TVLLBaseCommand> MakeTagCommand(std::string name) {
  return std::make_unique<TVLLTagCommand>(std::move(name));
}
std::unique_ptr<TVLLBaseCommand> MakeTextgroupAsCommand(std::string name) {
  return std::make_unique<TVLLTextgroupAsCommand>(std::move(name));
}

}  // namespace vellorax::vll2
