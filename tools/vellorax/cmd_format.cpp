// vellorax format: registers display definitions with the version 2 macro
// engine and runs one of them over every record of the record files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/charset.h"
#include "definitions_file.h"
#include "record_input.h"
#include "subcommands.h"
#include "vll2/vll2w.h"
#include "vll2/work_space.h"

namespace vellorax::tool {

namespace {

constexpr const char* kFormatHelp =
    "usage: vellorax format --define DEFS --run NAME [--html] [--fix] [--debug]\n"
    "                       [--utf8 | --utf8-out] [RECORD_FILE...|-]\n"
    "\n"
    "Registers the definitions of DEFS with the macro engine and runs the command\n"
    "NAME over every record of the record files (standard input without a file or\n"
    "with \"-\"), printing each record's output followed by a line feed.\n"
    "\n"
    "  --define DEFS  definitions file: blocks headed \"%% NAME TYPE\" (TYPE tag,\n"
    "                 constant, table or script); lines starting \"%#\" are comments\n"
    "  --run NAME     the registered command to run for each record\n"
    "  --html         HTML mode: field output is encoded for HTML\n"
    "  --fix          text record files are in the display line format\n"
    "                 (\"245 10 $a Title\", records separated by empty lines) and\n"
    "                 are repaired before the run; without it they are engine\n"
    "                 record text, each record closed by a line \"^\"\n"
    "  --debug        a failing run prints the engine's error message instead of\n"
    "                 an empty output\n"
    "  --utf8         text files and output are UTF-8 (converted through the code\n"
    "                 page); --utf8-out: only the output\n"
    "\n"
    "ISO 2709 and MARCXML files are recognised by their first bytes and turned\n"
    "into YAZ's line format (well-formed ISO 2709 records directly, others by\n"
    "YAZ) before the repair (UTF-8 records are converted to the code page).\n"
    "Text is Windows-1252 (or VELLORAX_CODEPAGE) bytes otherwise.\n";

struct Options {
  std::string defs;
  std::string run;
  bool html = false;
  bool fix = false;
  bool debug = false;
  bool utf8_in = false;
  bool utf8_out = false;
  std::vector<std::string> files;
};

// 0 parsed, 1 --help shown, 2 bad usage (message printed).
int ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "vellorax format: %s needs a value\n", argv[i]);
        return false;
      }
      out = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kFormatHelp, stdout);
      return 1;
    } else if (arg == "--define") {
      if (!value(options.defs)) return 2;
    } else if (arg == "--run") {
      if (!value(options.run)) return 2;
    } else if (arg == "--html") {
      options.html = true;
    } else if (arg == "--fix") {
      options.fix = true;
    } else if (arg == "--debug") {
      options.debug = true;
    } else if (arg == "--utf8") {
      options.utf8_in = options.utf8_out = true;
    } else if (arg == "--utf8-out") {
      options.utf8_out = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      std::fprintf(stderr, "vellorax format: unknown option %s (try --help)\n", argv[i]);
      return 2;
    } else {
      options.files.emplace_back(arg);
    }
  }
  if (options.defs.empty() || options.run.empty()) {
    std::fputs("vellorax format: --define and --run are required (try --help)\n", stderr);
    return 2;
  }
  if (options.files.empty()) options.files.emplace_back("-");
  return 0;
}

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Collects output and writes it in large blocks.
class OutputBuffer {
 public:
  explicit OutputBuffer(bool utf8) : utf8_(utf8) {}
  ~OutputBuffer() { Flush(); }
  void Add(std::string_view text) {
    if (utf8_ && !IsAscii(text)) {
      buffer_ += common::AnsiToUtf8(text);
    } else {
      buffer_.append(text);
    }
    buffer_ += '\n';
    if (buffer_.size() >= (1 << 16)) Flush();
  }
  void Flush() {
    if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    buffer_.clear();
  }

 private:
  bool utf8_;
  std::string buffer_;
};

// Records read ahead of the engine and formatted in batches. Reading a
// batch, then formatting it, keeps each stage's code in the instruction
// cache, where alternating the two record by record evicts both.
class RecordBatch {
 public:
  static constexpr size_t kRecords = 32;

  void Add(std::string_view text, bool display_lines) {
    entries_.push_back({texts_.size(), text.size(), display_lines});
    texts_.append(text);
  }
  bool Full() const { return entries_.size() >= kRecords; }

  // Formats the records in order and empties the batch, also when `format`
  // throws: the records after a failed one are dropped with it.
  template <class Format>
  void Run(Format&& format) {
    struct Emptied {
      RecordBatch& batch;
      ~Emptied() {
        batch.entries_.clear();
        batch.texts_.clear();
      }
    } emptied{*this};
    const std::string_view texts = texts_;
    for (const Entry& e : entries_) format(texts.substr(e.at, e.size), e.display_lines);
  }

 private:
  struct Entry {
    size_t at;
    size_t size;
    bool display_lines;
  };
  std::string texts_;
  std::vector<Entry> entries_;
};

}  // namespace

int FormatMain(int argc, char** argv) {
  Options options;
  if (int parsed = ParseOptions(argc, argv, options); parsed != 0) return parsed == 1 ? 0 : 2;

  vll2::TVLL2W engine;
  engine.SetDebug(options.debug);
  engine.SetHtml(options.html);
  try {
    for (const Definition& def : ReadDefinitionsFile(options.defs)) {
      std::string result;
      try {
        result = engine.Command(def.name, def.type, def.body, "add");
      } catch (const std::exception& e) {
        result = e.what();
      }
      if (!result.empty()) {
        std::fprintf(stderr, "vellorax format: %s, line %d (%s): %s\n", options.defs.c_str(),
                     def.line, def.name.c_str(), result.c_str());
        return 1;
      }
    }
  } catch (const DefinitionsError& e) {
    std::fprintf(stderr, "vellorax format: %s\n", e.what());
    return 1;
  }

  if (!engine.WorkSpace().FindCommand(options.run)) {
    std::fprintf(stderr, "vellorax format: %s defines no command \"%s\"\n", options.defs.c_str(),
                 options.run.c_str());
    return 1;
  }

  OutputBuffer out(options.utf8_out);
  RecordFileReader reader(RecordReaderOptions{.engine_text = true, .utf8_input = options.utf8_in});
  std::string converted;
  RecordBatch batch;
  auto format_record = [&](std::string_view text, bool display_lines) {
    out.Add(engine.ExecuteView(options.run, text, display_lines));
  };
  RecordFileBytes file;
  for (const std::string& path : options.files) {
    if (!file.Read(path)) {
      std::fprintf(stderr, "vellorax format: cannot read %s: %s\n", path.c_str(),
                   std::strerror(errno));
      return 1;
    }
    const std::string_view content = file.view();
    const RecordFileFormat format = DetectRecordFileFormat(content, options.fix);
    try {
      reader.ForEach(content, format, [&](const InputRecord& record) {
        std::string_view text = record.text;
        if ((record.utf8 || options.utf8_in) && !IsAscii(text)) {
          converted = common::Utf8ToAnsi(text);
          text = converted;
        }
        batch.Add(text, record.display_lines);
        if (batch.Full()) batch.Run(format_record);
      });
      batch.Run(format_record);
    } catch (const std::exception& e) {
      // A record that cannot be read ends the file after the records read
      // before it, which are still formatted (a failed run left none).
      std::string message = e.what();
      try {
        batch.Run(format_record);
      } catch (const std::exception& failed) {
        message = failed.what();
      }
      out.Flush();
      std::fprintf(stderr, "vellorax format: %s: %s\n", path.c_str(), message.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace vellorax::tool
