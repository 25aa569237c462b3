// Feeds arbitrary Vorbis packets to the Vorbis decoder filter between a fake source and a sink
// that drops what it receives: header storing, the lazy decoder, damaged packets, times before
// the seek point, flushes and stops. Input: one flag byte (bit 0: float output; bit 1: a media
// type announcing one channel more than the identification header), then records of
// [kind][length, 16-bit little-endian][packet bytes]. Kinds, modulo 6: timed packet, untimed
// packet, discontinuity, time before the seek point, flush, end of stream and restart.

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

#include "filters/TimeScale.h"
#include "filters/VorbisDec.h"
#include "support/FakeSourcePin.h"
#include "support/SinglePinFilter.h"

namespace {

class CDropPin : public CBaseInputPin {
 public:
  explicit CDropPin(CBaseFilter* filter) : CBaseInputPin(filter, "Drop") {}
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override { return type ? S_OK : E_POINTER; }
  HRESULT Receive(IMediaSample* sample) override {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    if (sample->GetActualDataLength() < 0 || sample->GetActualDataLength() > sample->GetSize()) __builtin_trap();
    return S_OK;
  }
};

enum Kind { kTimed, kUntimed, kDiscontinuity, kBeforeSeek, kFlush, kRestart, kKinds };

constexpr uint32_t kDefaultRate = 44100;
constexpr int64_t kFramesPerPacket = 512;

// Channels and rate from an identification header at the start of the first record, if any.
VORBISFORMAT FormatOf(const uint8_t* data, size_t size, bool oneMore) {
  VORBISFORMAT format{2, kDefaultRate, 0, 0, 0, 0.4f};
  if (size >= 3 + 16) {
    const uint8_t* packet = data + 3;
    if (packet[0] == 1 && std::memcmp(packet + 1, "vorbis", 6) == 0) {
      format.nChannels = packet[11];
      format.nSamplesPerSec = static_cast<int32_t>(GetLe32(packet + 12));
    }
  }
  if (oneMore) ++format.nChannels;
  return format;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  ++data, --size;
  const VORBISFORMAT format = FormatOf(data, size, (flags & 2) != 0);
  auto decoder = std::make_shared<CVorbisDec>();
  decoder->SetPreferFloat((flags & 1) != 0);
  CSinglePinFilter<CFakeSourcePin> source(MakeVorbisMediaType(format), ALLOCATOR_PROPERTIES{2, 65536, 1, 0});
  CSinglePinFilter<CDropPin> sink;
  IPin* input = decoder->GetPin(0);
  IPin* output = decoder->GetPin(1);
  if (FAILED(source.HostedPin().Connect(input, nullptr))) return 0;
  if (FAILED(output->Connect(&sink.HostedPin(), nullptr))) {
    source.HostedPin().Disconnect();
    input->Disconnect();
    return 0;
  }
  auto run = [&] { return SUCCEEDED(sink.Run(0)) && SUCCEEDED(decoder->Run(0)) && SUCCEEDED(source.Run(0)); };
  auto stop = [&] {
    source.Stop();
    decoder->Stop();
    sink.Stop();
  };
  int64_t granule = 0;
  bool running = run();
  for (size_t at = 0; running && at + 3 <= size;) {
    const int kind = data[at] % kKinds;
    const size_t length = std::min<size_t>(GetLe16(data + at + 1), size - at - 3);
    const uint8_t* packet = data + at + 3;
    at += 3 + length;
    granule += kFramesPerPacket;
    const REFERENCE_TIME time = ScaleRounded(granule, kUnitsPerSecond, std::max(format.nSamplesPerSec, 1));
    const std::span<const uint8_t> bytes(packet, length);
    switch (kind) {
      case kTimed:
        source.HostedPin().Send(bytes, SampleTimes{time, time});
        break;
      case kUntimed:
        source.HostedPin().Send(bytes);
        break;
      case kDiscontinuity:
        source.HostedPin().Send(bytes, SampleTimes{time, time}, true);
        break;
      case kBeforeSeek:
        source.HostedPin().Send(bytes, SampleTimes{-time, -time});
        break;
      case kFlush:
        source.HostedPin().DeliverBeginFlush();
        source.HostedPin().DeliverEndFlush();
        break;
      case kRestart:
        source.HostedPin().DeliverEndOfStream();
        stop();
        running = run();
        break;
    }
  }
  source.HostedPin().DeliverEndOfStream();
  stop();
  for (IPin* pin : {static_cast<IPin*>(&source.HostedPin()), input, output, static_cast<IPin*>(&sink.HostedPin())})
    pin->Disconnect();
  return 0;
}
