// Test support for the record commands: runs one call, written exactly as in
// a script ("#t([, 245, ])"), against a workspace and a record, and reports
// status, output and the first recorded error.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vll2/base_command.h"
#include "vll2/builtin_commands.h"
#include "vll2/context.h"
#include "vll2/script.h"
#include "vll2/text_group.h"
#include "vll2/work_space.h"

namespace vellorax::vll2::testing {

struct CallResult {
  TVLLStatus status = 0;
  std::string output;
  TVLLStatus error_code = 0;
  std::string error_where;
  std::string error_message;
  std::string error_detail;
};

class RecordCommandTest : public ::testing::Test {
 protected:
  RecordCommandTest() {
    ws_.AddCommand("txt", MakeTxtCommand("txt"));
    ws_.AddCommand("select", MakeSelectCommand("select"));
    ws_.AddCommand("count", MakeCountCommand("count"));
    ws_.AddCommand("script", MakeTagCommand("script"));
  }

  // Registers a tag command `name` and specifications (key, spec).
  void AddTag(std::string_view name,
              const std::vector<std::pair<std::string, std::string>>& specs = {}) {
    ws_.AddCommand(name, MakeTagCommand(std::string(name)));
    for (const auto& [key, spec] : specs) ws_.AddTagSpec(key, spec);
  }

  // A "constant" group: (key, text) pairs stored as the facade stores them.
  void AddConstants(std::string_view name,
                    const std::vector<std::pair<std::string, std::string>>& texts) {
    auto group = std::make_unique<TVLLTextGroup>();
    for (const auto& [key, text] : texts) group->AddText(key, text);
    ws_.AddTextGroup(name, std::move(group));
    ws_.AddCommand(name, MakeTextgroupAsCommand(std::string(name)));
  }

  // Runs `call` over `record` (engine record text; no "marc" object when
  // `with_record` is false).
  CallResult Run(std::string_view call, std::string_view record, bool html = false,
                 bool with_record = true) {
    TVLLScript reader(call);
    std::string name;
    TVLLParams params;
    CallResult result;
    TVLLBaseCommand* command =
        reader.ParseCommand(name, &params) == TVLLScript::kOk ? ws_.FindCommand(name) : nullptr;
    if (!command) {
      ADD_FAILURE() << "call does not read or names no command: " << call;
      return result;
    }
    TVLLContext context;
    context.SetWorkSpace(&ws_);
    context.SetHtml(html);
    if (with_record) context.SetObject("marc", std::make_unique<TVLLString>(std::string(record)));
    std::unique_ptr<TVLLBaseCommand> clone = command->Clone();
    result.status = clone->Execute(context, &params);
    result.output = context.Output().Text();
    result.error_code = context.ErrorCode();
    result.error_where = context.ErrorWhere();
    result.error_message = context.ErrorMessage();
    result.error_detail = context.ErrorDetail();
    return result;
  }

  struct Row {
    const char* call;
    TVLLStatus status;
    const char* output;
  };
  // Runs each row's call over `record` and checks its status and output.
  void CheckRows(std::initializer_list<Row> rows, std::string_view record) {
    for (const Row& row : rows) {
      CallResult r = Run(row.call, record);
      EXPECT_EQ(r.status, row.status) << row.call;
      EXPECT_EQ(r.output, row.output) << row.call;
    }
  }

  TVLLWorkSpace ws_;
};

}  // namespace vellorax::vll2::testing
