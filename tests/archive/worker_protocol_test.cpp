#include "archive/worker_protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/worker_server.h"
#include "demogame/mpq_builder.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Reads come from `input` at most `piece` bytes at a time, writes go to `output`.
class MemoryLink final : public ByteLink {
 public:
  explicit MemoryLink(Bytes input = {}, std::size_t piece = 3) : input_(std::move(input)), piece_(piece) {}
  Bytes output;

 private:
  std::size_t WriteSome(const std::uint8_t* data, std::size_t size) override {
    output.insert(output.end(), data, data + size);
    return size;
  }
  std::size_t ReadSome(std::uint8_t* data, std::size_t size) override {
    const std::size_t count = std::min({size, piece_, input_.size() - position_});
    for (std::size_t i = 0; i < count; ++i) data[i] = input_[position_ + i];
    position_ += count;
    return count;
  }

  Bytes input_;
  std::size_t piece_;
  std::size_t position_ = 0;
};

Bytes RequestBytes(const WorkerRequest& request) {
  MemoryLink link;
  EXPECT_TRUE(SendRequest(link, request));
  return link.output;
}

Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(WorkerChannelTest, RequestsAndRepliesHaveTheirByteLayout) {
  EXPECT_EQ(RequestBytes({WorkerOp::ReadExactFile, 768, "a\\b"}),
            (Bytes{4, 0x00, 0x03, 0x00, 0x00, 3, 0, 0, 0, 'a', '\\', 'b'}));
  EXPECT_EQ(RequestBytes({WorkerOp::Exit, 0, ""}), (Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0}));

  MemoryLink link;
  const Bytes payload = {9, 8, 7};
  ASSERT_TRUE(SendReply(link, 1, payload));
  EXPECT_EQ(link.output, (Bytes{1, 3, 0, 0, 0, 9, 8, 7}));
}

TEST(WorkerChannelTest, RequestReadsBackAndMalformedOnesAreRefused) {
  const WorkerRequest sent{WorkerOp::OpenBaseArchive, 0x01020304, "/game/kelddat.mpq"};
  MemoryLink link(RequestBytes(sent));
  WorkerRequest received;
  ASSERT_TRUE(ReceiveRequest(link, received));
  EXPECT_EQ(received.op, WorkerOp::OpenBaseArchive);
  EXPECT_EQ(received.size, 0x01020304u);
  EXPECT_EQ(received.text, "/game/kelddat.mpq");

  const std::vector<std::pair<const char*, Bytes>> malformed = {
      {"operation 0", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"operation 7", {7, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"text longer than allowed", {3, 0, 0, 0, 0, 0x01, 0x00, 0x10, 0x00}},
      {"text cut short", {3, 0, 0, 0, 0, 4, 0, 0, 0, 'a', 'b'}},
      {"head cut short", {3, 0, 0}},
      {"nothing", {}},
  };
  for (const auto& [what, bytes] : malformed) {
    SCOPED_TRACE(what);
    MemoryLink broken(bytes);
    EXPECT_FALSE(ReceiveRequest(broken, received));
  }
}

TEST(WorkerChannelTest, DiscardKeepsTheStreamInStep) {
  Bytes stream(70000, 0xAB);
  stream.push_back(0x42);
  MemoryLink link(stream);
  ASSERT_TRUE(DiscardBytes(link, 70000));
  std::uint8_t next = 0;
  ASSERT_TRUE(link.Read(&next, 1));
  EXPECT_EQ(next, 0x42);
  EXPECT_FALSE(DiscardBytes(link, 1));
}

TEST(WorkerChannelTest, ArchivePathsTravelAsTwoTextsEndedByZeros) {
  const std::string text = ArchivePathsText("/game/gvdata.mor", "/game/kelddat.mpq");
  EXPECT_EQ(text, std::string("/game/gvdata.mor\0/game/kelddat.mpq\0", 35));
  std::string game;
  std::string base;
  ASSERT_TRUE(SplitArchivePathsText(text, game, base));
  EXPECT_EQ(game, "/game/gvdata.mor");
  EXPECT_EQ(base, "/game/kelddat.mpq");
  for (const std::string& malformed :
       {std::string(), std::string("a"), std::string("a\0", 2), std::string("a\0b", 3),
        std::string("\0b\0", 3), std::string("a\0\0", 3), std::string("a\0b\0c\0", 6)}) {
    EXPECT_FALSE(SplitArchivePathsText(malformed, game, base)) << malformed.size();
  }
}

TEST(WorkerChannelTest, OpenRepliesCarryTheLibrarysErrorCode) {
  MemoryLink link;
  ASSERT_TRUE(SendOpenReply(link, std::nullopt));
  ASSERT_TRUE(SendOpenReply(link, 0x01020304u));
  EXPECT_EQ(link.output, (Bytes{1, 0, 0, 0, 0, 0, 4, 0, 0, 0, 4, 3, 2, 1}));
  MemoryLink back(link.output);
  std::optional<std::uint32_t> error = 7;
  ASSERT_TRUE(ReceiveOpenReply(back, error));
  EXPECT_FALSE(error.has_value());
  ASSERT_TRUE(ReceiveOpenReply(back, error));
  EXPECT_EQ(error, 0x01020304u);
  for (const Bytes& malformed :
       {Bytes{1, 4, 0, 0, 0, 1, 2, 3, 4}, Bytes{0, 0, 0, 0, 0}, Bytes{2, 0, 0, 0, 0}}) {
    MemoryLink broken(malformed);
    EXPECT_FALSE(ReceiveOpenReply(broken, error));
  }
}

// The worker's loop run in this process over scripted requests.
TEST(WorkerChannelTest, WorkerAnswersEachRequestAndEndsOnExit) {
  testkit::TempDir dir;
  ASSERT_TRUE(demogame::BuildMpq(dir.File("game.mpq"), {{"g", {'G', 'V'}}, {"empty", {}}}));
  ASSERT_TRUE(demogame::BuildMpq(dir.File("base.mpq"), {{"b", {'K'}}}));
  // clang-format off
  const Bytes script = Concat({
      RequestBytes({WorkerOp::ConfineToArchives, 0, ArchivePathsText(dir.File("game.mpq"), dir.File("base.mpq"))}),
      RequestBytes({WorkerOp::OpenGameArchive, 0, dir.File("game.mpq")}),
      RequestBytes({WorkerOp::OpenBaseArchive, 0, dir.File("base.mpq")}),
      RequestBytes({WorkerOp::ReadWholeFile, 0, "g"}),
      RequestBytes({WorkerOp::ReadWholeFile, 0, "b"}),
      RequestBytes({WorkerOp::ReadWholeFile, 0, "missing"}),
      RequestBytes({WorkerOp::ReadWholeFile, 0, "empty"}),
      RequestBytes({WorkerOp::ReadExactFile, 2, "g"}),
      RequestBytes({WorkerOp::ReadExactFile, 3, "g"}),
      RequestBytes({WorkerOp::Exit, 0, ""}),
      RequestBytes({WorkerOp::ReadWholeFile, 0, "g"}),  // never read
  });
  // clang-format on
  MemoryLink link(script);
  EXPECT_EQ(ServeArchiveRequests(link), 0);
  EXPECT_EQ(link.output, (Bytes{1, 0, 0, 0, 0,            // confined
                                1, 0, 0, 0, 0,            // game archive open
                                1, 0, 0, 0, 0,            // base archive open
                                0, 2, 0, 0, 0, 'G', 'V',  // read
                                0, 1, 0, 0, 0, 'K',       // read from the base archive
                                1, 0, 0, 0, 0,            // no data
                                1, 0, 0, 0, 0,            // no data: empty
                                1, 2, 0, 0, 0, 'G', 'V',  // exact read
                                0, 0, 0, 0, 0}));         // wrong size
}

TEST(WorkerChannelTest, ArchiveThatCannotBeOpenedIsAnsweredWithTheLibrarysErrorCode) {
  testkit::TempDir dir;
  ASSERT_TRUE(demogame::BuildMpq(dir.File("game.mpq"), {{"g", {'G'}}}));
  ASSERT_TRUE(testkit::WriteFileText(dir.File("base.mpq"), "not an archive"));
  MemoryLink link(Concat({RequestBytes({WorkerOp::OpenGameArchive, 0, dir.File("game.mpq")}),
                          RequestBytes({WorkerOp::OpenGameArchive, 0, dir.File("game.mpq")}),
                          RequestBytes({WorkerOp::OpenBaseArchive, 0, dir.File("base.mpq")})}));
  EXPECT_EQ(ServeArchiveRequests(link), 1);
  MemoryLink replies(link.output);
  std::optional<std::uint32_t> error;
  ASSERT_TRUE(ReceiveOpenReply(replies, error));
  EXPECT_FALSE(error.has_value());
  for (const char* what : {"slot already taken", "no archive"}) {
    ASSERT_TRUE(ReceiveOpenReply(replies, error)) << what;
    EXPECT_TRUE(error.has_value()) << what;
  }
}

// Confinement steps that only count their calls, and one that fails.
int archiveSteps = 0;
int readingSteps = 0;
bool CountArchiveStep(const std::string&, const std::string&) { return ++archiveSteps > 0; }
bool RefuseArchiveStep(const std::string&, const std::string&) { return false; }
bool CountReadingStep() { return ++readingSteps > 0; }

TEST(WorkerChannelTest, ConfinedWorkerOpensOnlyTheArchivesItWasConfinedToAndOnlyAfterThat) {
  testkit::TempDir dir;
  const std::string game = dir.File("game.mpq");
  const std::string base = dir.File("base.mpq");
  ASSERT_TRUE(demogame::BuildMpq(game, {{"g", {'G'}}}));
  ASSERT_TRUE(demogame::BuildMpq(base, {{"b", {'K'}}}));
  const Bytes confine = RequestBytes({WorkerOp::ConfineToArchives, 0, ArchivePathsText(game, base)});
  const WorkerConfinement counted{CountArchiveStep, CountReadingStep};
  const Bytes confined = {1, 0, 0, 0, 0};

  MemoryLink openFirst(RequestBytes({WorkerOp::OpenGameArchive, 0, game}));
  EXPECT_EQ(ServeArchiveRequests(openFirst, counted), 1);
  EXPECT_EQ(openFirst.output, Bytes{});

  MemoryLink otherArchive(Concat({confine, RequestBytes({WorkerOp::OpenGameArchive, 0, base})}));
  EXPECT_EQ(ServeArchiveRequests(otherArchive, counted), 1);
  EXPECT_EQ(otherArchive.output, confined);

  MemoryLink twice(Concat({confine, confine}));
  EXPECT_EQ(ServeArchiveRequests(twice, counted), 1);
  EXPECT_EQ(twice.output, confined);

  MemoryLink refused(Concat({confine, RequestBytes({WorkerOp::OpenGameArchive, 0, game})}));
  EXPECT_EQ(ServeArchiveRequests(refused, {RefuseArchiveStep, CountReadingStep}), 1);
  EXPECT_EQ(refused.output, (Bytes{0, 0, 0, 0, 0}));

  archiveSteps = 0;
  readingSteps = 0;
  MemoryLink served(Concat({confine, RequestBytes({WorkerOp::OpenGameArchive, 0, game}),
                            RequestBytes({WorkerOp::OpenBaseArchive, 0, base}),
                            RequestBytes({WorkerOp::ReadWholeFile, 0, "b"})}));
  EXPECT_EQ(ServeArchiveRequests(served, counted), 1);
  EXPECT_EQ(archiveSteps, 1);
  EXPECT_EQ(readingSteps, 1);
  EXPECT_EQ(served.output, Concat({confined, confined, confined, {0, 1, 0, 0, 0, 'K'}}));
}

TEST(WorkerChannelTest, WorkerEndsWithStatusOneWhenTheStreamEnds) {
  MemoryLink link(RequestBytes({WorkerOp::ReadWholeFile, 0, "x"}));
  EXPECT_EQ(ServeArchiveRequests(link), 1);
  EXPECT_EQ(link.output, (Bytes{1, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace gvde
