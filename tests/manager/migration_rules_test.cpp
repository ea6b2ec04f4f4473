// The rules under verify, --check, --shard and --clean-up, case by case: the record comparison,
// the transfer name a temporary belongs to, the shard of a list, the room a run's outputs need.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "manager/clean_up.h"
#include "manager/leftovers.h"
#include "manager/room.h"
#include "manager/shard.h"
#include "manager/verify.h"
#include "tests/support/test_support.h"

namespace dunax::manager {
namespace {

TEST(Verify, FirstDifferenceWithThePaddingOfShortRecords) {
  struct Case {
    std::size_t recordLength;
    std::size_t at;      // where the transfer record is changed (1024: nowhere)
    unsigned char byte;  // to this byte
    int expected;
  };
  const Case cases[] = {
      {80, 1024, 0, -1},  {80, 5, 'X', 5},     {80, 79, ' ', 79},  // inside the record
      {80, 80, 0, -1},    {80, 500, 0, -1},                         // spaces or zeros past it
      {80, 1023, 'Q', 1023},                                        // anything else past it
      {0, 80, 0, 80},                                               // no length: all bytes
  };
  for (const Case& c : cases) {
    unsigned char data[1024];
    std::memset(data, ' ', sizeof data);
    std::memset(data, 'A', 80);
    unsigned char transfer[1024];
    std::memcpy(transfer, data, sizeof transfer);
    if (c.at < sizeof transfer) transfer[c.at] = c.byte;
    EXPECT_EQ(firstDifference(data, transfer, c.recordLength), c.expected)
        << "length " << c.recordLength << ", byte " << c.at;
  }
}

TEST(CleanUp, TransferNameOfASegmentsTemporary) {
  const std::vector<std::string> folder = {"dados.binario", "outro.bixy.bin.dunax-lock"};
  struct Case {
    const char* segment;
    const char* expected;
  };
  const Case cases[] = {
      {"clientes.dat.bin", "clientes.dat.bin"},    // segment 0
      {"clientes.dat.bi3", "clientes.dat.bin"},    // a further one, marked in the ending
      {"dados.bi2ario.bin", "dados.binario.bin"},  // marked in the name: the data file says
      {"outro.bi7y.bin", "outro.bixy.bin"},        // the lock file says
      {"q.bi1ario.bin", ""},                       // nothing in the folder says
      {"notas.txt", ""},                           // no transfer name at all
  };
  for (const Case& c : cases) {
    EXPECT_EQ(transferNameOfSegment(c.segment, folder), c.expected) << c.segment;
  }
}

TEST(CleanUp, LeftoversOfADataFileInTheirOrder) {
  const dunax::testing::TemporaryDirectory dir;
  for (const char* name : {"d.dat.dunax-new", "d.dat.bin.dunax-journal", "d.dat.bi2.dunax-part",
                           "d.dat.bin.dunax-part", "d.dat.bin.dunax-journal.dunax-part",
                           "d.dat.bin", "other.dat.bin.dunax-part"}) {
    ASSERT_TRUE(dunax::testing::writeFile(dir.file(name), name));
  }
  const std::vector<Leftover> found = findLeftovers(dir.path(), "d.dat");
  const char* expected[] = {"d.dat.bin.dunax-part", "d.dat.bi2.dunax-part",
                            "d.dat.bin.dunax-journal.dunax-part", "d.dat.bin.dunax-journal",
                            "d.dat.dunax-new"};
  ASSERT_EQ(found.size(), std::size(expected));
  for (std::size_t at = 0; at < found.size(); ++at) {
    EXPECT_EQ(found[at].path, dir.file(expected[at]));
    EXPECT_EQ(found[at].bytes, std::strlen(expected[at]));
    EXPECT_EQ(found[at].journal, at == 3) << expected[at];
  }
}

TEST(Shard, BadValuesAndTheShareOfEachMachine) {
  for (const char* bad : {"0/3", "4/3", "3", "a/b", "1/0", "", "/", "1/2/3", "-1/3", "2/ 3"}) {
    EXPECT_FALSE(parseShard(bad).ok()) << bad;
  }
  const std::vector<std::string> names = {"a", "b", "c", "d", "e"};
  std::vector<std::string> all;
  for (const char* text : {"1/3", "2/3", "3/3"}) {
    const platform::Expected<Shard> shard = parseShard(text);
    ASSERT_TRUE(shard.ok()) << text;
    for (const std::string& name : namesOfShard(names, *shard)) all.push_back(name);
  }
  EXPECT_EQ(all, (std::vector<std::string>{"a", "d", "b", "e", "c"}));
  EXPECT_EQ(namesOfShard(names, Shard{}), names);
}

TEST(Room, OutputsOfEachDirectionAndProgram) {
  struct Case {
    char direction;
    const char* program;
    const char* fieldB;
    std::uint64_t input;
    std::uint64_t bytes;
    bool exact;
  };
  const Case cases[] = {
      {'B', "RECSEQ", "0000000120", 300 * 120, 300 * 1024, true},  // records from the size
      {'B', "RECSEQ", "", 2048, 2048, true},                       // blank: 1024-byte records
      {'B', "RECIDX", "0000000100", 1000, 10 * 1024, false},       // a bound from the length
      {'B', "RECIDX", "", 3, 3 * 1024, false},                     // a bound of 1-byte records
      {'X', "RECSEQ", "0000000080", 5 * 1024, 5 * 80, true},
      {'X', "RECIDX", "EMPRESA", 5 * 1024, 5 * 1024, false},       // field B says no length
  };
  for (const Case& c : cases) {
    RunSettings settings;
    settings.direction = c.direction;
    settings.program = c.program;
    settings.fieldB = c.fieldB;
    const RoomNeed need = c.direction == 'B' ? transferSetNeed(settings, c.input)
                                             : dataFileNeed(settings, c.input);
    EXPECT_EQ(need.bytes, c.bytes) << c.program << " " << c.fieldB;
    EXPECT_EQ(need.exact, c.exact) << c.program << " " << c.fieldB;
  }
  EXPECT_EQ(bytesText(999), "999 bytes");
  EXPECT_EQ(bytesText(2560000), "2,560,000 bytes (2.6 MB)");
}

}  // namespace
}  // namespace dunax::manager
