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

bool HasConvertible(std::string_view text) {
  const char* end = text.data() + text.size();
  return FindFirstOf<false, '\\', '&', '<'>(text.data(), end) != end;
}

// Splits a parameter list by its count (1 to 6): 1 pattern; 2 before,
// pattern; 3 before, pattern, after; 4 before, pattern, mode, separator; 5
// adds after; 6 puts the tag specification after the pattern.
struct CallParameters {
  std::string_view before, pattern, mode, separator, after, spec;
};

CallParameters SplitParameters(const TVLLParams& p) {
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

}  // namespace

// What a call site's fixed parameters decide, kept there: the parameters
// split, the frames classified and the tag specification found. Right while
// the workspace's registrations and the tag spec's text are unchanged.
struct TVLLTagCommand::CallPlan : TVLLCallSiteData {
  const TVLLWorkSpace* work_space = nullptr;
  std::uint64_t version = 0;
  const TVLLParams* params = nullptr;
  const TVLLString* source = nullptr;
  unsigned source_changes = 0;
  CallParameters call;
  int max_count = 0;
  FramePlan before, separator, after;
  const TVLLTagLevel* program = nullptr;
  std::shared_ptr<const TVLLTagLevel> hold;
};

TVLLTagCommand::TVLLTagCommand(std::string name, std::shared_ptr<TVLLObject> tag)
    : TVLLTagCommand(std::move(name), std::move(tag), std::make_shared<TVLLTagProgramCache>()) {}

TVLLTagCommand::TVLLTagCommand(std::string name, std::shared_ptr<TVLLObject> tag,
                               std::shared_ptr<TVLLTagProgramCache> programs)
    : TVLLBaseCommand(std::move(name), std::move(tag)), programs_(std::move(programs)) {}

TVLLTagCommand::~TVLLTagCommand() = default;

std::unique_ptr<TVLLBaseCommand> TVLLTagCommand::Clone() const {
  return std::unique_ptr<TVLLBaseCommand>(new TVLLTagCommand(Name(), SharedTag(), programs_));
}

TVLLStatus TVLLTagCommand::DoExecute() {
  const int s = Output().Length();
  before_end_ = after_start_ = -1;
  written_.clear();
  const TVLLStatus status = _DoExecute();
  const CallPlan* plan = plan_;
  plan_ = nullptr;
  if (Output().Length() <= s) return status;
  const std::string_view written = std::string_view(Output().Text()).substr(s);
  if (!NeedsConversion(written, Context().Html())) return status;
  if (plan != nullptr && !Context().Html() && ConvertAroundFrames(*plan, s)) return status;
  // Converted where it stands; unescaping changes only backslash pairs.
  if (Context().Html()) {
    Output().TextToHtmlFrom(s);
    Output().UnescapeFrom(s);
  } else {
    Output().HtmlToTextAndUnescapeFrom(s);
  }
  return status;
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
    return plan;
  }
  std::string_view written = frame;
  if (frame.find('\\') == std::string_view::npos) {
    plan.kind = FramePlan::Kind::kPlain;
  } else {
    plan.kind = FramePlan::Kind::kEscaped;
    plan.unescaped = TVLLScript::Unescape(frame);
    written = plan.unescaped;
  }
  plan.as_text = std::move(*ConvertText(written));
  return plan;
}

bool TVLLTagCommand::WritePlannedFrame(const FramePlan& plan, std::string_view frame) {
  switch (plan.kind) {
    case FramePlan::Kind::kNone:
      return true;
    case FramePlan::Kind::kPlain: {
      const int m = Output().Length();
      WriteUnescaped(frame);
      return Output().Length() - m == static_cast<int>(frame.size());
    }
    case FramePlan::Kind::kEscaped: {
      // WriteText drops nothing unless the first character meets the last.
      const std::string& text = plan.unescaped;
      const char last = Output().LastChar();
      if (Output().Length() == 0 || text.size() <= 1 ||
          !(text[0] == last || (IsLineBreak(text[0]) && IsLineBreak(last)))) {
        WriteRaw(text);
        return true;
      }
      WriteText(frame);
      return false;
    }
    case FramePlan::Kind::kEvaluated:
      WriteFrame(frame);
      return false;
  }
  return false;
}

// HtmlToText changes only backslash pairs, entities and markup, and Unescape
// only backslash pairs, so a middle without "\", "&" and "<" comes out as it
// went in; a before frame that stands alone converts apart from it, and the
// after frame ends the text.
bool TVLLTagCommand::ConvertAroundFrames(const CallPlan& plan, int start) {
  if (before_end_ < 0 || after_start_ < 0 || !plan.before.as_text.stands_alone) return false;
  const std::string_view out = Output().Text();
  // The noted texts still in place, in order; everything between them must
  // hold nothing to convert.
  pieces_.clear();
  int from = before_end_;
  for (const WrittenText& w : written_) {
    const int end = w.at + static_cast<int>(w.raw.size());
    if (w.at < from || end > after_start_ || !w.as_text->stands_alone ||
        out.compare(static_cast<size_t>(w.at), w.raw.size(), w.raw) != 0) {
      continue;  // taken back or overwritten: it is plain text now, or not
    }
    if (HasConvertible(out.substr(static_cast<size_t>(from), static_cast<size_t>(w.at - from)))) {
      return false;
    }
    pieces_.push_back(&w);
    from = end;
  }
  if (HasConvertible(out.substr(static_cast<size_t>(from), static_cast<size_t>(after_start_ - from)))) {
    return false;
  }
  // Converted texts are never longer than what they convert, so the output
  // is rewritten front to back where it stands.
  char* data = Output().MutableData();
  size_t to = static_cast<size_t>(start);
  auto put = [&](std::string_view text) {
    std::memmove(data + to, text.data(), text.size());
    to += text.size();
  };
  put(plan.before.as_text.converted);
  size_t gap = static_cast<size_t>(before_end_);
  for (const WrittenText* w : pieces_) {
    put(std::string_view(data + gap, static_cast<size_t>(w->at) - gap));
    put(w->as_text->converted);
    gap = static_cast<size_t>(w->at) + w->raw.size();
  }
  put(std::string_view(data + gap, static_cast<size_t>(after_start_) - gap));
  put(plan.after.as_text.converted);
  Output().Truncate(static_cast<int>(to));
  return true;
}

void TVLLTagCommand::NoteWritten(int at, std::string_view raw, const TVLLConvertedText* as_text) {
  // Notes past `at` were taken back: the output is no longer than `at`.
  while (!written_.empty() && written_.back().at + static_cast<int>(written_.back().raw.size()) > at) {
    written_.pop_back();
  }
  written_.push_back(WrittenText{at, raw, as_text});
}

const TVLLTagCommand::CallPlan* TVLLTagCommand::PlanForSite() {
  TVLLCommandCache* site = CallSite();
  const TVLLWorkSpace* ws = WorkSpace();
  if (site == nullptr || ws == nullptr) return nullptr;
  const std::uint64_t version = ws->CommandsVersion();
  if (site->data && site->data->owner == programs_.get()) {
    const auto* plan = static_cast<const CallPlan*>(site->data.get());
    if (plan->work_space == ws && plan->version == version && plan->params == Parameters() &&
        (plan->source == nullptr || plan->source->Changes() == plan->source_changes)) {
      return plan;
    }
  }
  const int count = ParamCount();
  if (count == 0 || count > 6) return nullptr;
  auto plan = std::make_shared<CallPlan>();
  plan->owner = programs_.get();
  plan->work_space = ws;
  plan->version = version;
  plan->params = Parameters();
  plan->call = SplitParameters(*Parameters());
  if (plan->call.pattern.empty()) return nullptr;
  const std::string_view mode = plan->call.mode;
  plan->max_count = TVLLScript::IsDigit(mode[0]) ? LeadingNumber(mode) : 0;
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
  site->data = plan;
  return plan.get();
}

bool TVLLTagCommand::ReadParameters(const CallPlan* plan, TVLLStatus& status) {
  auto use = [this](const CallParameters& c) {
    before_ = c.before;
    tag_pattern_ = c.pattern;
    mode_ = c.mode;
    separator_ = c.separator;
    after_ = c.after;
    spec_ = c.spec;
  };
  if (plan != nullptr) {
    use(plan->call);
    max_count_ = plan->max_count;
    return true;
  }
  const int count = ParamCount();
  if (count == 0 || count > 6) {
    RecordError(kStatusWrongParams, kWhere, ParameterListing("Missing parameters:"), Name());
    status = kStatusWrongParams;
    return false;
  }
  use(SplitParameters(*Parameters()));
  max_count_ = TVLLScript::IsDigit(mode_[0]) ? LeadingNumber(mode_) : 0;
  if (tag_pattern_.empty()) {
    RecordError(kStatusWrongParams, kWhere, ParameterListing("Missing tagspec:"), Name());
    status = kStatusWrongParams;
    return false;
  }
  return true;
}

TVLLStatus TVLLTagCommand::_DoExecute() {
  // A clone may serve one call after another: nothing is left from the last.
  before_ = tag_pattern_ = mode_ = separator_ = after_ = spec_ = {};
  max_count_ = 0;
  pending_.clear();
  run_holds_.clear();
  last_code_ = ' ';
  field_start_ = 0;
  marc_ = nullptr;
  own_marc_.reset();
  program_ = nullptr;
  program_hold_.reset();
  run_start_ = Output().Length();
  fields_formatted_ = 0;
  fields_written_ = 0;
  TVLLStatus status = kStatusWrongParams;
  // Kept for the run: the plan holds the tag spec it found.
  plan_ = PlanForSite();
  note_written_ = plan_ != nullptr && !Context().Html();
  if (!ReadParameters(plan_, status)) return status;

  bool looked = false;
  bool found = false;
  TVLLObject* record = Context().MarcObject();
  if (auto* text = AsText(record)) {
    own_marc_.emplace(std::string_view(text->Value()), TVLLMarc::BorrowText{});
    own_marc_->BorrowIndex(Context().RecordIndex(*text));  // lives for the run
    marc_ = &*own_marc_;
    // No matching field: a frame that can have no other effect would only be
    // written and taken back again.
    // The navigator is this run's own, so no frame can move it meanwhile.
    found = marc_->FindFirstTag(tag_pattern_);
    looked = true;
    if (!found && IsPlainFrame(before_)) {
      marc_ = nullptr;
      own_marc_.reset();
      Output().Truncate(run_start_);
      return kStatusOk;
    }
  } else if (auto* navigator = dynamic_cast<TVLLMarc*>(record)) {
    marc_ = navigator;
  }

  if (plan_) {
    if (WritePlannedFrame(plan_->before, before_)) before_end_ = Output().Length();
  } else {
    WriteFrame(before_);
  }
  const int m = Output().Length();

  if (plan_) {
    program_ = plan_->program;
  } else if (!spec_.empty()) {
    program_hold_ = programs_->Get(spec_);
    program_ = program_hold_.get();
  } else if (WorkSpace()) {
    program_ = WorkSpace()->GetTagProgram(tag_pattern_, program_hold_);
  }
  if (!program_) {
    program_hold_ = programs_->Get(kDefaultSpec);
    program_ = program_hold_.get();
  }
  if (!marc_)
    RecordError(kStatusWrongParams, kWhere, ParameterListing("Missing Marcrecord:"), Name());

  if (marc_) {
    status = kStatusOk;
    if (looked ? found : marc_->FindFirstTag(tag_pattern_)) {
      const bool every = mode_ == "R" || mode_ == "B";
      if (mode_ == "S" || mode_ == "R" || max_count_ >= 1) status = _AddTag();
      if (every) {
        while (status == kStatusOk && marc_->FindNextTag()) status = _AddTag();
      } else if (max_count_ >= 1) {
        while (status == kStatusOk && fields_written_ < max_count_ && marc_->FindNextTag()) {
          status = _AddTag();
        }
      }
    }
  }

  if (Output().Length() <= m) {
    Output().Truncate(run_start_);
  } else if (plan_) {
    const int a = Output().Length();
    if (WritePlannedFrame(plan_->after, after_)) after_start_ = a;
  } else {
    WriteFrame(after_);
  }
  marc_ = nullptr;
  own_marc_.reset();
  program_ = nullptr;
  program_hold_.reset();
  return status;
}

TVLLStatus TVLLTagCommand::_AddTag() {
  pending_.clear();
  last_code_ = ' ';
  field_start_ = Output().Length();
  if (!separator_.empty() && fields_written_ > 0) {
    if (plan_) {
      WritePlannedFrame(plan_->separator, separator_);
    } else {
      WriteFrame(separator_);
    }
  }

  const int n = Output().Length();
  const TVLLStatus status = _Process(*program_);
  if (Output().Length() <= n) Output().Truncate(field_start_);
  if (status != kStatusOk) {
    RecordError(status, kWhereAddTag, "Error in script:" + std::string(program_->Text()), Name());
  }
  if (Output().Length() > field_start_) ++fields_written_;
  ++fields_formatted_;
  return status;
}

}  // namespace vellorax::vll2
