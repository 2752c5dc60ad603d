#include "yaz_lines.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace vellorax::tool {
namespace {

// YAZ looks up to three bytes past a 00X field's start for a subfield mark.
// A record ending right before an unreadable page must still be read (from
// a padded copy), as zero bytes there: no subfield mark, a control field.
TEST(YazLineReaderTest, ReadsARecordEndingAtAnUnreadablePage) {
  // Leader, one directory entry (001, length 1, start 0), its terminator,
  // the field (only its terminator) and the record terminator: 39 bytes.
  const std::string record = std::string("00039nam  2200037   4500") + "001000100000" + "\x1e" +
                             "\x1e" + "\x1d";
  ASSERT_EQ(record.size(), 39u);
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  void* mapping = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapping, MAP_FAILED);
  char* const base = static_cast<char*>(mapping);
  ASSERT_EQ(mprotect(base + page, page, PROT_NONE), 0);
  char* const start = base + page - record.size();
  std::memcpy(start, record.data(), record.size());

  YazLineReader yaz;
  EXPECT_EQ(yaz.ReadIso2709(std::string_view(start, record.size())), 39u);
  EXPECT_EQ(yaz.lines(), "00039nam  2200037   4500\n001 \n\n");
  munmap(mapping, 2 * page);
}

TEST(YazLineReaderTest, ReportsRecordsItCannotRead) {
  YazLineReader yaz;
  for (const char* bad : {"", "12", "0003x", "00020nam  2200025   4500", "99999nam"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(yaz.ReadIso2709(bad), 0u);
  }
}

}  // namespace
}  // namespace vellorax::tool
