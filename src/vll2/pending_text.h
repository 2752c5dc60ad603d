// TVLLPendingText: the literal text a tag specification holds back until a
// value follows it. Mostly it is one literal of a read level, which outlives
// the run, so it is kept as a view of that text; it is copied only when a
// second piece joins it or a piece is transient.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace vellorax::vll2 {

struct TVLLConvertedText;

class TVLLPendingText {
 public:
  TVLLPendingText() = default;
  TVLLPendingText(const TVLLPendingText& other) { *this = other; }
  TVLLPendingText& operator=(const TVLLPendingText& other) {
    if (this == &other) return *this;
    if (other.owned_) {
      own_.assign(other.view_);
      view_ = own_;
      owned_ = true;
    } else {
      view_ = other.view_;
      owned_ = false;
    }
    known_ = other.known_;
    return *this;
  }
  void swap(TVLLPendingText& other) {
    // Views of the strings themselves are made again after the exchange.
    own_.swap(other.own_);
    std::swap(view_, other.view_);
    std::swap(owned_, other.owned_);
    std::swap(known_, other.known_);
    if (owned_) view_ = own_;
    if (other.owned_) other.view_ = other.own_;
  }

  bool empty() const { return view_.empty(); }
  char front() const { return view_.front(); }
  std::string_view view() const { return view_; }
  void clear() {
    view_ = {};
    owned_ = false;
    known_ = nullptr;
  }
  // The converted form given with the text when it is one piece, else null.
  const TVLLConvertedText* known() const { return known_; }

  // Appends `text`, which stays unchanged and alive until the pending text is
  // cleared (a literal of a level that is being run), with its converted
  // form when known.
  void AppendStable(std::string_view text, const TVLLConvertedText* known = nullptr) {
    if (view_.empty()) {
      view_ = text;
      owned_ = false;
      known_ = text.empty() ? nullptr : known;
      return;
    }
    AppendCopy(text);
  }
  // Appends a copy of `text`.
  void AppendCopy(std::string_view text) {
    if (text.empty()) return;
    known_ = nullptr;
    if (!owned_) {
      own_.assign(view_);
      owned_ = true;
    }
    own_.append(text);
    view_ = own_;
  }

 private:
  std::string own_;  // the text when owned_; kept for its memory otherwise
  std::string_view view_;
  bool owned_ = false;
  const TVLLConvertedText* known_ = nullptr;
};

}  // namespace vellorax::vll2
