// TVLL2W: the version 2 macro engine behind the VLL2 automation object. Owns
// one workspace; Command registers definitions from text, Execute runs one
// registered command over one MARC record text and returns what it wrote.
// Used by one thread at a time.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vellorax::vll2 {

class TVLLContext;
class TVLLWorkSpace;

// A failure that leaves the engine; what() is the exact message.
class EVLL2Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TVLL2W {
 public:
  // Makes the workspace with the built-in commands "txt", "select", "count"
  // and "script".
  TVLL2W();
  ~TVLL2W();
  TVLL2W(const TVLL2W&) = delete;
  TVLL2W& operator=(const TVLL2W&) = delete;

  // Registers `ACommand` under `AName` as a "tag", "constant", "table" or
  // (any other type) script definition. Returns "" on success, the
  // "Unknown action" message for an action other than "add", and, with Debug
  // set, the "VLL command error: ..." message of a failing definition, which
  // without Debug is thrown as EVLL2Error instead.
  std::string Command(std::string_view AName, std::string_view AType, std::string_view ACommand,
                      std::string_view AAction);
  // Runs `AName` over the record `ARecord` (repaired first when `AFix`).
  // Returns the output, or "" on a failing status ("VLL2 execute error: ..."
  // with Debug). A failure escaping the run throws EVLL2Error("VLL execute
  // error: ...").
  std::string Execute(std::string_view AName, std::string_view ARecord, bool AFix);
  // Execute's result as a view, valid until the next Execute or ExecuteView
  // on this engine: the output's memory then serves run after run (the
  // record-by-record formatting path). Failures as for Execute.
  std::string_view ExecuteView(std::string_view AName, std::string_view ARecord, bool AFix);

  void SetDebug(bool debug) { debug_ = debug; }
  void SetHtml(bool html) { html_ = html; }

  TVLLWorkSpace& WorkSpace() { return *work_space_; }

 private:
  void AddDefinitionLines(std::string_view AName, const std::string& type,
                          std::string_view ACommand);
  // Execute's run. With `hand_over`, its result is moved there (the
  // context's output then starts afresh) and "" returned; otherwise the
  // result is returned as a view valid until the next run: of the kept
  // context's output, or of a copy where the context is not kept.
  std::string_view Run(std::string_view AName, std::string_view ARecord, bool AFix,
                       std::string* hand_over);

  std::unique_ptr<TVLLWorkSpace> work_space_;
  // The context of the last run, made ready for the next one so that its
  // memory (record copy, record index) serves record after record; taken
  // while a run uses it.
  std::unique_ptr<TVLLContext> spare_context_;
  // What ExecuteView returned last, where no kept context holds it.
  std::string view_result_;
  bool debug_ = false;
  bool html_ = false;
};

}  // namespace vellorax::vll2
