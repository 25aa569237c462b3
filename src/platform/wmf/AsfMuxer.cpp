#include "platform/wmf/AsfMuxer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <unistd.h>

#include <algorithm>
#include <new>

#include "platform/codecs/FfmpegError.h"

namespace {

// Bytes the muxer adds per ASF data packet and per block it carries.
constexpr uint32_t kPacketHeaderBytes = 14;
constexpr uint32_t kPayloadHeaderBytes = 17;
// Data packets per second of audio, at most: the muxer keeps an unfinished one in memory.
constexpr int kPacketsPerSecond = 2;
constexpr uint32_t kLargestPacketBytes = 65536;
// With the unfinished data packet (up to half a second) at most three quarters of a second of
// encoded audio waits in memory.
constexpr int kFlushesPerSecond = 4;

// A packet that holds whole blocks with nothing left over; the muxer pads every packet to its
// full size, which with the default size would waste up to a third of a low-bitrate stream.
uint32_t PacketSizeFor(const AVCodecContext* encoder) {
  const auto blockBytes = static_cast<uint32_t>(encoder->block_align) + kPayloadHeaderBytes;
  const uint32_t blocksPerPacket =
      static_cast<uint32_t>(encoder->sample_rate / kPacketsPerSecond / std::max(encoder->frame_size, 1));
  const uint32_t fitting = (kLargestPacketBytes - kPacketHeaderBytes) / blockBytes;
  return kPacketHeaderBytes + blockBytes * std::clamp(blocksPerPacket, 1u, std::max(fitting, 1u));
}

}  // namespace

HRESULT AsfMuxer::Open(const std::string& path, const AVCodecContext* encoder, const std::string& language,
                       std::unique_ptr<AsfMuxer>* muxer) {
  if (encoder == nullptr || muxer == nullptr) return E_POINTER;
  muxer->reset();
  std::unique_ptr<AsfMuxer> made(new (std::nothrow) AsfMuxer);
  if (!made) return E_OUTOFMEMORY;
  made->m_path = path;
  made->m_rateHz = encoder->sample_rate;
  made->m_packetSizeBytes = PacketSizeFor(encoder);
  int error = avformat_alloc_output_context2(&made->m_format, nullptr, "asf", path.c_str());
  if (error < 0) return ResultFromFfmpegError(error, "FFmpeg cannot write ASF files");
  made->m_stream = avformat_new_stream(made->m_format, nullptr);
  if (made->m_stream == nullptr) return E_OUTOFMEMORY;
  error = avcodec_parameters_from_context(made->m_stream->codecpar, encoder);
  if (error < 0) return ResultFromFfmpegError(error, "Could not describe the WMA stream");
  made->m_stream->time_base = encoder->time_base;
  // FFmpeg's ASF muxer takes ISO 639 language codes: the tag's language without its country.
  const std::string code = language.substr(0, language.find('-'));
  if (!code.empty()) av_dict_set(&made->m_stream->metadata, "language", code.c_str(), 0);
  av_opt_set_int(made->m_format->priv_data, "packet_size", made->m_packetSizeBytes, 0);

  error = avio_open(&made->m_format->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (error < 0) return ResultFromFfmpegError(error, "Cannot write \"" + path + "\"");
  error = avformat_write_header(made->m_format, nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "Could not write the ASF header of \"" + path + "\"");
  const HRESULT hr = made->Flush();
  if (FAILED(hr)) return hr;
  *muxer = std::move(made);
  return S_OK;
}

AsfMuxer::~AsfMuxer() {
  if (m_format == nullptr) return;
  avio_closep(&m_format->pb);
  if (m_failed) CutToWholePackets();
  avformat_free_context(m_format);
}

HRESULT AsfMuxer::WritePacket(AVPacket* packet) {
  if (m_closed) return E_UNEXPECTED;
  const int64_t end = packet->pts + packet->duration;
  packet->stream_index = m_stream->index;
  av_packet_rescale_ts(packet, AVRational{1, m_rateHz}, m_stream->time_base);
  const int error = av_write_frame(m_format, packet);
  if (error < 0) {
    m_failed = true;
    return ResultFromFfmpegError(error, "Writing \"" + m_path + "\" failed");
  }
  if (end - m_flushedUpTo < m_rateHz / kFlushesPerSecond) return OutputError();
  m_flushedUpTo = end;
  return Flush();
}

HRESULT AsfMuxer::Close() {
  if (m_closed) return S_OK;
  m_closed = true;
  if (m_failed) {
    // The failure was reported with its reason when it happened.
    avio_closep(&m_format->pb);
    CutToWholePackets();
    return E_FAIL;
  }
  int error = av_write_trailer(m_format);
  if (error >= 0) error = m_format->pb->error;
  const int closed = avio_closep(&m_format->pb);
  if (error >= 0) error = closed;
  if (error >= 0) return S_OK;
  m_failed = true;
  CutToWholePackets();
  return ResultFromFfmpegError(error, "Completing \"" + m_path + "\" failed");
}

HRESULT AsfMuxer::Flush() {
  avio_flush(m_format->pb);
  const HRESULT hr = OutputError();
  // The muxer hands the output whole data packets only, so the file now ends after one.
  if (SUCCEEDED(hr)) m_wholeBytes = avio_tell(m_format->pb);
  return hr;
}

void AsfMuxer::CutToWholePackets() {
  // Shortening a file needs no room, so this works on a full disk too.
  if (m_wholeBytes > 0) truncate(m_path.c_str(), m_wholeBytes);
}

HRESULT AsfMuxer::OutputError() {
  const int error = m_format->pb->error;
  if (error < 0) m_failed = true;
  return error < 0 ? ResultFromFfmpegError(error, "Writing \"" + m_path + "\" failed") : S_OK;
}
