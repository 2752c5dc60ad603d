#include "vll2/count_command.h"

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "vll2/marc.h"
#include "vll2/script.h"
#include "vll2/text_group.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

// Never the first character of a written text, and no line break.
constexpr std::string_view kSeamGuard = "\x01";

// Marks the call-site data that count commands keep.
constexpr char kCountPlanOwner = 0;

}  // namespace

// At a call site whose parameters never change, a pattern parameter that is
// written exactly as it stands (no special form, no escape, no key of the
// default text group) is the pattern itself. That group is checked on every
// run, so that a text registered under the key later is used at once; the
// workspace's registrations need no check, as the site lets go of its data
// whenever they change.
struct TVLLCountCommand::SitePlan : TVLLCallSiteData {
  const TVLLParams* params = nullptr;
  const TVLLTextGroup* group = nullptr;
  unsigned group_changes = 0;
  std::vector<char> as_written;  // by parameter index
  // Every pattern parameter is written as it stands: no command runs
  // between the patterns' counts.
  bool all_written = false;
};

const TVLLCountCommand::SitePlan* TVLLCountCommand::PlanForSite() {
  const TVLLWorkSpace* ws = WorkSpace();
  if (CallSite() == nullptr || ws == nullptr) return nullptr;
  const TVLLTextGroup* group = ws->GetTextGroup(0);
  if (const SitePlan* kept = KeptSitePlan<SitePlan>(&kCountPlanOwner)) {
    if (kept->group == group && (group == nullptr || kept->group_changes == group->Changes())) {
      return kept;
    }
  }
  SitePlan* plan = KeepSitePlan<SitePlan>(&kCountPlanOwner);
  plan->group = group;
  plan->group_changes = group ? group->Changes() : 0;
  plan->as_written.resize(static_cast<size_t>(ParamCount()));
  for (int i = 0; i < ParamCount(); ++i) {
    const std::string_view p = Param(i);
    if (p.empty() || p[0] == kSeamGuard[0] || p.find('\\') != std::string_view::npos) continue;
    if (p[0] == '%' || p[0] == '#' || p[0] == '"' || p[0] == '\'') continue;
    if (MayStartTextRef(p)) {
      // Written as it stands only when its key is no entry of the group.
      size_t from = 0;
      while (TVLLScript::IsBlank(p[from])) ++from;
      size_t to = from;
      while (to < p.size() && TVLLScript::IsNameChar(p[to])) ++to;
      const bool single_key = to > from && (to == p.size() || (p[to] != '.' && p[to] != '%'));
      if (!single_key) continue;
      if (group != nullptr && group->Items().IndexOf(p.substr(from, to - from)) >= 0) continue;
    }
    plan->as_written[static_cast<size_t>(i)] = 1;
  }
  const int count = ParamCount();
  const int first_item = count == 1 ? 0 : 1;
  const int end_item = count >= 3 ? count - 1 : count;
  plan->all_written = true;
  for (int i = first_item; i < end_item; ++i) {
    if (!plan->as_written[static_cast<size_t>(i)]) plan->all_written = false;
  }
  return plan;
}

std::unique_ptr<TVLLBaseCommand> TVLLCountCommand::Clone() const {
  return std::make_unique<TVLLCountCommand>(Name(), SharedTag());
}

TVLLStatus TVLLCountCommand::MissingRecord() {
  std::string message = "Missing Marcrecord";
  for (int p = 0; p < ParamCount(); ++p) message += Param(p) + "\r\n";
  RecordError(kStatusOk, "vllTagCommand._DoExecute", message, Name());
  return kStatusOk;
}

TVLLStatus TVLLCountCommand::DoExecute() {
  const int count = ParamCount();
  if (count == 0) {
    RecordError(kStatusWrongParams, "vll2CountCommand", "Mising parameters", Name());
    return kStatusWrongParams;
  }
  const int first_item = count == 1 ? 0 : 1;
  const int end_item = count >= 3 ? count - 1 : count;
  // An empty frame writes nothing.
  if (count >= 2 && !Param(0).empty()) WriteText(Param(0));
  const SitePlan* plan = PlanForSite();
  long long total = 0;
  std::string written;
  // The record's navigator, made for the first pattern that is counted.
  std::optional<TVLLMarc> marc;
  for (int i = first_item; i < end_item; ++i) {
    std::string_view pattern = Param(i);
    if (plan == nullptr || !plan->as_written[static_cast<size_t>(i)]) {
      // The pattern is what the item writes, behind a guard character so that
      // WriteText's seam rule cannot drop its first character ("7" before
      // "700" would otherwise count "00").
      const int m = Output().Length();
      Output().Append(kSeamGuard);
      const TVLLStatus status = WriteParameter(Param(i));
      written = Output().TextFrom(m + 1);
      Output().Truncate(m);
      if (status == kStatusSyntax) return kStatusSyntax;
      if (status != kStatusOk || written.empty()) continue;
      pattern = written;
    }
    // The record is looked up anew while items may have run commands.
    if (!marc || plan == nullptr || !plan->all_written) {
      TVLLObject* record = Context().MarcObject();
      std::string_view text;
      if (auto* value = AsText(record)) {
        text = value->Value();
      } else if (auto* navigator = dynamic_cast<TVLLMarc*>(record)) {
        text = navigator->Text();
      } else {
        return MissingRecord();
      }
      marc.emplace(text, TVLLMarc::BorrowText{});
      if (auto* value = AsText(record)) {
        marc->BorrowIndex(Context().RecordIndex(*value));
      }
    }
    if (marc->FindFirstTag(pattern)) {
      do {
        ++total;
      } while (marc->FindNextTag());
    }
  }
  char digits[24];
  const auto written_total = std::to_chars(digits, digits + sizeof digits, total);
  WriteRaw(std::string_view(digits, static_cast<size_t>(written_total.ptr - digits)));
  if (count >= 3 && !Param(count - 1).empty()) WriteText(Param(count - 1));
  return kStatusOk;
}

}  // namespace vellorax::vll2
