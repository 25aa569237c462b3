// Reads one audio file through the waveform reader graph into a dump file, as a load does, and
// prints the dump's header line. Driver for bench/waveform_read.sh.
//   waveform_read_bench FILE DUMP

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/WaveformReader.h"
#include "platform/codecs/AudioDecoderRegistration.h"
#include "platform/ui/MessageLoop.h"

namespace {

constexpr auto kLongestLoad = std::chrono::hours(4);

int Fail(const char* file, const std::string& reason) {
  std::fprintf(stderr, "waveform_read_bench: %s: %s\n", file, reason.empty() ? "the load failed" : reason.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: waveform_read_bench FILE DUMP\n");
    return 2;
  }
  RegisterAudioDecoders();
  MessageLoop window;
  WaveformReader reader;
  reader.SetFiles(argv[1], argv[2], &window);
  const HRESULT hr = reader.Run();
  ReaderOutcome outcome = ReaderOutcome::Running;
  MSG message;
  while (SUCCEEDED(hr) && outcome == ReaderOutcome::Running && window.GetMessage(message, kLongestLoad))
    outcome = reader.ReadEvents();
  const std::string reason = GetErrorInfo();
  reader.Release();
  if (outcome != ReaderOutcome::Completed) return Fail(argv[1], reason);

  std::FILE* dump = std::fopen(argv[2], "rb");
  char header[256] = {};
  if (dump == nullptr || std::fgets(header, sizeof header, dump) == nullptr) return Fail(argv[2], "unreadable");
  std::fclose(dump);
  std::fputs(header, stdout);
  return 0;
}
