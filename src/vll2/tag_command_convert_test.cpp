// A tag call kept at its call site (a script's own call) converts its text
// output in pieces: the before frame, the tag spec's noted texts and the
// after frame by their converted forms, the text between them only after a
// check that it holds nothing the conversions change. A call made straight on
// the command keeps no plan and converts its output as a whole. Both must
// give the same text, in text and in HTML mode, wherever a "\", "&" or "<"
// stands: in a frame, in the field data before, inside or after a noted
// text, at the start or the end of the output.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vll2/script_command.h"
#include "vll2/tag_test_support.h"

namespace vellorax::vll2 {
namespace {

class TagCommandConvertTest : public testing::RecordCommandTest {
 protected:
  TagCommandConvertTest() { AddTag("t"); }

  // The output of a script that makes `call` twice at its own call sites.
  std::string RunKept(std::string_view call, const std::string& record, bool html) {
    const std::string text = std::string(call) + std::string(call);
    TVLLContext context;
    context.SetWorkSpace(&ws_);
    context.SetHtml(html);
    context.SetObject("marc", std::make_unique<TVLLString>(record));
    TVLLScriptCommand script("s", std::make_shared<TVLLString>(text));
    script.Execute(context, nullptr);
    return context.Output().Text();
  }

  // The output of `call` made twice straight on the command, without a call
  // site: its parameters read anew, its output converted as a whole.
  std::string RunStraight(std::string_view call, const std::string& record, bool html) {
    TVLLScript reader(call);
    std::string name;
    TVLLParams params;
    EXPECT_EQ(reader.ParseCommand(name, &params), TVLLScript::kOk) << call;
    TVLLContext context;
    context.SetWorkSpace(&ws_);
    context.SetHtml(html);
    context.SetObject("marc", std::make_unique<TVLLString>(record));
    for (int i = 0; i < 2; ++i) ws_.FindCommand(name)->Clone()->Execute(context, &params);
    return context.Output().Text();
  }
};

TEST_F(TagCommandConvertTest, KeptCallsConvertAsCallsMadeStraight) {
  // Noted texts (quoted items, literals and entities the conversions
  // change) among subfield references, and layouts with none.
  const char* const kSpecs[] = {
      R"({"<i>"$a"</i>" $b})",
      R"({$a<hr>$b})",
      R"({$a"&amp;"$b"<br>"})",
      R"({"<"$b">"$a})",
      R"({$a $b})",
      R"({"&lt;"$a&nbsp;$b})",
      R"({$a"a\\b"$b"\\"})",
      R"({$b<p>$a</p>})",
      R"({"<b>"$a})",
  };
  // Field data: plain, and each character the conversions look at, at the
  // start, in the middle and at the end.
  const char* const kValues[] = {
      "plain", "&x", "a&b", "<u>", "x<y", "tail<", "\\q", "p\\q", "q\\", "&amp;", "&lt;b&gt;",
  };
  // Before, separator and after frames as a script writes them.
  const char* const kFrames[] = {
      "(, 245, R, ; , )",
      "(<div>, 245, R, <br>, </div>)",
      "(&amp;x, 245, R, ; , &lt;)",
      "(t, 245, R, a&b, <)",
      "(<b>, 245, </b>)",
      // An after frame that is evaluated, one whose first character meets
      // the field's last one ("q"), and an evaluated separator.
      "(<i>, 245, R, ; , \"!\")",
      "(<i>, 245, R, ; , qq)",
      "(<i>, 245, R, \"+\", </i>)",
  };
  int runs = 0;
  for (const char* spec : kSpecs) {
    ws_.AddTagSpec("245", spec);
    for (const char* a : kValues) {
      for (const char* b : kValues) {
        const std::string record =
            std::string("*24510$a") + a + "$b" + b + "\n*24500$a" + b + "$bplain\n^";
        for (const char* frames : kFrames) {
          const std::string call = std::string("#t") + frames;
          for (const bool html : {false, true}) {
            EXPECT_EQ(RunKept(call, record, html), RunStraight(call, record, html))
                << "spec " << spec << " $a " << a << " $b " << b << " call " << call << " html "
                << html;
            ++runs;
          }
        }
      }
    }
  }
  EXPECT_EQ(runs, 9 * 11 * 11 * 8 * 2);
}

// The same over outputs that a conversion would shorten at every position
// around one noted text: a field whose data ends in each prefix of an entity
// or a markup, before the noted text, and one whose data starts with the rest
// after it.
TEST_F(TagCommandConvertTest, ConvertibleTextSplitAroundANotedText) {
  ws_.AddTagSpec("245", R"({$a"<br>"$b})");
  const std::vector<std::string> kWholes = {"&amp;", "<i>", "\\\\", "&lt;", "a\\&b"};
  for (const std::string& whole : kWholes) {
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
      const std::string record = "*24510$a" + whole.substr(0, cut) + "$b" + whole.substr(cut) + "\n^";
      for (const char* call : {"#t(<p>, 245, </p>)", "#t(, 245, )", "#t(x, 245, y)"}) {
        for (const bool html : {false, true}) {
          EXPECT_EQ(RunKept(call, record, html), RunStraight(call, record, html))
              << whole << " cut " << cut << " " << call << " html " << html;
        }
      }
    }
  }
}

// Records where a "\", "&" or "<" stands only outside the shown field (in
// another field's tag, indicators or data), or only in the shown field, and
// specifications whose noted texts, plain literals, nested calls and missing
// subfields stand between the subfield data: the text between the noted
// texts decides whether the kept call converts around them, and either way
// it must give what the whole-output conversion gives.
TEST_F(TagCommandConvertTest, ConvertibleTextOutsideTheShownField) {
  const char* const kSpecs[] = {
      R"x({$a", "$b})x",                    // plain literal between the data
      R"x({$a"<br>"$b", "$a"&amp;"$b})x",   // noted texts with plain text between
      R"x({"<i>"$a" "$b"</i>"})x",
      R"x({$a#t(&lt;, 100, &gt;)"<br>"$b})x",  // a nested call writes between
      R"x({$a#t(, 999, )"<br>"$b"\\"})x",    // a nested call that writes nothing
      R"x({$a"a\\b"$z"<hr>"$b})x",           // a missing subfield between
      R"x({$a&$b"<p>"$a})x",                 // a literal "&" that converts to itself
  };
  // The shown field's data, and the rest of the record around it.
  const char* const kShown[] = {"$aone$btwo", "$ao<e$btwo", "$aone$bt&o", "$aone$btw\\o"};
  const char* const kRest[] = {
      "*100  $aplain\n",
      "*100  $aa&b\n",
      "*1<0  $aplain\n",
      "*100<&$aplain\n",
      "*100  $aplain\n*5\\0  $a<x>\n",
      "*100  $aplain\n*500  $aend\\\n",
  };
  const char* const kFrames[] = {"(<div>, 245, R, <br>, </div>)", "(x, 245, R, ; , y)", "(, 245, R, , )"};
  int runs = 0;
  for (const char* spec : kSpecs) {
    ws_.AddTagSpec("245", spec);
    for (const char* shown : kShown) {
      for (const char* rest : kRest) {
        const std::string record = std::string(rest) + "*24510" + shown + "\n*24500$aplain$bx\n^";
        for (const char* frames : kFrames) {
          const std::string call = std::string("#t") + frames;
          const std::string kept = RunKept(call, record, false);
          EXPECT_EQ(kept, RunStraight(call, record, false))
              << "spec " << spec << " record " << record << " call " << call;
          // Both fields were shown, the second one's data as it stands.
          EXPECT_NE(kept.find("plain"), std::string::npos) << spec << " " << record << " " << call;
          ++runs;
        }
      }
    }
  }
  EXPECT_EQ(runs, 7 * 4 * 6 * 3);
}

// Blocks whose output is taken back (a missing subfield) around noted texts.
TEST_F(TagCommandConvertTest, TakenBackBlocksAroundNotedTexts) {
  ws_.AddTagSpec("245", R"({$a{$x"<b>"}"<i>"$b{$y}"&lt;"$a})");
  for (const char* shown : {"$aone$btwo", "$a&one$btwo<", "$aone$b\\two"}) {
    const std::string record = std::string("*24510") + shown + "\n^";
    for (const char* call : {"#t(<p>, 245, </p>)", "#t(x, 245, y)"}) {
      const std::string kept = RunKept(call, record, false);
      EXPECT_EQ(kept, RunStraight(call, record, false)) << shown << " " << call;
      EXPECT_NE(kept.find("two"), std::string::npos) << shown << " " << call;
    }
  }
}

}  // namespace
}  // namespace vellorax::vll2
