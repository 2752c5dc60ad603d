#include "vll2/tag_command.h"

#include <cstring>
#include <limits>

#include "vll2/byte_scan.h"
#include "vll2/marc.h"
#include "vll2/script.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

constexpr std::string_view kWhere = "vllTagCommand._DoExecute";
constexpr std::string_view kWhereAddTag = "vllTagCommand._DoExecute._AddTag";

// The leading decimal number of `s` (saturating), 0 when it has none.
int LeadingNumber(std::string_view s) {
  long long n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
    if (n > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  }
  return static_cast<int>(n);
}

// True when writing `frame` has no effect but the text it writes: no call, no
// text reference between "%" signs and no quoted item (a plain text may still
// name a text of the default group, which is only read).
bool IsPlainFrame(std::string_view frame) {
  if (frame.empty()) return true;
  const char first = frame.front();
  return first != '%' && first != '#' && first != '"' && first != '\'';
}

// False when the HTML or text conversion and the unescape that follow a run
// would give back `text` unchanged, so the common plain field text is not
// copied three times. Text mode changes only entities, markup and escapes;
// HTML mode also encodes quotes, ">" and every character from 128 up.
bool NeedsConversion(std::string_view text, bool html) {
  for (char c : text) {
    switch (c) {
      case '\\':
      case '&':
      case '<':
        return true;
      case '"':
      case '>':
        if (html) return true;
        break;
      default:
        if (html && static_cast<unsigned char>(c) >= 0x80) return true;
        break;
    }
  }
  return false;
}

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

bool HasConvertible(const char* begin, const char* end) {
  return FindFirstOf<false, '\\', '&', '<'>(begin, end) != end;
}

}  // namespace

TVLLTagCommand::RunMode TVLLTagCommand::ReadMode(std::string_view mode) {
  RunMode m;
  m.max_count = TVLLScript::IsDigit(mode[0]) ? LeadingNumber(mode) : 0;
  m.every = mode == "R" || mode == "B";
  m.first = mode == "S" || mode == "R" || m.max_count >= 1;
  return m;
}

TVLLTagCommand::CallParameters TVLLTagCommand::SplitParameters(const TVLLParams& p) {
  CallParameters c;
  switch (p.size()) {
    case 1:
      c.pattern = p[0];
      break;
    case 2:
      c.before = p[0];
      c.pattern = p[1];
      break;
    case 3:
      c.before = p[0];
      c.pattern = p[1];
      c.after = p[2];
      break;
    case 4:
    case 5:
      c.before = p[0];
      c.pattern = p[1];
      c.mode = p[2];
      c.separator = p[3];
      if (p.size() == 5) c.after = p[4];
      break;
    default:
      c.before = p[0];
      c.pattern = p[1];
      c.spec = p[2];
      c.mode = p[3];
      c.separator = p[4];
      c.after = p[5];
      break;
  }
  if (c.mode.empty()) c.mode = "S";
  return c;
}

// What a call site's fixed parameters decide, kept there: the parameters
// split, the frames classified and the tag specification found. Right while
// the workspace's registrations (the site lets go of it when they change) and
// the tag spec's text are unchanged.
struct TVLLTagCommand::CallPlan : TVLLCallSiteData {
  const TVLLParams* params = nullptr;
  const TVLLString* source = nullptr;
  unsigned source_changes = 0;
  CallParameters call;
  RunMode mode;
  FramePlan before, separator, after;
  const TVLLTagLevel* program = nullptr;
  std::shared_ptr<const TVLLTagLevel> hold;
};

namespace {

// True when running `program` on a field writes text without looking at
// what the output holds before the field: a level of literal texts, plain
// quoted texts and subfield references, alone or as the one block.
bool RunsPlain(const TVLLTagLevel& program) {
  const std::vector<TVLLTagOp>& ops = program.Ops();
  if (ops.size() == 1 && ops[0].kind == TVLLTagOp::Kind::kBlock) {
    ops[0].level->Ops();
    return ops[0].level->Plain();
  }
  return program.Plain();
}

}  // namespace

TVLLTagCommand::TVLLTagCommand(std::string name, std::shared_ptr<TVLLObject> tag)
    : TVLLTagCommand(std::move(name), std::move(tag), std::make_shared<TVLLTagProgramCache>()) {}

TVLLTagCommand::TVLLTagCommand(std::string name, std::shared_ptr<TVLLObject> tag,
                               std::shared_ptr<TVLLTagProgramCache> programs)
    : TVLLBaseCommand(std::move(name), std::move(tag)), programs_(std::move(programs)) {}

TVLLTagCommand::~TVLLTagCommand() = default;

std::unique_ptr<TVLLBaseCommand> TVLLTagCommand::Clone() const {
  return std::unique_ptr<TVLLBaseCommand>(new TVLLTagCommand(Name(), SharedTag(), programs_));
}

std::string TVLLTagCommand::ParameterListing(std::string_view message) const {
  std::string listing(message);
  for (int i = 0; i < ParamCount(); ++i) {
    listing += Param(i);
    listing += "\r\n";
  }
  return listing;
}

void TVLLTagCommand::WriteFrame(std::string_view parameter) {
  if (EvalParameter(parameter) == kStatusNotFound) WriteTextOrLiteral(parameter);
}

// A frame of no special form that cannot name a text is written by WriteText
// as it stands; it is unescaped here once instead of on every call.
TVLLTagCommand::FramePlan TVLLTagCommand::PlanFrame(std::string_view frame) {
  FramePlan plan;
  if (frame.empty()) {
    plan.as_text.stands_alone = plan.as_text.unchanged = true;
    return plan;
  }
  if (!IsPlainFrame(frame) || MayStartTextRef(frame)) {
    plan.kind = FramePlan::Kind::kEvaluated;
    plan.goes_raw = false;
    return plan;
  }
  if (frame.find('\\') == std::string_view::npos) {
    plan.kind = FramePlan::Kind::kPlain;
    plan.written.assign(frame);
  } else {
    plan.kind = FramePlan::Kind::kEscaped;
    plan.written = TVLLScript::Unescape(frame);
  }
  plan.may_meet = plan.written.size() > 1;
  if (plan.may_meet) {
    plan.first = plan.written.front();
    plan.first_breaks = IsLineBreak(plan.first);
  }
  plan.as_text = std::move(*ConvertText(plan.written));
  return plan;
}

// Worked out without branches: which frames meet the output differs from
// call site to call site.
inline bool TVLLTagCommand::MeetsOutput(const FramePlan& plan) const {
  const bool some = Output().Length() != 0;
  const char last = Output().LastChar();
  return plan.may_meet & some & ((plan.first == last) | (plan.first_breaks & IsLineBreak(last)));
}

inline bool TVLLTagCommand::WritePlannedFrame(const FramePlan& plan, std::string_view frame) {
  // WriteText drops nothing unless the first character meets the last: then
  // the text goes out whole, as planned (an empty one writes nothing).
  if (plan.goes_raw && !MeetsOutput(plan)) [[likely]] {
    WriteRaw(plan.written);
    return true;
  }
  WriteUnplannedFrame(plan, frame);
  return false;
}

void TVLLTagCommand::WriteUnplannedFrame(const FramePlan& plan, std::string_view frame) {
  switch (plan.kind) {
    case FramePlan::Kind::kPlain:
      WriteUnescaped(frame);
      break;
    case FramePlan::Kind::kEscaped:
      WriteText(frame);
      break;
    case FramePlan::Kind::kEvaluated:
      WriteFrame(frame);
      break;
    case FramePlan::Kind::kNone:
      break;
  }
}

inline bool TVLLTagCommand::FrameGoesAsPlanned(const FramePlan& plan) const {
  return plan.goes_raw && !MeetsOutput(plan);
}

// HtmlToText changes only backslash pairs, entities and markup, and Unescape
// only backslash pairs, so a middle without "\", "&" and "<" comes out as it
// went in; a before frame that stands alone converts apart from it, and the
// after frame ends the text.
bool TVLLTagCommand::ConvertAroundFrames(const CallPlan& plan, int start) {
  if (before_end_ < 0 || !plan.before.as_text.stands_alone) return false;
  const char* out = Output().Text().data();
  const size_t middle_end = static_cast<size_t>(Output().Length());
  // The noted texts still in place, in order; everything between them must
  // hold nothing to convert.
  size_t from = static_cast<size_t>(before_end_);
  for (WrittenText& w : written_) {
    const size_t at = static_cast<size_t>(w.at);
    const size_t end = at + w.raw.size();
    // One taken back or overwritten is plain text now, or not.
    w.in_place = at >= from && end <= middle_end && w.as_text->stands_alone &&
                 std::memcmp(out + at, w.raw.data(), w.raw.size()) == 0;
    if (!w.in_place) continue;
    if (HasConvertible(out + from, out + at)) return false;
    from = end;
  }
  if (HasConvertible(out + from, out + middle_end)) return false;
  // Converted texts are never longer than what they convert, so the output
  // is rewritten front to back where it stands; empty moves are skipped.
  char* data = Output().MutableData();
  size_t to = static_cast<size_t>(start);
  auto put = [&](const char* text, size_t size) {
    if (size == 0) return;
    std::memmove(data + to, text, size);
    to += size;
  };
  size_t gap = static_cast<size_t>(before_end_);
  if (before_converted_) {
    // Up to the first noted text everything stands where it belongs.
    to = gap;
  } else {
    const std::string& before = plan.before.as_text.converted;
    put(before.data(), before.size());
  }
  for (const WrittenText& w : written_) {
    if (!w.in_place) continue;
    if (to == gap) {
      to = static_cast<size_t>(w.at);
    } else {
      put(data + gap, static_cast<size_t>(w.at) - gap);
    }
    put(w.as_text->converted.data(), w.as_text->converted.size());
    gap = static_cast<size_t>(w.at) + w.raw.size();
  }
  if (to == gap) return true;  // nothing after the last text moves
  put(data + gap, middle_end - gap);
  Output().Truncate(static_cast<int>(to));
  return true;
}

inline const TVLLTagCommand::CallPlan* TVLLTagCommand::PlanForSite() {
  TVLLCommandCache* site = CallSite();
  if (site == nullptr) return nullptr;
  // The site's data was made under the registrations as they are now.
  if (site->data && site->data->owner == programs_.get()) [[likely]] {
    const auto* plan = static_cast<const CallPlan*>(site->data.get());
    if (plan->params == Parameters() &&
        (plan->source == nullptr || plan->source->Changes() == plan->source_changes)) [[likely]] {
      return plan;
    }
  }
  return MakePlan(*site);
}

const TVLLTagCommand::CallPlan* TVLLTagCommand::MakePlan(TVLLCommandCache& site) {
  const TVLLWorkSpace* ws = WorkSpace();
  const int count = ParamCount();
  if (ws == nullptr || count == 0 || count > 6) return nullptr;
  auto plan = std::make_shared<CallPlan>();
  plan->owner = programs_.get();
  plan->params = Parameters();
  plan->call = SplitParameters(*Parameters());
  if (plan->call.pattern.empty()) return nullptr;
  plan->mode = ReadMode(plan->call.mode);
  plan->before = PlanFrame(plan->call.before);
  plan->separator = PlanFrame(plan->call.separator);
  plan->after = PlanFrame(plan->call.after);
  if (!plan->call.spec.empty()) {
    plan->hold = programs_->Get(plan->call.spec);
    plan->program = plan->hold.get();
  } else {
    plan->program = ws->GetTagProgram(plan->call.pattern, plan->hold, &plan->source);
    if (plan->source != nullptr) plan->source_changes = plan->source->Changes();
  }
  if (plan->program == nullptr) {
    plan->hold = programs_->Get(kDefaultSpec);
    plan->program = plan->hold.get();
  }
  // Nothing between the frames looks at the before frame: the fields run
  // plain and a separator is written as it stands (an evaluated one might
  // run a command that reads the output).
  FramePlan& before = plan->before;
  before.convert = (before.kind == FramePlan::Kind::kPlain ||
                    before.kind == FramePlan::Kind::kEscaped) &&
                   before.as_text.stands_alone && !before.as_text.unchanged &&
                   plan->separator.kind != FramePlan::Kind::kEvaluated &&
                   RunsPlain(*plan->program);
  site.data = plan;
  return plan.get();
}

inline void TVLLTagCommand::UsePlan(const CallPlan& plan) {
  call_ = &plan.call;
  mode_ = &plan.mode;
}

bool TVLLTagCommand::ReadParameters(TVLLStatus& status) {
  read_call_ = {};
  read_mode_ = {};
  call_ = &read_call_;
  mode_ = &read_mode_;
  const int count = ParamCount();
  if (count == 0 || count > 6) {
    RecordError(kStatusWrongParams, kWhere, ParameterListing("Missing parameters:"), Name());
    status = kStatusWrongParams;
    return false;
  }
  read_call_ = SplitParameters(*Parameters());
  read_mode_ = ReadMode(read_call_.mode);
  if (read_call_.pattern.empty()) {
    RecordError(kStatusWrongParams, kWhere, ParameterListing("Missing tagspec:"), Name());
    status = kStatusWrongParams;
    return false;
  }
  return true;
}

[[gnu::always_inline]] inline TVLLStatus TVLLTagCommand::_DoExecute() {
  // A clone may serve one call after another: nothing is left from the last.
  // (_AddTag starts every field afresh; marc_ and program_ are set below.)
  pending_.clear();
  if (!run_holds_.empty() || program_hold_) [[unlikely]] {
    ReleaseHolds();
  }
  run_start_ = Output().Length();
  fields_written_ = 0;
  TVLLStatus status = kStatusWrongParams;
  // Kept for the run: the plan holds the tag spec it found.
  plan_ = PlanForSite();
  note_written_ = plan_ != nullptr && !Context().Html();
  if (plan_ != nullptr) [[likely]] {
    UsePlan(*plan_);
  } else if (!ReadParameters(status)) {
    return status;
  }

  bool looked = false;
  bool found = false;
  TVLLObject* record = Context().MarcObject();
  if (auto* text = AsText(record)) [[likely]] {
    // The navigator of the last run is made a fresh one over this record.
    if (own_marc_) [[likely]] {
      own_marc_->Reset(text->Value());
    } else {
      own_marc_.emplace(std::string_view(text->Value()), TVLLMarc::BorrowText{});
    }
    own_marc_->BorrowIndex(Context().RecordIndex(*text));  // lives for the run
    marc_ = &*own_marc_;
    // No matching field: a frame that can have no other effect would only be
    // written and taken back again.
    // The navigator is this run's own, so no frame can move it meanwhile.
    found = FindFirstField();
    looked = true;
    if (!found && IsPlainFrame(call_->before)) {
      marc_ = nullptr;
      Output().Truncate(run_start_);
      return kStatusOk;
    }
  } else {
    marc_ = dynamic_cast<TVLLMarc*>(record);
  }

  if (plan_) [[likely]] {
    if (note_written_ && plan_->before.convert && looked && FrameGoesAsPlanned(plan_->before)) {
      WriteRaw(plan_->before.as_text.converted);
      before_end_ = Output().Length();
      before_converted_ = true;
    } else if (WritePlannedFrame(plan_->before, call_->before)) {
      before_end_ = Output().Length();
    }
    program_ = plan_->program;
  } else {
    WriteFrame(call_->before);
    FindProgram();
  }
  const int m = Output().Length();

  if (marc_ != nullptr) [[likely]] {
    status = kStatusOk;
    if (looked ? found : FindFirstField()) {
      const RunMode& mode = *mode_;
      if (mode.first) status = _AddTag();
      // "R" and "B": every further field; a count: further fields until so
      // many were written.
      while (status == kStatusOk && (mode.every || (mode.max_count >= 1 && fields_written_ < mode.max_count)) &&
             marc_->FindNextTag()) {
        status = _AddTag();
      }
    }
  } else {
    RecordError(kStatusWrongParams, kWhere, ParameterListing("Missing Marcrecord:"), Name());
  }

  if (Output().Length() <= m) {
    Output().Truncate(run_start_);
  } else if (plan_) [[likely]] {
    // Text mode: when the frames and the noted texts convert apart from the
    // rest, the run is converted now and the after frame written converted.
    if (note_written_ && FrameGoesAsPlanned(plan_->after) &&
        ConvertAroundFrames(*plan_, run_start_)) {
      WriteRaw(plan_->after.as_text.converted);
      converted_ = true;
    } else {
      if (before_converted_) [[unlikely]] {
        RestoreBefore(*plan_);
      }
      WritePlannedFrame(plan_->after, call_->after);
    }
  } else {
    WriteFrame(call_->after);
  }
  marc_ = nullptr;
  program_ = nullptr;
  if (program_hold_) [[unlikely]] {
    ReleaseHolds();
  }
  return status;
}

void TVLLTagCommand::RestoreBefore(const CallPlan& plan) {
  const size_t converted = plan.before.as_text.converted.size();
  const std::string rest = Output().TextFrom(run_start_ + static_cast<int>(converted));
  Output().Truncate(run_start_);
  WriteRaw(plan.before.written);
  WriteRaw(rest);
  before_end_ = run_start_ + static_cast<int>(plan.before.written.size());
  before_converted_ = false;
  written_.clear();
}

void TVLLTagCommand::ReleaseHolds() {
  run_holds_.clear();
  program_hold_.reset();
}

bool TVLLTagCommand::FindFirstField() {
  return marc_->FindFirstTag(call_->pattern);
}

void TVLLTagCommand::FindProgram() {
  if (!call_->spec.empty()) {
    program_hold_ = programs_->Get(call_->spec);
    program_ = program_hold_.get();
  } else if (WorkSpace()) {
    program_ = WorkSpace()->GetTagProgram(call_->pattern, program_hold_);
  }
  if (!program_) {
    program_hold_ = programs_->Get(kDefaultSpec);
    program_ = program_hold_.get();
  }
}

TVLLStatus TVLLTagCommand::_AddTag() {
  pending_.clear();
  last_code_ = ' ';
  field_start_ = Output().Length();
  const std::string_view separator = call_->separator;
  if (!separator.empty() && fields_written_ > 0) {
    if (plan_) {
      WritePlannedFrame(plan_->separator, separator);
    } else {
      WriteFrame(separator);
    }
  }

  const int n = Output().Length();
  const TVLLStatus status = _Process(*program_);
  if (Output().Length() <= n) Output().Truncate(field_start_);
  if (status != kStatusOk) {
    RecordError(status, kWhereAddTag, "Error in script:" + std::string(program_->Text()), Name());
  }
  if (Output().Length() > field_start_) ++fields_written_;
  return status;
}

TVLLStatus TVLLTagCommand::DoExecute() {
  const int s = Output().Length();
  before_end_ = -1;
  before_converted_ = false;
  converted_ = false;
  written_.clear();
  const TVLLStatus status = _DoExecute();
  plan_ = nullptr;
  if (converted_ || Output().Length() <= s) return status;
  const std::string_view written = std::string_view(Output().Text()).substr(s);
  if (!NeedsConversion(written, Context().Html())) return status;
  // Converted where it stands; unescaping changes only backslash pairs.
  if (Context().Html()) {
    Output().TextToHtmlFrom(s);
    Output().UnescapeFrom(s);
  } else {
    Output().HtmlToTextAndUnescapeFrom(s);
  }
  return status;
}

}  // namespace vellorax::vll2
