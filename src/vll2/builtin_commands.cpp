// Placeholder command classes until the text, select, count, tag and
// text-group commands are filled in: each writes nothing and returns 0.
#include "vll2/builtin_commands.h"

namespace vellorax::vll2 {

namespace {

class TVLLPlaceholderCommand : public TVLLBaseCommand {
 public:
  using TVLLBaseCommand::TVLLBaseCommand;
  std::unique_ptr<TVLLBaseCommand> Clone() const override {
    return std::make_unique<TVLLPlaceholderCommand>(Name(), SharedTag());
  }
};

}  // namespace

std::unique_ptr<TVLLBaseCommand> MakeTxtCommand(std::string name) {
  return std::make_unique<TVLLPlaceholderCommand>(std::move(name));
}
std::unique_ptr<TVLLBaseCommand> MakeSelectCommand(std::string name) {
  return std::make_unique<TVLLPlaceholderCommand>(std::move(name));
}
std::unique_ptr<TVLLBaseCommand> MakeCountCommand(std::string name) {
  return std::make_unique<TVLLPlaceholderCommand>(std::move(name));
}
std::unique_ptr<TVLLBaseCommand> MakeTagCommand(std::string name) {
  return std::make_unique<TVLLPlaceholderCommand>(std::move(name));
}
std::unique_ptr<TVLLBaseCommand> MakeTextgroupAsCommand(std::string name) {
  return std::make_unique<TVLLPlaceholderCommand>(std::move(name));
}

}  // namespace vellorax::vll2
