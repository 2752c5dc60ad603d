// TVLLTagCommand: turns the fields of the run's MARC record into text. Its
// parameters choose the fields (a tag pattern), how many (a mode) and with
// which tag specification; the tag specification decides how each field looks.
// Every "tag" registration makes one, the built-in "script" is one, and the
// select command calls one under the name "tag".
//
// The run (parameters, field walk, HTML/text post-processing) lives in
// tag_command.cpp; the interpreter of the tag specification language
// (_Process and the element operations) in tag_spec_interpreter.cpp.
//
// A call whose parameter texts never change at its site (a script's own
// calls) keeps a plan there: the parameters split, the frames classified and
// converted for text mode, the tag specification found. In text mode a run
// whose output is such frames and noted literals around text that holds
// nothing to convert writes their converted forms instead of converting the
// whole output; anything else is converted as a whole.
//
// A clone serves one run; its working fields are never shared.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vll2/base_command.h"
#include "vll2/marc.h"
#include "vll2/pending_text.h"
#include "vll2/tag_program.h"

namespace vellorax::vll2 {

class TVLLString;

class TVLLTagCommand : public TVLLBaseCommand {
 public:
  // Used when no specification is given in the call or registered under the
  // tag pattern: the field's $a values if it has any, else its $b values.
  static constexpr std::string_view kDefaultSpec = "{?($a){$a / $a}::{?($b){$b / $b}}}";

  explicit TVLLTagCommand(std::string name, std::shared_ptr<TVLLObject> tag = nullptr);
  ~TVLLTagCommand() override;

  std::unique_ptr<TVLLBaseCommand> Clone() const override;

 protected:
  // _DoExecute, then what it wrote is passed through TextToHtml (HTML mode)
  // or HtmlToText, and finally unescaped.
  TVLLStatus DoExecute() override;

 private:
  struct CallPlan;
  // A parameter list split by its count (1 to 6): 1 pattern; 2 before,
  // pattern; 3 before, pattern, after; 4 before, pattern, mode, separator; 5
  // adds after; 6 puts the tag specification after the pattern. Views of the
  // call's parameter texts, which outlive the run.
  struct CallParameters {
    std::string_view before, pattern, mode, separator, after, spec;
  };
  // What the mode asks for: the first matching field formatted ("S", "R", or
  // a count of at least one), and after it every further one ("R", "B") or
  // further ones up to the count.
  struct RunMode {
    int max_count = 0;
    bool first = false;
    bool every = false;
  };
  // REQUIRES: 1 to 6 parameters. An empty mode is "S".
  static CallParameters SplitParameters(const TVLLParams& p);
  static RunMode ReadMode(std::string_view mode);
  // How a before, separator or after text is written.
  struct FramePlan {
    enum class Kind : std::uint8_t { kNone, kPlain, kEscaped, kEvaluated };
    Kind kind = Kind::kNone;
    // kNone/kPlain/kEscaped: written as `written` (the frame as unescaping
    // leaves it) unless the seam takes its first character.
    bool goes_raw = true;
    // A before frame that text mode writes converted at once (as_text), as
    // nothing the run writes after it looks at it (set by MakePlan).
    bool convert = false;
    std::string written;
    // The text written is longer than one character, so WriteText may drop
    // its first character, `first` (a line break or not).
    bool may_meet = false;
    bool first_breaks = false;
    char first = '\0';
    // Text mode, kNone/kPlain/kEscaped: the text written, converted.
    TVLLConvertedText as_text;
  };
  // A text of the tag specification written as it stands at `at`, noted so
  // that text mode can put its converted form in its place.
  struct WrittenText {
    int at;
    std::string_view raw;
    const TVLLConvertedText* as_text;
    bool in_place;  // ConvertAroundFrames: still there as written
  };

  // Reads the parameters, finds the record and walks the matching fields.
  TVLLStatus _DoExecute();
  // Takes the parameters from the call site's plan.
  void UsePlan(const CallPlan& plan);
  // Reads the parameters of a call without a plan, with their failure
  // messages; false when the run ends here.
  bool ReadParameters(TVLLStatus& status);
  // The plan kept at the running call's site, made now when the site has
  // none that is still right; null when the call has no fixed site or its
  // parameters do not read.
  // The plan stays at the site for the run: registrations and specification
  // texts do not change while a run is going on.
  const CallPlan* PlanForSite();
  // Makes the plan of `site` anew and keeps it there; null as PlanForSite.
  [[gnu::noinline]] const CallPlan* MakePlan(TVLLCommandCache& site);
  static FramePlan PlanFrame(std::string_view frame);
  // Writes the frame; true when it went out exactly as planned (nothing
  // dropped at the seam, nothing evaluated).
  bool WritePlannedFrame(const FramePlan& plan, std::string_view frame);
  // WritePlannedFrame's way for a frame that does not go out as planned.
  [[gnu::noinline]] void WriteUnplannedFrame(const FramePlan& plan, std::string_view frame);
  // True when a planned text (kPlain/kEscaped) would lose its first
  // character at the seam with the output as it is now.
  bool MeetsOutput(const FramePlan& plan) const;
  // Whether WritePlannedFrame would write the frame as planned now.
  bool FrameGoesAsPlanned(const FramePlan& plan) const;
  // Text mode after a planned run, before its after frame: when the before
  // frame went out as planned, and what follows it is noted texts that stand
  // alone and text that holds nothing the conversions change, puts the
  // converted forms in place of the frame and noted texts and returns true
  // (the after frame then goes out converted).
  bool ConvertAroundFrames(const CallPlan& plan, int start);
  // Text mode: a run whose before frame went out converted (FramePlan::convert)
  // and is not converted around its frames gets the frame back as written,
  // so that the whole output converts as usual; the noted texts are let go.
  [[gnu::noinline, gnu::cold]] void RestoreBefore(const CallPlan& plan);
  // Notes `raw`, just written at `at`, when text mode may convert it apart.
  void NoteWritten(int at, std::string_view raw, const TVLLConvertedText* as_text) {
    // Notes past `at` were taken back: the output is no longer than `at`.
    while (!written_.empty() &&
           written_.back().at + static_cast<int>(written_.back().raw.size()) > at) {
      written_.pop_back();
    }
    written_.push_back(WrittenText{at, raw, as_text, false});
  }
  // Lets go of the levels read for a run (run_holds_, program_hold_).
  [[gnu::noinline]] void ReleaseHolds();
  // FindFirstTag of the run's navigator with the tag pattern.
  [[gnu::noinline]] bool FindFirstField();
  // The tag specification of a call without a plan: the one given in the
  // call, else the one registered under the tag pattern, else the default.
  [[gnu::noinline]] void FindProgram();
  // Formats the current field with Spec.
  TVLLStatus _AddTag();
  // Writes Before, After or Separator: a special form is evaluated, a plain
  // text is replaced by its default-group text or written as it stands.
  void WriteFrame(std::string_view parameter);
  // "Missing ...:" followed by the parameter texts, each ended by CR LF.
  std::string ParameterListing(std::string_view message) const;

  // ---- tag specification interpreter (tag_spec_interpreter.cpp) ----
  // Runs one specification level; 0, or 9 for a syntax error.
  TVLLStatus _Process(const TVLLTagLevel& level);
  // An element of _Process other than a subfield reference or literal text;
  // false is a syntax error of the level, `status` set ends the level.
  bool _OtherElement(const TVLLTagOp& op, TVLLStatus& status);
  // Runs a level of literal texts, subfield references without options and
  // plain quoted texts (TVLLTagLevel::Plain). REQUIRES: marc_ is set.
  void RunPlain(const std::vector<TVLLTagOp>& ops);
  // Records the syntax error of `level`; 9.
  [[gnu::cold]] TVLLStatus LevelFailed(const TVLLTagLevel& level);
  // Writes Pending unless it is punctuation before the field's first output.
  void _FlushPending();
  // Writes Pending as it stands and empties it.
  void WritePending();
  // The element operations; false is a syntax error of the level.
  void _Subfield(const TVLLTagOp& op);
  void _EmitSubfield(int start, int count);
  void _FieldRef(const TVLLTagOp& op);
  bool _Ampersand(const TVLLTagOp& op);
  bool _Group(const TVLLTagOp& op);
  bool _Conditional(const TVLLTagOp& op);
  // 1 true, 2 false, 9 malformed.
  TVLLStatus _EvalCondition(const TVLLTagCondition& condition);
  bool _Operand(const TVLLTagOp& op, std::string& value);
  void _TextRef(const TVLLTagTextRef& ref);
  TVLLStatus _Command(const TVLLTagCall& call);
  // The call's parameters, those that are specifications run, into `result`.
  void _EvalParams(const TVLLTagCall& call, TVLLParams& result);
  // One parameter of _EvalParams that is a specification, with its own text
  // `own`: a lone subfield reference, or any other level.
  void LoneSubfieldParam(const TVLLTagOp& op, const std::string& own, std::string& result);
  void LevelParam(const TVLLTagLevel& level, const std::string& own, std::string& result);
  // A quoted item: a "%" reference, a "#" call, or the text itself.
  void QuotedItem(const TVLLTagOp& op);

  TVLLTagCommand(std::string name, std::shared_ptr<TVLLObject> tag,
                 std::shared_ptr<TVLLTagProgramCache> programs);

  // The read specifications, shared with every clone.
  std::shared_ptr<TVLLTagProgramCache> programs_;

  // Working fields of one run.
  const TVLLTagLevel* program_ = nullptr;
  std::shared_ptr<const TVLLTagLevel> program_hold_;  // keeps program_ when not registered
  const CallPlan* plan_ = nullptr;                    // the call site's, or null
  std::optional<TVLLMarc> own_marc_;                  // made by a run, kept for the next one
  TVLLMarc* marc_ = nullptr;                          // own_marc_, or the context's navigator
  // The run's parameters and mode: the plan's, or read_call_ and read_mode_
  // for a call without a plan.
  const CallParameters* call_ = &read_call_;
  const RunMode* mode_ = &read_mode_;
  CallParameters read_call_;
  RunMode read_mode_;
  TVLLPendingText pending_;
  // Levels read for this run only, kept while the pending text may view them.
  std::vector<std::shared_ptr<const TVLLTagLevel>> run_holds_;
  char last_code_ = ' ';
  int run_start_ = 0;
  int field_start_ = 0;
  int fields_written_ = 0;
  // Where the run's planned before frame went out as planned, else -1.
  int before_end_ = -1;
  bool converted_ = false;     // the run's output is in text form already
  bool before_converted_ = false;  // the planned before frame went out converted
  bool note_written_ = false;  // text mode with a plan: noting is worth it
  std::vector<WrittenText> written_;
  // Parameter lists of _Command by nesting depth, reused from call to call.
  std::vector<std::unique_ptr<TVLLParams>> call_params_;
  int call_depth_ = 0;
};

}  // namespace vellorax::vll2
