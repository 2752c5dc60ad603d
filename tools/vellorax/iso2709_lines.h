// A fast converter from one ISO 2709 record straight to the display lines that
// YAZ writes for it (yaz_marc_read_iso2709 followed by yaz_marc_write_line):
// the leader on a line of its own, "TAG data" for control fields, "TAG II $a
// text $b text" for data fields, each line ending in a line feed and the record
// in an empty line.
//
// It handles only well-formed MARC 21 shaped records (indicator and subfield
// code counts 2, directory entries 3+4+5, every field closed by its terminator
// exactly where the directory says) and declines everything else, so that the
// caller hands those records to YAZ and its output, comments and errors stay
// the reference. Not thread-safe; one instance per reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vellorax::tool {

// YAZ's line format of a record without its first line, the leader: that line
// is no field, and the repair would read it as one (as a control number when
// the record is 100 to 199 bytes long, as a data field from 1,000 bytes on).
std::string_view FieldLines(std::string_view lines);

class Iso2709LineWriter {
 public:
  // Converts the record at the start of `data` (the rest of the file). Returns
  // true when it did: lines() holds the text and record_length() the record's
  // length from its leader. Returns false ("not handled") for any record whose
  // YAZ output might differ from this converter's; lines() is then unspecified.
  bool Convert(std::string_view data);

  // Valid until the next Convert.
  std::string_view lines() const { return {buffer_.data(), size_}; }
  size_t record_length() const { return record_length_; }

 private:
  std::string buffer_;  // grows to the largest record seen, never shrinks
  std::string padded_;  // a record at the end of the input, with room to read past it
  size_t size_ = 0;
  size_t record_length_ = 0;
};

}  // namespace vellorax::tool
