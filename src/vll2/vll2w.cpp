#include "vll2/vll2w.h"

#include <exception>
#include <vector>

#include "common/record_text.h"
#include "common/strings.h"
#include "common/text_compare.h"
#include "vll2/builtin_commands.h"
#include "vll2/execute_control.h"
#include "vll2/script_command.h"
#include "vll2/text_group.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {

namespace {

// The failure of a "constant" or "table" line without any field, worded as
// the list access that fails on it.
class EListIndexError : public std::runtime_error {
 public:
  EListIndexError() : std::runtime_error("List index out of bounds (0)") {}
};

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

std::string_view StripControls(std::string_view s) {
  while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string> SplitAtBlanks(std::string_view text) {
  std::vector<std::string> fields;
  common::SplitFields(text, " \t", fields);
  return fields;
}

// tag line -> key "{" specification | specification without "{"
void AddTagLine(TVLLWorkSpace& ws, std::string_view line) {
  const size_t brace = line.find('{');
  std::string_view key;
  std::string_view spec;
  if (brace == std::string_view::npos) {
    spec = StripControls(line);
  } else {
    key = StripControls(line.substr(0, brace));
    spec = StripControls(line.substr(brace));
  }
  std::vector<std::string> fields = SplitAtBlanks(key);
  if (fields.size() == 2) {
    ws.AddTagSpec(fields[0] + ":" + fields[1], spec);
  } else {
    ws.AddTagSpec(key, spec);
  }
}

// constant/table line -> key { text-field }; the text is every further field
// preceded by one blank.
void AddTextLine(TVLLTextGroup& group, bool table, std::string_view line) {
  std::vector<std::string> fields = SplitAtBlanks(line);
  if (fields.empty()) throw EListIndexError();
  std::string text;
  for (size_t i = 1; i < fields.size(); ++i) {
    text += ' ';
    text += fields[i];
  }
  if (table) {
    const int index = group.AddName(fields[0]);
    group.SetLanguageText(index, "nor", text);
  } else {
    group.AddText(fields[0], text);
  }
}

}  // namespace

TVLL2W::TVLL2W() : work_space_(std::make_unique<TVLLWorkSpace>()) {
  work_space_->AddCommand("txt", MakeTxtCommand("txt"));
  work_space_->AddCommand("select", MakeSelectCommand("select"));
  work_space_->AddCommand("count", MakeCountCommand("count"));
  work_space_->AddCommand("script", MakeTagCommand("script"));
}

TVLL2W::~TVLL2W() = default;

std::string TVLL2W::Command(std::string_view AName, std::string_view AType,
                            std::string_view ACommand, std::string_view AAction) {
  const std::string action = common::AnsiLowerCase(AAction);
  if (action != "add") return "VLL2 command error: Unknown action " + action;
  try {
    AddDefinitionLines(AName, common::AnsiLowerCase(AType), ACommand);
  } catch (const std::exception& e) {
    std::string message = "VLL command error: " + std::string(e.what());
    if (!debug_) throw EVLL2Error(message);
    return message;
  }
  return std::string();
}

void TVLL2W::AddDefinitionLines(std::string_view AName, const std::string& type,
                                std::string_view ACommand) {
  TVLLWorkSpace& ws = *work_space_;
  const std::string name(AName);
  if (type == "tag") {
    ws.AddCommand(name, MakeTagCommand(name));
    for (std::string_view line : common::SplitLines(ACommand)) AddTagLine(ws, line);
    return;
  }
  if (type == "constant" || type == "table") {
    auto owned = std::make_unique<TVLLTextGroup>();
    TVLLTextGroup& group = *owned;
    ws.AddTextGroup(name, std::move(owned));
    ws.AddCommand(name, MakeTextgroupAsCommand(name));
    const bool table = type == "table";
    for (std::string_view line : common::SplitLines(ACommand)) AddTextLine(group, table, line);
    return;
  }
  ws.AddCommand(name, std::make_unique<TVLLScriptCommand>(
                          name, std::make_shared<TVLLString>(std::string(ACommand))));
}

std::string TVLL2W::Execute(std::string_view AName, std::string_view ARecord, bool AFix) {
  std::string result;
  Run(AName, ARecord, AFix, &result);
  return result;
}

std::string_view TVLL2W::ExecuteView(std::string_view AName, std::string_view ARecord,
                                     bool AFix) {
  return Run(AName, ARecord, AFix, nullptr);
}

std::string_view TVLL2W::Run(std::string_view AName, std::string_view ARecord, bool AFix,
                             std::string* hand_over) {
  try {
    // The kept context when no run holds it (a run of this engine calling it
    // again gets a fresh one); given back however the run ends.
    std::unique_ptr<TVLLContext> owned =
        spare_context_ ? std::move(spare_context_) : std::make_unique<TVLLContext>();
    struct GiveBack {
      std::unique_ptr<TVLLContext>& spare;
      std::unique_ptr<TVLLContext>& owned;
      ~GiveBack() {
        if (!spare) spare = std::move(owned);
      }
    } give_back{spare_context_, owned};
    TVLLContext& context = *owned;
    if (AFix) {
      context.ResetForRun(work_space_.get(), common::RepairRecordText(ARecord));
    } else {
      context.ResetForRun(work_space_.get(), ARecord);
    }
    context.SetHtml(html_);
    // A display is mostly a few hundred bytes: no regrowing on the way there.
    context.Output().Reserve(1024);
    TVLLExecuteControl control;
    const TVLLStatus status = control.Execute(context, AName, nullptr);
    std::string failed;
    if (status != kStatusOk && debug_) {
      failed = "VLL2 execute error: " + context.ErrorMessage() + " (" + context.ErrorWhere() +
               ": " + context.ErrorDetail() + ")";
    }
    if (hand_over != nullptr) {
      *hand_over = status == kStatusOk ? context.Output().Take() : std::move(failed);
      return {};
    }
    if (status == kStatusOk && !spare_context_) {
      // The context is kept as the spare: its output lasts until the next
      // run takes it.
      return context.Output().Text();
    }
    view_result_ = status == kStatusOk ? std::string(context.Output().Text()) : std::move(failed);
    return view_result_;
  } catch (const std::exception& e) {
    throw EVLL2Error("VLL execute error: " + std::string(e.what()));
  }
}

}  // namespace vellorax::vll2
