// Named-object lists, text groups, the string builder, the context and the
// workspace with its parent chain.
#include <gtest/gtest.h>

#include "common/text_compare.h"
#include "vll2/base_command.h"
#include "vll2/context.h"
#include "vll2/named_object_list.h"
#include "vll2/string_builder.h"
#include "vll2/text_group.h"
#include "vll2/work_space.h"

namespace vellorax::vll2 {
namespace {

// Counts its destructions, to check what a list frees and when.
class Tracked : public TVLLObject {
 public:
  explicit Tracked(int* deaths) : deaths_(deaths) {}
  ~Tracked() override { ++*deaths_; }

 private:
  int* deaths_;
};

class NamedObjectListTest : public ::testing::Test {
 protected:
  void SetUp() override { common::SetTextLocale("nb_NO"); }
};

TEST_F(NamedObjectListTest, ReplacementKeepsFirstNameAndDestroysOldObject) {
  TVLLNamedObjectList list;
  int deaths = 0;
  EXPECT_EQ(list.SetObject("Title", std::make_unique<Tracked>(&deaths)), 0);
  auto second = std::make_unique<Tracked>(&deaths);
  TVLLObject* second_ptr = second.get();
  EXPECT_EQ(list.SetObject("TITLE", std::move(second)), 0);
  EXPECT_EQ(deaths, 1);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Name(0), "Title");
  EXPECT_EQ(list.Find("title"), second_ptr);
  EXPECT_EQ(list.Object(-1), nullptr);
  EXPECT_EQ(list.Object(1), nullptr);
  EXPECT_EQ(list.Name(7), "");
  list.Clear();
  EXPECT_EQ(deaths, 2);
}

TEST_F(NamedObjectListTest, LookupIgnoresCaseOfNationalLetters) {
  // Windows-1252: "\xC6\xD8\xC5" is ÆØÅ, "\xE6\xF8\xE5" is æøå.
  struct Case { const char* stored; const char* asked; bool found; };
  const Case cases[] = {{"\xC6\xD8\xC5ret", "\xE6\xF8\xE5RET", true},
                        {"stra\xDF" "e", "STRA\xDF" "E", true},
                        {"abc", "abd", false}, {"\xE6", "a", false}, {"", "", true}};
  for (const Case& c : cases) {
    TVLLNamedObjectList list;
    list.SetObject("other", std::make_unique<TVLLString>("x"));
    list.SetObject(c.stored, std::make_unique<TVLLString>("v"));
    // Asked twice: the second answer comes from the memo and must agree.
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(list.IndexOf(c.asked) == 1, c.found) << c.stored << " / " << c.asked;
    }
  }
}

TEST_F(NamedObjectListTest, LongListsAndTheMemoFindEveryEntry) {
  TVLLNamedObjectList list;
  for (int i = 0; i < 20; ++i) list.SetObject("Name" + std::to_string(i), nullptr);
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 20; ++i) EXPECT_EQ(list.IndexOf("nAME" + std::to_string(i)), i);
    EXPECT_EQ(list.IndexOf("Name20"), -1);
  }
  EXPECT_EQ(list.SetObject("NAME7", nullptr), 7);
  list.SetObject("Name20", nullptr);  // a remembered miss is forgotten when added
  EXPECT_EQ(list.IndexOf("name20"), 20);
  list.Clear();
  EXPECT_EQ(list.IndexOf("name20"), -1);
}

TEST_F(NamedObjectListTest, AddKeepsRepeatsAndLookupFindsTheFirst) {
  TVLLNamedObjectList list;
  list.Add("len", std::make_unique<TVLLString>("1"));
  list.Add("LEN", std::make_unique<TVLLString>("2"));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.IndexOf("LEN"), 0);
  EXPECT_EQ(static_cast<TVLLString*>(list.Find("Len"))->Value(), "1");
}

TEST(StringBuilderTest, Operations) {
  TVLLStringBuilder b;
  EXPECT_EQ(b.LastChar(), '\0');
  b.Append("abc");
  b.Truncate(5);
  EXPECT_EQ(b.Text(), "abc");
  EXPECT_EQ(b.TextFrom(3), "");
  EXPECT_EQ(b.TextFrom(1), "bc");
  EXPECT_EQ(b.TextFrom(-2), "abc");
  EXPECT_EQ(b.LastChar(), 'c');
  b.Truncate(1);
  EXPECT_EQ(b.Text(), "a");
  b.Truncate(-4);
  EXPECT_EQ(b.Text(), "");
}

using TextGroupTest = NamedObjectListTest;

// The asked language, else the fixed order of fallback languages, else the first text.
TEST_F(TextGroupTest, LanguageFallbackOrder) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> languages;
    const char* asked;
    const char* expected;
  };
  const Case cases[] = {
      {{{"nor", "Norsk"}, {"eng", "English"}}, "dan", "English"},
      {{{"nor", "Norsk"}, {"eng", "English"}}, "ENG", "English"},
      {{{"nor", "Norsk"}, {"eng", "English"}}, "nor", "Norsk"},
      {{{"nor", "Norsk"}}, "eng", "Norsk"},
      {{{"fre", "Francais"}, {"ger", "Deutsch"}}, "ita", "Francais"},
      {{{"swe", "Svenska"}, {"dan", "Dansk"}, {"nno", "Nynorsk"}}, "fin", "Nynorsk"},
      {{{"fre", "Francais"}, {"swe", "Svenska"}}, "fin", "Svenska"},
      {{{"eng", "English"}, {"mul", "Multi"}}, "fin", "Multi"},
  };
  for (const Case& c : cases) {
    TVLLTextGroup group;
    int index = group.AddName("key");
    for (auto [language, text] : c.languages) group.SetLanguageText(index, language, text);
    EXPECT_EQ(group.GetText("KEY", c.asked), c.expected) << c.asked;
  }
}

TEST_F(TextGroupTest, SingleTextsRenamingAndBadIndexes) {
  TVLLTextGroup group;
  group.AddText("yes", " Ja");  // a single text ignores the language
  group.SetLanguageText(0, "eng", "Yes");
  EXPECT_EQ(group.GetText("Yes", "eng"), " Ja");
  int index = group.AddName("k");
  group.SetLanguageText(index, "nor", "Norsk");
  EXPECT_EQ(group.AddName("K"), index);  // adding the name again drops its language texts
  EXPECT_EQ(group.GetText("k", "nor"), "");
  group.SetLanguageText(index, "eng", "English");
  EXPECT_EQ(group.GetText("k", "nor"), "English");
  EXPECT_EQ(group.GetText("none", "nor"), "");
  group.SetLanguageText(5, "nor", "x");
  group.SetLanguageText(-1, "nor", "x");
  EXPECT_EQ(group.Items().Count(), 2);
}

TEST(ContextTest, FirstErrorWinsUnlessItsStatusIsZero) {
  TVLLContext context;
  context.SetError(0, "vllTagCommand._DoExecute", "count", "Missing Marcrecord");
  context.SetError(6, "Where1", "Detail1", "Message1");
  context.SetError(9, "Where2", "Detail2", "Message2");
  EXPECT_EQ(context.ErrorCode(), 6);
  EXPECT_EQ(context.ErrorWhere(), "Where1");
  EXPECT_EQ(context.ErrorDetail(), "Detail1");
  EXPECT_EQ(context.ErrorMessage(), "Message1");
  context.ClearError();
  EXPECT_EQ(context.ErrorCode(), 0);
  EXPECT_EQ(context.ErrorMessage(), "");
  context.SetObject("marc", std::make_unique<TVLLString>("*245"));
  EXPECT_EQ(static_cast<TVLLString*>(context.GetObject("MARC"))->Value(), "*245");
  EXPECT_EQ(context.GetObject("other"), nullptr);
}

TEST(ContextTest, NestingLimitAndLevelBudget) {
  TVLLContext context;
  for (int i = 0; i < kMaxNestingDepth; ++i) ASSERT_TRUE(context.EnterLevel("w", "d"));
  EXPECT_FALSE(context.EnterLevel("Where", "Detail"));
  EXPECT_EQ(context.ErrorCode(), kStatusSyntax);
  EXPECT_EQ(context.ErrorWhere(), "Where");
  EXPECT_NE(context.ErrorMessage().find("256"), std::string::npos);
  // The run is over: leaving a level does not let it go deeper again.
  context.LeaveLevel();
  EXPECT_FALSE(context.EnterLevel("w", "d"));
  EXPECT_TRUE(context.Aborted());

  TVLLContext flat;
  for (long i = 0; i < kMaxLevelsPerRun; ++i) {
    ASSERT_TRUE(flat.EnterLevel("w", "d"));
    flat.LeaveLevel();
  }
  EXPECT_FALSE(flat.EnterLevel("Where", "Detail"));
  EXPECT_EQ(flat.ErrorCode(), kStatusSyntax);
  EXPECT_EQ(flat.ErrorMessage().rfind("Too many command calls", 0), 0u);
}

TEST(WorkSpaceTest, LookupsFallThroughToTheParent) {
  common::SetTextLocale("nb_NO");
  TVLLWorkSpace parent;
  TVLLWorkSpace child(&parent);
  auto inherited = std::make_unique<TVLLBaseCommand>("Title");
  TVLLBaseCommand* inherited_ptr = inherited.get();
  parent.AddCommand("Title", std::move(inherited));
  EXPECT_EQ(child.FindCommand("TITLE"), inherited_ptr);
  EXPECT_EQ(child.FindCommand("nosuch"), nullptr);
  auto own = std::make_unique<TVLLBaseCommand>("title");
  TVLLBaseCommand* own_ptr = own.get();
  child.AddCommand("title", std::move(own));
  EXPECT_EQ(child.FindCommand("Title"), own_ptr);

  parent.AddTextGroup("lang", std::make_unique<TVLLTextGroup>());
  EXPECT_NE(child.FindTextGroup("LANG"), nullptr);
  EXPECT_EQ(child.GetTextGroup(0), nullptr);  // the index ignores the parent
  EXPECT_NE(parent.GetTextGroup(0), nullptr);
  EXPECT_EQ(parent.GetTextGroup(-1), nullptr);

  EXPECT_EQ(child.GetTagSpec("245"), "");
  parent.AddTagSpec("245", "{$a}");
  parent.AddTagSpec("245", "{$b}");
  EXPECT_EQ(child.GetTagSpec("245"), "{$b}");
  child.AddTagSpec("245:X", "{$c}");
  EXPECT_EQ(child.GetTagSpec("245:x"), "{$c}");
  EXPECT_EQ(child.Language(), "mul");
}

}  // namespace
}  // namespace vellorax::vll2
