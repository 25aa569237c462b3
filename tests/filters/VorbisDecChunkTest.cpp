// The decoder splits a stream into chunks that decode on two library decoders at once; these
// tests put many chunk seams, a seek inside a chunk and a flush while both cores decode under
// a reference that decodes every packet with one library decoder.

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "filters/TimeScale.h"
#include "filters/VorbisDecRig.h"
#include "filters/VorbisTestDecoder.h"

namespace {

constexpr long kRate = 44100;
constexpr int kChannels = 2;
constexpr size_t kFrames = 12 * kRate;

// Tones with a click every 0.3 s, so long and short blocks alternate across the seams.
const VorbisTestStream& LongStream() {
  static const VorbisTestStream stream = [] {
    std::vector<std::vector<float>> audio = {Sine(kFrames, 440, kRate, 0.4), Sine(kFrames, 530, kRate, 0.3)};
    for (size_t at = kRate / 10; at < kFrames; at += kRate * 3 / 10) audio[0][at] = audio[1][at] = 0.9f;
    return EncodeVorbisStream(kRate, audio);
  }();
  return stream;
}

// One library decoder over every packet, per channel; the last packet untrimmed.
const DecodedVorbis& Reference() {
  static const DecodedVorbis decoded = [] {
    std::vector<ReceivedSample> packets;
    for (const VorbisTestPacket& packet : LongStream().packets) {
      ReceivedSample sample;
      sample.bytes = packet.bytes;
      packets.push_back(std::move(sample));
    }
    return DecodeVorbisPackets(packets);
  }();
  return decoded;
}

// Every sample's floats equal the reference's from `firstFrame` on, and each starts where the
// one before ended; the frames that arrived.
int64_t ExpectReference(const std::vector<ReceivedSample>& samples, int64_t firstFrame) {
  const DecodedVorbis& reference = Reference();
  int64_t frame = 0;
  for (const ReceivedSample& sample : samples) {
    EXPECT_TRUE(sample.times);
    if (!sample.times) return frame;
    EXPECT_EQ(ScaleRounded(sample.times->start, kRate, kUnitsPerSecond), frame) << "a gap or an overlap";
    const size_t frames = sample.bytes.size() / (4 * kChannels);
    for (size_t f = 0; f < frames; ++f) {
      for (int c = 0; c < kChannels; ++c) {
        float value;
        std::memcpy(&value, &sample.bytes[(f * kChannels + static_cast<size_t>(c)) * 4], 4);
        const size_t at = static_cast<size_t>(firstFrame + frame) + f;
        if (at >= reference.samples[static_cast<size_t>(c)].size() ||
            value != reference.samples[static_cast<size_t>(c)][at]) {
          ADD_FAILURE() << "frame " << at << " channel " << c;
          return frame;
        }
      }
    }
    frame += static_cast<int64_t>(frames);
  }
  return frame;
}

TEST(VorbisDecChunks, ALongStreamDecodesAsOneDecoderAcrossEverySeam) {
  ASSERT_TRUE(Reference().valid);
  VorbisDecRig rig(kChannels, kRate, true);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll(LongStream().packets), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  EXPECT_EQ(ExpectReference(rig.Output(), 0), static_cast<int64_t>(kFrames));
  EXPECT_TRUE(rig.Harness().Sink().AtEndOfStream());
}

// A flush while chunks decode drops them whole; after it a seek inside a packet resumes at its
// very sample, the session's chunks counted from there.
TEST(VorbisDecChunks, AFlushWhileDecodingThenASeekInsideAChunk) {
  ASSERT_TRUE(Reference().valid);
  const std::vector<VorbisTestPacket>& packets = LongStream().packets;
  const size_t resume = 3 + 301;
  const int64_t seekFrame = packets[resume].granule + 300;

  VorbisDecRig rig(kChannels, kRate, true);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll({packets.begin(), packets.begin() + 3 + 250}), S_OK);
  ASSERT_EQ(rig.Flush(), S_OK);
  const std::vector<ReceivedSample> beforeFlush = rig.Output();
  ExpectReference(beforeFlush, 0);

  std::vector<VorbisTestPacket> again(packets.begin(), packets.begin() + 3);
  again.insert(again.end(), packets.begin() + static_cast<long>(resume), packets.end());
  ASSERT_EQ(rig.SendAll(again, seekFrame), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  const std::vector<ReceivedSample> all = rig.Output();
  ASSERT_GT(all.size(), beforeFlush.size());
  const std::vector<ReceivedSample> afterSeek(all.begin() + static_cast<long>(beforeFlush.size()), all.end());
  EXPECT_EQ(ExpectReference(afterSeek, seekFrame), static_cast<int64_t>(kFrames) - seekFrame);
}

}  // namespace
