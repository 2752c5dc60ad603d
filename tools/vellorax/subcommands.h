// The subcommands of the vellorax tool. Each lives in its own cmd_<name>.cpp
// and is listed once in kSubcommands; main.cpp dispatches on the name.
#pragma once

#include <string_view>

namespace vellorax::tool {

// Runs one subcommand. argv[0] is the subcommand's name, the rest its own
// arguments. Returns the process exit status: 0 success, 1 failure while
// working (message on stderr), 2 bad usage.
using SubcommandMain = int (*)(int argc, char** argv);

struct Subcommand {
  std::string_view name;
  std::string_view help;  // one line for `vellorax --help`
  SubcommandMain run;
};

int RepairMain(int argc, char** argv);
int FormatMain(int argc, char** argv);
int CryptMain(int argc, char** argv);
int RegisterMain(int argc, char** argv);
int UnregisterMain(int argc, char** argv);
int ProgIDMain(int argc, char** argv);

inline constexpr Subcommand kSubcommands[] = {
    {"repair", "turn display-format MARC records into engine record text", RepairMain},
    {"format", "run a display format of the macro engine over MARC records", FormatMain},
    {"crypt", "encrypt or decrypt a string as the Crypt object does", CryptMain},
    {"register", "register the automation classes and type library", RegisterMain},
    {"unregister", "remove the automation classes and type library", UnregisterMain},
    {"progid", "print the class id a ProgID resolves to", ProgIDMain},
};

}  // namespace vellorax::tool
