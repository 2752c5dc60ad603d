// Factories of the command classes that the engine facade registers: the
// built-in "txt", "select", "count" and "script" (a tag command), the tag
// command of every "tag" registration and the text-group command of every
// "constant" or "table" registration. Each returns a new command named `name`.
#pragma once

#include <memory>
#include <string>

#include "vll2/base_command.h"

namespace vellorax::vll2 {

std::unique_ptr<TVLLBaseCommand> MakeTxtCommand(std::string name);
std::unique_ptr<TVLLBaseCommand> MakeSelectCommand(std::string name);
std::unique_ptr<TVLLBaseCommand> MakeCountCommand(std::string name);
std::unique_ptr<TVLLBaseCommand> MakeTagCommand(std::string name);
std::unique_ptr<TVLLBaseCommand> MakeTextgroupAsCommand(std::string name);

}  // namespace vellorax::vll2
