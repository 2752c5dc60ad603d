// vellorax: command-line access to the library's engines.
//   vellorax --help | vellorax <command> [--help] [arguments...]
#include <cstdio>
#include <string_view>

#include "subcommands.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: vellorax <command> [arguments...]\n"
               "       vellorax <command> --help\n\ncommands:\n");
  for (const vellorax::tool::Subcommand& cmd : vellorax::tool::kSubcommands) {
    std::fprintf(out, "  %-12.*s %.*s\n", static_cast<int>(cmd.name.size()), cmd.name.data(),
                 static_cast<int>(cmd.help.size()), cmd.help.data());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string_view name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(stdout);
    return 0;
  }
  for (const vellorax::tool::Subcommand& cmd : vellorax::tool::kSubcommands) {
    if (cmd.name == name) return cmd.run(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "vellorax: unknown command \"%s\" (try \"vellorax --help\")\n", argv[1]);
  return 2;
}
