#include "vll2/select_command.h"

#include <memory>
#include <string>
#include <vector>

namespace vellorax::vll2 {

namespace {

// Marks the call-site data that select commands keep.
constexpr char kSelectPlanOwner = 0;

}  // namespace

// At a call site whose parameters never change, each plain alternative keeps
// its own call of "tag" with fixed parameters, so that the tag command can
// keep what those decide too.
struct TVLLSelectCommand::SitePlan : TVLLCallSiteData {
  struct Alternative {
    TVLLParams tag_call;
    TVLLCommandCache site;
  };
  const TVLLParams* params = nullptr;
  // By parameter index; made on first use.
  mutable std::vector<std::unique_ptr<Alternative>> alternatives;
};

const TVLLSelectCommand::SitePlan* TVLLSelectCommand::PlanForSite() {
  if (CallSite() == nullptr) return nullptr;
  if (const SitePlan* kept = KeptSitePlan<SitePlan>(&kSelectPlanOwner)) return kept;
  SitePlan* plan = KeepSitePlan<SitePlan>(&kSelectPlanOwner);
  plan->alternatives.resize(static_cast<size_t>(ParamCount()));
  return plan;
}

TVLLStatus TVLLSelectCommand::EvalAlternative(const SitePlan* plan, int index) {
  const std::string& parameter = Param(index);
  if (plan == nullptr) return EvalParameter(parameter);
  std::unique_ptr<SitePlan::Alternative>& alternative =
      plan->alternatives[static_cast<size_t>(index)];
  // Made for a parameter of no special form (EvalParameter answered 6, which
  // it tells by the parameter's first character): the same answer ever after.
  if (!alternative) {
    const TVLLStatus status = TVLLBaseCommand::EvalParameter(parameter);
    if (status != kStatusNotFound) return status;
    alternative = std::make_unique<SitePlan::Alternative>();
    alternative->tag_call = {"", parameter, "S", "", ""};
    alternative->site.fixed_parameters = true;
  }
  return CallCommand("tag", &alternative->tag_call, &alternative->site);
}

std::unique_ptr<TVLLBaseCommand> TVLLSelectCommand::Clone() const {
  return std::make_unique<TVLLSelectCommand>(Name(), SharedTag());
}

TVLLStatus TVLLSelectCommand::EvalParameter(std::string_view parameter) {
  const TVLLStatus status = TVLLBaseCommand::EvalParameter(parameter);
  if (status != kStatusNotFound) return status;
  // Kept between calls (a clone serves many): only the pattern changes.
  if (tag_call_.empty()) tag_call_ = {"", "", "S", "", ""};
  tag_call_[1].assign(parameter);
  return CallCommand("tag", &tag_call_, &tag_command_);
}

TVLLStatus TVLLSelectCommand::DoExecute() {
  const int s = Output().Length();
  const int count = ParamCount();
  if (count == 0) {
    RecordError(kStatusWrongParams, "vll2SelectCommand", "Mising parameters", Name());
    return kStatusWrongParams;
  }
  // One parameter is the only item; two are prefix and item; more are
  // prefix, items and suffix.
  const int first_item = count == 1 ? 0 : 1;
  const int end_item = count >= 3 ? count - 1 : count;
  if (count >= 2) WriteText(Param(0));
  const int m = Output().Length();
  const SitePlan* plan = PlanForSite();
  for (int i = first_item; i < end_item; ++i) {
    const TVLLStatus status = EvalAlternative(plan, i);
    if (status == kStatusSyntax) return kStatusSyntax;
    if (status == kStatusOk && Output().Length() > m) {
      if (count >= 3) WriteText(Param(count - 1));
      return kStatusOk;
    }
  }
  Output().Truncate(s);
  return kStatusOk;
}

}  // namespace vellorax::vll2
