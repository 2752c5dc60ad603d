// TVLLBaseCommand: the base of every macro command. A command is run with a
// context and an optional list of parameter texts; it writes to the context's
// output and returns a status (status.h). Registered commands are never run
// themselves: every run works on a Clone, which shares the attached object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vll2/context.h"
#include "vll2/status.h"
#include "vll2/vll_string.h"

namespace vellorax::vll2 {

class TVLLBaseCommand;
class TVLLTextGroup;
class TVLLWorkSpace;

// The parameter texts of one call, as the script reader reads them.
using TVLLParams = std::vector<std::string>;

// What a command derived from the parameter texts of one call site, kept
// there for its next run. `owner` tells the command that made it from others.
struct TVLLCallSiteData {
  virtual ~TVLLCallSiteData() = default;
  const void* owner = nullptr;
};

// What FindCommand answered for one call site, kept while the workspace's
// registrations stay as they were (TVLLWorkSpace::CommandsVersion).
struct TVLLCommandCache {
  const TVLLWorkSpace* work_space = nullptr;
  std::uint64_t version = 0;
  TVLLBaseCommand* command = nullptr;
  // True at call sites whose parameter texts are the same on every call (a
  // script's own calls): the command found may keep `data` there.
  bool fixed_parameters = false;
  std::shared_ptr<const TVLLCallSiteData> data;
};

class TVLLBaseCommand : public TVLLObject {
 public:
  // `tag` is the attached object (the script text of a script command), shared
  // with every clone; may be null.
  explicit TVLLBaseCommand(std::string name, std::shared_ptr<TVLLObject> tag = nullptr);
  ~TVLLBaseCommand() override;

  // A fresh instance of the same class with the same name and the same
  // attached object; working fields start empty. Every subclass overrides it.
  virtual std::unique_ptr<TVLLBaseCommand> Clone() const;
  // A clone for one run: a clone that finished an earlier run when one is
  // kept (every run starts from empty working fields), otherwise Clone().
  std::unique_ptr<TVLLBaseCommand> TakeClone() const;
  // Keeps `clone`, taken from this command, for a later run.
  void ReturnClone(std::unique_ptr<TVLLBaseCommand> clone) const;

  // Runs the command: stores `context` and `parameters` (null: no parameter
  // list, as at the top level) for DoExecute and returns its status. Counts
  // one nesting level: past kMaxNestingDepth it records status 9 and returns 9
  // without running. `call_site` is offered to DoExecute (CallSite) only when
  // its parameters are fixed and it holds FindCommand's answer for the
  // context's workspace as its registrations are now.
  TVLLStatus Execute(TVLLContext& context, const TVLLParams* parameters,
                     TVLLCommandCache* call_site = nullptr);

  // Runs a clone of the workspace command `name` with this run's context; 6
  // (error recorded) when there is none. REQUIRES: inside Execute.
  TVLLStatus CallCommand(std::string_view name, const TVLLParams* parameters,
                         TVLLCommandCache* cache = nullptr);

  // Writes a parameter that has a special form ("" nothing, "%...%" a text
  // reference, "#name(...)" a call, a quoted string); 6 for any other form,
  // 9 (error recorded) when the form does not read. REQUIRES: inside Execute.
  virtual TVLLStatus EvalParameter(std::string_view parameter);
  // EvalParameter, and for a parameter of no special form WriteTextOrLiteral.
  TVLLStatus WriteParameter(std::string_view parameter);
  // Writes the text that the leading key of `parameter` names in the default
  // text group, or else `parameter` itself. Always 0.
  TVLLStatus WriteTextOrLiteral(std::string_view parameter);
  // Looks `key` up in `group` (empty: the workspace's first text group) for
  // `language` (empty: the context's, else the workspace's). 0 and the text
  // when a non-empty text is found, otherwise 6 and `text` emptied.
  TVLLStatus GetGroupText(std::string_view group, std::string_view key, std::string_view language,
                          std::string& text);
  // The same text as stored, without a copy; null where GetGroupText gives 6.
  // Valid until the workspace's text groups change.
  const std::string* GroupText(std::string_view group, std::string_view key,
                               std::string_view language);
  // Unescapes `text` and appends it, dropping leading characters that repeat
  // the output's last character (or line breaks meeting line breaks) while
  // more than one character is left.
  void WriteText(std::string_view text);
  // Appends `text` unchanged.
  void WriteRaw(std::string_view text) { Output().Append(text); }
  // WriteText for a text that holds no backslash.
  void WriteUnescaped(std::string_view text);

  const std::string& Name() const { return name_; }
  TVLLObject* Tag() const { return tag_.get(); }
  const std::shared_ptr<TVLLObject>& SharedTag() const { return tag_; }

 protected:
  // The command's own work; the base writes nothing and returns 0.
  virtual TVLLStatus DoExecute();

  // REQUIRES: inside Execute.
  TVLLContext& Context() const { return *context_; }
  TVLLWorkSpace* WorkSpace() const;
  TVLLStringBuilder& Output() const { return context_->Output(); }
  // The parameter list of the running call, or null.
  const TVLLParams* Parameters() const { return parameters_; }
  // The running call's site when its parameter texts never change there
  // (TVLLCommandCache::fixed_parameters), else null. What it keeps in `data`
  // was made under the workspace's registrations as they are now: CallCommand
  // lets go of it whenever they change.
  TVLLCommandCache* CallSite() const { return call_site_; }
  // The plan that `owner` keeps at the running call's site, when it was made
  // for this parameter list; else null. `Plan` derives from TVLLCallSiteData
  // and holds the list it was made for as `params`.
  template <class Plan>
  const Plan* KeptSitePlan(const void* owner) const {
    if (call_site_ == nullptr || !call_site_->data || call_site_->data->owner != owner) {
      return nullptr;
    }
    const auto* plan = static_cast<const Plan*>(call_site_->data.get());
    return plan->params == parameters_ ? plan : nullptr;
  }
  // Puts a new plan of `owner` for this parameter list at the call's site,
  // in place of what was kept there, and returns it to be filled in.
  // REQUIRES: CallSite() is not null.
  template <class Plan>
  Plan* KeepSitePlan(const void* owner) {
    auto plan = std::make_shared<Plan>();
    plan->owner = owner;
    plan->params = parameters_;
    Plan* filled = plan.get();
    call_site_->data = std::move(plan);
    return filled;
  }
  int ParamCount() const { return parameters_ ? static_cast<int>(parameters_->size()) : 0; }
  // The 0-based parameter `index`; "" when absent.
  const std::string& Param(int index) const {
    if (parameters_ == nullptr || index < 0 || index >= ParamCount()) return NoParam();
    return (*parameters_)[static_cast<size_t>(index)];
  }
  // False when `parameter` cannot begin with a text reference, which needs a
  // name character or "%" after any blanks: such frames ("<div>", ", ") are
  // written as they stand.
  static bool MayStartTextRef(std::string_view parameter);
  // The context's SetError (first error wins).
  void RecordError(TVLLStatus code, std::string_view where, std::string_view message,
                   std::string_view detail);

 private:
  static const std::string& NoParam();
  // Execute for the call site the run is offered (CallSite): null, or one
  // with fixed parameters that is current.
  TVLLStatus Run(TVLLContext& context, const TVLLParams* parameters, TVLLCommandCache* call_site);
  // CallCommand when `cache` does not hold the answer: FindCommand, kept in
  // `cache` (its `data` let go) when there is one.
  [[gnu::noinline]] TVLLBaseCommand* FindForCall(std::string_view name, TVLLCommandCache* cache,
                                                 const TVLLWorkSpace* ws);
  // CallCommand's path for a command without a ready clone.
  [[gnu::noinline]] TVLLStatus CallSpareClone(TVLLBaseCommand& command,
                                              const TVLLParams* parameters,
                                              TVLLCommandCache* call_site);
  // CallCommand's failure for a name that finds no command: 6, recorded.
  [[gnu::cold]] TVLLStatus CommandNotFound(std::string_view name);
  struct ParameterCall;
  // The "#name(...)" parameter `parameter` as read, from the calls kept by
  // this command (a clone serves one call after another) or read now.
  std::shared_ptr<const ParameterCall> ReadParameterCall(std::string_view parameter);

  std::string name_;
  std::shared_ptr<TVLLObject> tag_;
  // The running call's; left as they are after it (only read inside Execute).
  TVLLContext* context_ = nullptr;
  const TVLLParams* parameters_ = nullptr;
  TVLLCommandCache* call_site_ = nullptr;
  // Clones kept by a registered command for its next calls, so that the
  // commands a display calls for every record are not made anew each time.
  mutable std::vector<std::unique_ptr<TVLLBaseCommand>> spare_clones_;
  // The first of them, kept apart: the one nearly every call takes.
  mutable std::unique_ptr<TVLLBaseCommand> ready_clone_;
  // "#name(...)" parameters read by EvalParameter, a few, by their text.
  std::vector<std::shared_ptr<const ParameterCall>> parameter_calls_;
  // What GroupText answered lately, right while the registrations
  // (CommandsVersion) and the group's entries (Changes) are as then.
  struct TextFound {
    const TVLLWorkSpace* work_space = nullptr;
    std::uint64_t version = 0;
    std::string group_name;
    std::string key;
    std::string language;  // as looked up: the context's or workspace's when none was given
    const TVLLTextGroup* group = nullptr;
    unsigned changes = 0;
    const std::string* text = nullptr;
  };
  std::vector<TextFound> texts_found_;
  size_t next_text_found_ = 0;  // the one replaced next when all are in use
};

}  // namespace vellorax::vll2
