#pragma once
// Writes one encoded audio stream into an ASF file with FFmpeg's muxer. The header goes out at
// Open; the finished data packets reach the file every quarter second of audio, so a crash
// loses little more than the unfinished packet (FFmpeg would otherwise hold up to its whole
// output buffer in memory); Close writes the index and completes the header. Once a write has
// failed (a full disk), the file is cut back at Close to the data packets that reached it
// whole, so it still plays.
//
// Threads: one thread at a time (the ASF writer's streaming thread, or the control thread at
// stop, under the writer's receive lock).

#include <cstdint>
#include <memory>
#include <string>

#include "platform/media/HResult.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

class AsfMuxer {
 public:
  // Creates `path` (replacing a file of that name) for the stream `encoder` makes. `language`
  // is the stream's RFC 1766 tag; empty writes none.
  static HRESULT Open(const std::string& path, const AVCodecContext* encoder, const std::string& language,
                      std::unique_ptr<AsfMuxer>* muxer);
  // Closes the file without completing it when Close was not called.
  ~AsfMuxer();

  // A packet whose times count samples of the encoder's rate.
  HRESULT WritePacket(AVPacket* packet);
  HRESULT Close();

  // The ASF data packet size chosen for the stream, in bytes.
  uint32_t PacketSizeBytes() const { return m_packetSizeBytes; }

 private:
  AsfMuxer() = default;

  // The output's pending failure, with its text; S_OK when there is none.
  HRESULT OutputError();
  // Writes out what the muxer has handed over; notes where the file then ends.
  HRESULT Flush();
  void CutToWholePackets();

  AVFormatContext* m_format = nullptr;
  AVStream* m_stream = nullptr;
  std::string m_path;
  int m_rateHz = 0;
  int64_t m_flushedUpTo = 0;  // stream position of the last flush, in samples
  uint32_t m_packetSizeBytes = 0;
  bool m_closed = false;
  bool m_failed = false;     // a write failed: the file ends in a broken packet
  int64_t m_wholeBytes = 0;  // the file's length after the last write that succeeded
};
