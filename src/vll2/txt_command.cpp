#include "vll2/txt_command.h"

#include <array>
#include <string>

#include "vll2/script.h"

namespace vellorax::vll2 {

namespace {

// Marks the call-site data that txt commands keep.
constexpr char kTxtPlanOwner = 0;

}  // namespace

// At a call site whose parameters never change, a parameter that is a call
// ("#tag(245)") reads the same every time: it is read once, and the call it
// names gets a fixed site of its own, where the command called can keep what
// its own parameters decide.
struct TVLLTxtCommand::SitePlan : TVLLCallSiteData {
  struct NestedCall {
    bool ok = false;
    std::string name;
    TVLLParams params;
    TVLLCommandCache site;
  };
  const TVLLParams* params = nullptr;
  // By parameter index; made on first use.
  mutable std::array<std::unique_ptr<NestedCall>, 3> calls;
};

const TVLLTxtCommand::SitePlan* TVLLTxtCommand::PlanForSite() {
  if (CallSite() == nullptr) return nullptr;
  if (const SitePlan* kept = KeptSitePlan<SitePlan>(&kTxtPlanOwner)) return kept;
  return KeepSitePlan<SitePlan>(&kTxtPlanOwner);
}

TVLLStatus TVLLTxtCommand::WriteItem(const SitePlan* plan, int index) {
  const std::string& parameter = Param(index);
  if (plan == nullptr || parameter.empty() || parameter.front() != '#') {
    return WriteParameter(parameter);
  }
  // EvalParameter's reading of a call parameter, made once.
  std::unique_ptr<SitePlan::NestedCall>& call = plan->calls[static_cast<size_t>(index)];
  if (!call) {
    call = std::make_unique<SitePlan::NestedCall>();
    TVLLScript reader(parameter);
    call->ok = reader.ParseCommand(call->name, &call->params) == TVLLScript::kOk;
    call->site.fixed_parameters = true;
  }
  if (!call->ok) [[unlikely]] {
    RecordError(kStatusSyntax, "vll2BaseCommand.EvalParameter", "Syntax Error for ParseCommand",
                parameter);
    return kStatusSyntax;
  }
  // A failing nested call keeps what it wrote and its own error record.
  CallCommand(call->name, &call->params, &call->site);
  return kStatusOk;
}

std::unique_ptr<TVLLBaseCommand> TVLLTxtCommand::Clone() const {
  return std::make_unique<TVLLTxtCommand>(Name(), SharedTag());
}

TVLLStatus TVLLTxtCommand::DoExecute() {
  const int s = Output().Length();
  TVLLStatus status = kStatusOk;
  if (ParamCount() != 3) {
    RecordError(kStatusWrongParams, "vll2TxtCommand",
                "There must be exactly 3 parameters for the txt-command.", Name());
    status = kStatusWrongParams;
  } else {
    const SitePlan* plan = PlanForSite();
    if (!Param(1).empty()) status = WriteItem(plan, 0);
    if (status == kStatusOk) {
      const int m = Output().Length();
      status = WriteItem(plan, 1);
      if (status == kStatusOk) {
        if (Output().Length() > m) {
          status = WriteItem(plan, 2);
        } else {
          Output().Truncate(s);
        }
      }
    }
  }
  if (status != kStatusOk) Output().Truncate(s);
  return status;
}

}  // namespace vellorax::vll2
