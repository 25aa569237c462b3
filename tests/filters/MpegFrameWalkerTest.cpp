#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "filters/MpegFrameWalker.h"

namespace {

using Bytes = std::vector<uint8_t>;

// MPEG-1 Layer III at 128 kbit/s, 44.1 kHz: 417 bytes, 418 padded. Appends a frame and returns
// where it starts.
size_t AppendFrame(Bytes& stream, bool padded) {
  const size_t start = stream.size();
  stream.resize(start + (padded ? 418 : 417), 0x55);
  stream[start] = 0xFF;
  stream[start + 1] = 0xFB;
  stream[start + 2] = padded ? 0x92 : 0x90;
  stream[start + 3] = 0x00;
  return start;
}

// The frame starts the walker reports when fed `stream` in pieces of `pieceBytes`, as offsets
// in the whole stream.
std::vector<size_t> WalkInPieces(const Bytes& stream, size_t pieceBytes) {
  MpegFrameWalker walker;
  std::vector<size_t> starts;
  for (size_t at = 0; at < stream.size(); at += pieceBytes) {
    const size_t count = std::min(pieceBytes, stream.size() - at);
    for (const size_t start : walker.Walk(std::span(stream).subspan(at, count))) starts.push_back(at + start);
  }
  return starts;
}

TEST(MpegFrameWalker, FindsEveryFrameStartWhereverThePiecesEnd) {
  Bytes stream;
  std::vector<size_t> expected;
  for (int i = 0; i < 12; ++i) expected.push_back(AppendFrame(stream, i % 4 == 1));
  // Piece ends inside headers (1, 2, 3 bytes of one), on frame starts, and within frames.
  for (const size_t pieceBytes : {size_t{1}, size_t{2}, size_t{3}, size_t{417}, size_t{418}, size_t{1000}, stream.size()})
    EXPECT_EQ(WalkInPieces(stream, pieceBytes), expected) << "pieces of " << pieceBytes;
}

TEST(MpegFrameWalker, BytesWhereAFrameIsDueAreCutBeforeAndPassedOverToTheNextHeader) {
  Bytes stream;
  std::vector<size_t> expected{AppendFrame(stream, false)};
  // The first frame ends where no header follows.
  expected.push_back(stream.size());
  stream.insert(stream.end(), {0x00, 0x12, 0xFF, 0x00, 0x34});
  expected.push_back(AppendFrame(stream, true));
  expected.push_back(AppendFrame(stream, false));
  EXPECT_EQ(WalkInPieces(stream, stream.size()), expected);
  EXPECT_EQ(WalkInPieces(stream, 7), expected);
}

TEST(MpegFrameWalker, ACopyGoesOnFromWhereItWasTaken) {
  Bytes stream;
  for (int i = 0; i < 4; ++i) AppendFrame(stream, false);
  MpegFrameWalker walker;
  walker.Walk(std::span(stream).first(600));
  const MpegFrameWalker copy = walker;
  EXPECT_EQ(walker.Walk(std::span(stream).subspan(600, 400)), (std::vector<size_t>{234}));
  MpegFrameWalker again = copy;
  EXPECT_EQ(again.Walk(std::span(stream).subspan(600, 400)), (std::vector<size_t>{234}));
}

}  // namespace
