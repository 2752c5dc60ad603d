// Reader of the plain-text definitions files that `vellorax format` registers
// with the macro engine before it formats records (layout in
// tests/data/formats/README.md).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vellorax::tool {

// One registration: what TVLL2W::Command receives as AName, AType, ACommand.
struct Definition {
  std::string name;
  std::string type;
  std::string body;
  int line = 0;  // line number of the "%%" header, for messages
};

class DefinitionsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Splits a definitions file into its registrations, in file order.
// Throws DefinitionsError (message names the line) on a malformed header or
// on body text before the first header.
std::vector<Definition> ParseDefinitions(std::string_view text);

// Reads and parses a file; throws DefinitionsError when it cannot be read.
std::vector<Definition> ReadDefinitionsFile(const std::string& path);

}  // namespace vellorax::tool
