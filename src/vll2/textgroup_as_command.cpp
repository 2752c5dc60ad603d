#include "vll2/textgroup_as_command.h"

#include <array>
#include <cstdint>
#include <vector>

#include "vll2/script.h"
#include "vll2/text_group.h"
#include "vll2/vll_common.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

// Never the first character of a written text, and no line break.
constexpr std::string_view kSeamGuard = "\x01";

// Keys remembered per registration; a display looks up a handful (relator
// codes, language codes). Keys past it are read the plain way.
constexpr size_t kMaxKeys = 32;

// Equality of two short texts (keys, language codes) without a library call.
bool SameBytes(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

// What the key parameters looked up before found, for as long as nothing
// they depend on has changed: the workspace's registrations (which fix the
// default text group and this command's group), the entries of both groups
// and the language asked for.
class TVLLTextgroupAsCommand::Lookups {
 public:
  struct Entry {
    std::string parameter;
    // The key's text in this command's group; null: the key has no entry.
    const std::string* text = nullptr;
  };

  // Forgets every entry when the state they were found in has gone.
  void Revalidate(const TVLLWorkSpace* ws, std::string_view language) {
    const std::uint64_t version = ws->CommandsVersion();
    if (ws == ws_ && version == version_ && SameBytes(language, language_) &&
        (default_group_ == nullptr || default_changes_ == default_group_->Changes()) &&
        (group_ == nullptr || changes_ == group_->Changes())) {
      return;
    }
    entries_.clear();
    slots_.fill(-1);
    ws_ = ws;
    version_ = version;
    language_.assign(language);
    default_group_ = nullptr;
    group_ = nullptr;
    stale_groups_ = true;
  }
  // REQUIRES: Revalidate with the same workspace just before.
  void SetGroups(const TVLLTextGroup* default_group, const TVLLTextGroup* group) {
    default_group_ = default_group;
    default_changes_ = default_group ? default_group->Changes() : 0;
    group_ = group;
    changes_ = group ? group->Changes() : 0;
    stale_groups_ = false;
  }
  bool StaleGroups() const { return stale_groups_; }
  const TVLLTextGroup* DefaultGroup() const { return default_group_; }
  const TVLLTextGroup* Group() const { return group_; }

  // One probe for nearly every parameter, so that which key a record holds
  // does not decide a branch.
  const Entry* Find(std::string_view parameter) const {
    for (size_t i = Slot(parameter); slots_[i] >= 0; i = (i + 1) % kSlots) {
      const Entry& entry = entries_[static_cast<size_t>(slots_[i])];
      if (SameBytes(entry.parameter, parameter)) return &entry;
    }
    return nullptr;
  }
  // REQUIRES: Find(parameter) is null.
  void Add(std::string_view parameter, const std::string* text) {
    if (entries_.size() >= kMaxKeys) return;
    size_t i = Slot(parameter);
    while (slots_[i] >= 0) i = (i + 1) % kSlots;
    slots_[i] = static_cast<std::int8_t>(entries_.size());
    entries_.push_back(Entry{std::string(parameter), text});
  }

 private:
  const TVLLWorkSpace* ws_ = nullptr;
  std::uint64_t version_ = 0;
  std::string language_;
  const TVLLTextGroup* default_group_ = nullptr;
  unsigned default_changes_ = 0;
  const TVLLTextGroup* group_ = nullptr;
  unsigned changes_ = 0;
  bool stale_groups_ = true;
  std::vector<Entry> entries_;
  // Indexes into entries_ by a hash of the parameter, -1 for none; twice as
  // many as there can be entries, so that probes stay short.
  static constexpr size_t kSlots = 2 * kMaxKeys;
  std::array<std::int8_t, kSlots> slots_ = MakeEmptySlots();

  static constexpr std::array<std::int8_t, kSlots> MakeEmptySlots() {
    std::array<std::int8_t, kSlots> slots{};
    slots.fill(-1);
    return slots;
  }
  // FNV-1a of the parameter, folded onto the slots.
  static size_t Slot(std::string_view parameter) {
    std::uint32_t h = 2166136261u;
    for (const char c : parameter) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return (h ^ (h >> 16)) % kSlots;
  }
};

TVLLTextgroupAsCommand::TVLLTextgroupAsCommand(std::string name, std::shared_ptr<TVLLObject> tag)
    : TVLLTextgroupAsCommand(std::move(name), std::move(tag), std::make_shared<Lookups>()) {}

TVLLTextgroupAsCommand::TVLLTextgroupAsCommand(std::string name, std::shared_ptr<TVLLObject> tag,
                                               std::shared_ptr<Lookups> lookups)
    : TVLLBaseCommand(std::move(name), std::move(tag)), lookups_(std::move(lookups)) {}

TVLLTextgroupAsCommand::~TVLLTextgroupAsCommand() = default;

std::unique_ptr<TVLLBaseCommand> TVLLTextgroupAsCommand::Clone() const {
  return std::unique_ptr<TVLLBaseCommand>(
      new TVLLTextgroupAsCommand(Name(), SharedTag(), lookups_));
}

// A key parameter with no special form, no escape and no key of the default
// text group writes itself unchanged behind the seam guard (WriteText drops
// nothing before a first character other than the guard), so its key is the
// parameter itself, trimmed. Only such parameters are answered here, and only
// from lookups that stay right: a text that is there (its value is read
// anew, and an emptied one sends the call the plain way) or an entry that is
// not there at all.
bool TVLLTextgroupAsCommand::FindKnownKey(std::string_view parameter, const std::string*& text) {
  TVLLWorkSpace* ws = WorkSpace();
  // GroupText reads an empty group name as the default group.
  if (ws == nullptr || Name().empty()) return false;
  const std::string_view language =
      Context().Language().empty() ? std::string_view(ws->Language()) : Context().Language();
  Lookups& lookups = *lookups_;
  lookups.Revalidate(ws, language);
  // Only parameters that passed the checks below are remembered.
  if (const Lookups::Entry* entry = lookups.Find(parameter)) {
    if (entry->text != nullptr && entry->text->empty()) return false;
    text = entry->text;
    return true;
  }

  if (parameter.empty()) return false;
  const char first = parameter.front();
  if (first == '%' || first == '#' || first == '"' || first == '\'' || first == kSeamGuard[0]) {
    return false;
  }
  if (parameter.find('\\') != std::string_view::npos) return false;
  if (lookups.StaleGroups()) lookups.SetGroups(ws->GetTextGroup(0), ws->FindTextGroup(Name()));
  if (MayStartTextRef(parameter)) {
    // The single-key form of WriteTextOrLiteral; any other form reads the
    // parameter as a text reference.
    size_t from = 0;
    while (TVLLScript::IsBlank(parameter[from])) ++from;
    size_t to = from;
    while (to < parameter.size() && TVLLScript::IsNameChar(parameter[to])) ++to;
    const bool single_key =
        to > from && (to == parameter.size() || (parameter[to] != '.' && parameter[to] != '%'));
    if (!single_key) return false;
    const TVLLTextGroup* default_group = lookups.DefaultGroup();
    if (default_group != nullptr &&
        default_group->Items().IndexOf(parameter.substr(from, to - from)) >= 0) {
      return false;
    }
  }
  const TVLLTextGroup* group = lookups.Group();
  const std::string_view key = TVLLCommon::TrimControl(parameter);
  const std::string* found = group ? group->FindText(key, language) : nullptr;
  if (found == nullptr && group != nullptr && group->Items().IndexOf(key) >= 0) return false;
  lookups.Add(parameter, found);
  text = found;
  return true;
}

TVLLStatus TVLLTextgroupAsCommand::DoExecute() {
  const int s = Output().Length();
  TVLLStatus status = kStatusOk;
  if (ParamCount() != 3) [[unlikely]] {
    RecordError(kStatusWrongParams, "vll2TextgroupAsCommand",
                "There must be exactly 3 parameters for the this command.", Name());
    return kStatusWrongParams;
  }
  // An empty parameter writes nothing and gives 0.
  if (!Param(1).empty() && !Param(0).empty()) status = WriteParameter(Param(0));
  if (status != kStatusOk) {
    Output().Truncate(s);
    return status;
  }
  const std::string* text = nullptr;
  if (FindKnownKey(Param(1), text)) {
    if (text == nullptr) {
      Output().Truncate(s);
      return kStatusNotFound;
    }
    WriteRaw(*text);
    if (!Param(2).empty()) status = WriteParameter(Param(2));
    if (status != kStatusOk) Output().Truncate(s);
    return status;
  }

  const int m = Output().Length();
  // The key is what the key parameter writes, trimmed. It is written
  // behind a guard character so that WriteText's seam rule cannot drop
  // its first character when the output happens to end with the same one
  // ("Kari" before the key "ill").
  Output().Append(kSeamGuard);
  status = WriteParameter(Param(1));
  // The key is read where it was written and looked up before the output
  // moves again.
  const std::string_view out = Output().Text();
  const std::string_view written = out.size() > static_cast<size_t>(m) + 1
                                       ? out.substr(static_cast<size_t>(m) + 1)
                                       : std::string_view();
  if (status == kStatusOk && !written.empty()) {
    text = GroupText(Name(), TVLLCommon::TrimControl(written), "");
  }
  Output().Truncate(m);
  if (status == kStatusOk) {
    if (!written.empty()) {
      if (text != nullptr) {
        WriteRaw(*text);
        status = WriteParameter(Param(2));
      } else {
        status = kStatusNotFound;
      }
    } else {
      Output().Truncate(s);
    }
  }
  if (status != kStatusOk) Output().Truncate(s);
  return status;
}

}  // namespace vellorax::vll2
