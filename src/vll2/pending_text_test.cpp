// The pending text keeps views of stable literals and copies only when it
// must; copies and exchanges must carry the text, never a view of another
// object's memory.
#include "vll2/pending_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellorax::vll2 {
namespace {

TEST(PendingTextTest, PiecesJoinInOrderWhateverTheirKind) {
  struct Piece {
    bool stable;
    const char* text;
  };
  const struct {
    std::vector<Piece> pieces;
    const char* want;
  } rows[] = {
      {{{true, ", "}}, ", "},
      {{{true, ", "}, {true, "-- "}}, ", -- "},
      {{{false, "(author)"}}, "(author)"},
      {{{true, " "}, {false, "et al."}, {true, "; "}}, " et al.; "},
      {{{true, ""}, {false, ""}, {true, "x"}}, "x"},
  };
  for (const auto& row : rows) {
    TVLLPendingText pending;
    std::string transient;
    for (const Piece& piece : row.pieces) {
      if (piece.stable) {
        pending.AppendStable(piece.text);
      } else {
        transient = piece.text;  // overwritten below: must have been copied
        pending.AppendCopy(transient);
        transient.assign(transient.size(), '#');
      }
    }
    EXPECT_EQ(pending.view(), row.want);
  }
}

TEST(PendingTextTest, CopiesAndExchangesCarryTheirOwnText) {
  TVLLPendingText owned;
  owned.AppendStable("a");
  owned.AppendCopy("bc");
  TVLLPendingText viewed;
  viewed.AppendStable("xyz");

  TVLLPendingText copy = owned;
  owned.clear();
  owned.AppendCopy("zz");  // reuses its memory: the copy must not see it
  EXPECT_EQ(copy.view(), "abc");

  copy.swap(viewed);
  EXPECT_EQ(copy.view(), "xyz");
  EXPECT_EQ(viewed.view(), "abc");
  viewed.AppendCopy("d");
  EXPECT_EQ(viewed.view(), "abcd");
  copy = viewed;
  viewed.clear();
  EXPECT_EQ(copy.view(), "abcd");
  EXPECT_TRUE(viewed.empty());
}

}  // namespace
}  // namespace vellorax::vll2
