// vellorax repair: display-format MARC records in, engine record text out.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/charset.h"
#include "common/record_text.h"
#include "subcommands.h"

namespace vellorax::tool {

namespace {

constexpr const char* kRepairHelp =
    "usage: vellorax repair [--utf8 | --utf8-out] [FILE...|-]\n"
    "\n"
    "Reads MARC records in the display line format and prints each one as engine\n"
    "record text (the layout the macro engines read), ending in a line \"^\".\n"
    "Without FILE, or with \"-\", reads standard input.\n"
    "\n"
    "Display line format, one line per field (CR LF, CR or LF line breaks):\n"
    "  001 12345                            control number from column 5\n"
    "  008 200101s2020    no ...            other 00X fields are dropped\n"
    "  245 10 $a Title : $b subtitle        tag, blank, two indicators, blank,\n"
    "                                       then \"$\" code blank data, subfields\n"
    "                                       separated by one blank\n"
    "A file may hold several records, separated by one or more empty lines.\n"
    "\n"
    "Text is Windows-1252 (or VELLORAX_CODEPAGE) bytes in and out. With --utf8\n"
    "input and output are UTF-8, converted through the code page (characters it\n"
    "lacks become \"?\"); with --utf8-out only the output is UTF-8.\n";

bool ReadAll(std::FILE* in, std::string& out) {
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) out.append(buffer, n);
  return !std::ferror(in);
}

// Cuts a file's text into records at empty lines (an empty line inside a
// record is therefore not possible in a file).
std::vector<std::string> SplitRecords(std::string_view text) {
  std::vector<std::string> records;
  std::string current;
  for (std::string_view line : common::SplitLines(text)) {
    if (line.empty()) {
      if (!current.empty()) records.push_back(std::move(current));
      current.clear();
      continue;
    }
    current.append(line);
    current += '\n';
  }
  if (!current.empty()) records.push_back(std::move(current));
  return records;
}

}  // namespace

int RepairMain(int argc, char** argv) {
  bool utf8_in = false;
  bool utf8_out = false;
  std::vector<std::string> files;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options_done && (arg == "--help" || arg == "-h")) {
      std::fputs(kRepairHelp, stdout);
      return 0;
    }
    if (!options_done && arg == "--utf8") {
      utf8_in = utf8_out = true;
    } else if (!options_done && arg == "--utf8-out") {
      utf8_out = true;
    } else if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "vellorax repair: unknown option \"%s\"\n\n%s", argv[i], kRepairHelp);
      return 2;
    } else {
      files.emplace_back(arg);
    }
  }
  if (files.empty()) files.emplace_back("-");

  int status = 0;
  for (const std::string& file : files) {
    std::string text;
    bool ok;
    if (file == "-") {
      ok = ReadAll(stdin, text);
    } else {
      std::FILE* in = std::fopen(file.c_str(), "rb");
      if (!in) {
        std::fprintf(stderr, "vellorax repair: cannot open %s: %s\n", file.c_str(),
                     std::strerror(errno));
        status = 1;
        continue;
      }
      ok = ReadAll(in, text);
      std::fclose(in);
    }
    if (!ok) {
      std::fprintf(stderr, "vellorax repair: cannot read %s\n", file.c_str());
      status = 1;
      continue;
    }
    if (utf8_in) text = common::Utf8ToAnsi(text);
    for (const std::string& record : SplitRecords(text)) {
      std::string engine = common::RepairRecordText(record);
      if (!engine.empty() && engine.back() == '\0') engine.pop_back();
      if (utf8_out) engine = common::AnsiToUtf8(engine);
      engine += '\n';
      std::fwrite(engine.data(), 1, engine.size(), stdout);
    }
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "vellorax repair: cannot write output\n");
    return 1;
  }
  return status;
}

}  // namespace vellorax::tool
