#pragma once
// Decodes the packets a Vorbis encoder delivered (three headers, then audio) with libvorbis's
// synthesis side, so tests can look at the audio that a player would hear.

#include <ogg/ogg.h>

#include <cstdint>
#include <span>
#include <vector>

#include "support/FakeSinkPin.h"

struct DecodedVorbis {
  bool valid = false;  // headers parsed and every audio packet decoded
  int channels = 0;
  long rateHz = 0;
  long maxBitrate = 0, nominalBitrate = 0, minBitrate = 0;
  std::vector<std::vector<float>> samples;  // per channel
};

DecodedVorbis DecodeVorbisPackets(const std::vector<ReceivedSample>& packets);

// Root mean square of `samples[from, to)`.
double Rms(const std::vector<float>& samples, size_t from, size_t to);

// A packet over `bytes` (not copied) for libvorbis: the first of its stream when `number` is 0,
// no granule position.
ogg_packet PacketOf(std::span<const uint8_t> bytes, long number);
