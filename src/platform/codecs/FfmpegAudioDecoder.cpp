#include "platform/codecs/FfmpegAudioDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/codecs/FfmpegError.h"

namespace {

// Demuxers that refer to other files or addresses (playlists, concatenation lists) would read
// beyond the one file they were given: refuse every such open.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

HRESULT Refuse(HRESULT hr, const std::string& text) {
  SetErrorInfo(text);
  return hr;
}

AVChannelLayout LayoutOf(const AVChannelLayout& layout) {
  AVChannelLayout usable{};
  if (layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_copy(&usable, &layout) < 0)
    av_channel_layout_default(&usable, layout.nb_channels);
  return usable;
}

}  // namespace

FfmpegAudioDecoder::~FfmpegAudioDecoder() {
  swr_free(&m_resampler);
  av_frame_free(&m_frame);
  av_packet_free(&m_packet);
  avcodec_free_context(&m_codec);
  avformat_close_input(&m_formatContext);
}

HRESULT FfmpegAudioDecoder::Open(IAsyncReader* reader, std::unique_ptr<FfmpegAudioDecoder>* decoder) {
  if (reader == nullptr || decoder == nullptr) return E_POINTER;
  decoder->reset();
  std::unique_ptr<FfmpegAudioDecoder> opened(new FfmpegAudioDecoder());
  HRESULT hr = opened->OpenInput(reader);
  if (SUCCEEDED(hr)) hr = opened->OpenCodec();
  if (FAILED(hr)) return hr;
  *decoder = std::move(opened);
  return S_OK;
}

HRESULT FfmpegAudioDecoder::OpenInput(IAsyncReader* reader) {
  int64_t total = 0, available = 0;
  HRESULT hr = reader->Length(&total, &available);
  if (FAILED(hr)) return hr;
  if (total == 0) return Refuse(VFW_E_INVALID_FILE_FORMAT, "The file is empty.");
  hr = FfmpegReaderIo::Create(reader, &m_io);
  if (FAILED(hr)) return hr;
  m_formatContext = avformat_alloc_context();
  if (m_formatContext == nullptr) return E_OUTOFMEMORY;
  m_formatContext->pb = m_io->Context();
  m_formatContext->flags |= AVFMT_FLAG_CUSTOM_IO;
  m_formatContext->io_open = &RefuseNestedOpen;
  int result = avformat_open_input(&m_formatContext, nullptr, nullptr, nullptr);
  if (result < 0) {
    if (FAILED(m_io->ReadFailure())) return m_io->ReadFailure();
    return Refuse(VFW_E_UNKNOWN_FILE_TYPE, "The file is not in an audio format that can be read, or it is damaged.");
  }
  if (std::strcmp(m_formatContext->iformat->name, "ogg") == 0)
    return Refuse(VFW_E_UNSUPPORTED_STREAM, "Ogg files are read by the Ogg splitter, which is not available.");
  result = avformat_find_stream_info(m_formatContext, nullptr);
  if (result < 0) {
    if (FAILED(m_io->ReadFailure())) return m_io->ReadFailure();
    return Refuse(VFW_E_INVALID_FILE_FORMAT, "The file is damaged: its streams cannot be read.");
  }
  m_stream = av_find_best_stream(m_formatContext, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (m_stream < 0) return Refuse(VFW_E_UNSUPPORTED_STREAM, "The file holds no audio.");
  for (unsigned i = 0; i < m_formatContext->nb_streams; ++i)
    if (static_cast<int>(i) != m_stream) m_formatContext->streams[i]->discard = AVDISCARD_ALL;
  return S_OK;
}

HRESULT FfmpegAudioDecoder::OpenCodec() {
  const AVStream* stream = m_formatContext->streams[m_stream];
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr)
    return Refuse(VFW_E_UNSUPPORTED_STREAM, std::string("The file's audio is in a format that cannot be decoded (") +
                                                avcodec_get_name(stream->codecpar->codec_id) + ").");
  m_codec = avcodec_alloc_context3(codec);
  m_packet = av_packet_alloc();
  m_frame = av_frame_alloc();
  if (m_codec == nullptr || m_packet == nullptr || m_frame == nullptr) return E_OUTOFMEMORY;
  int result = avcodec_parameters_to_context(m_codec, stream->codecpar);
  if (result < 0) return ResultFromFfmpegError(result, "Cannot decode the file's audio");
  m_codec->pkt_timebase = stream->time_base;
  result = avcodec_open2(m_codec, codec, nullptr);
  if (result < 0) return ResultFromFfmpegError(result, "Cannot decode the file's audio");
  const int channels = m_codec->ch_layout.nb_channels;
  if (m_codec->sample_rate <= 0 || channels <= 0 || channels > 0xFFFF / 2)
    return Refuse(VFW_E_UNSUPPORTED_STREAM, "The file's audio has no usable sample rate or channel count.");
  const bool eightBit = m_codec->sample_fmt == AV_SAMPLE_FMT_U8 || m_codec->sample_fmt == AV_SAMPLE_FMT_U8P;
  m_outputFormat = eightBit ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
  m_format =
      MakePcmFormat(static_cast<uint32_t>(m_codec->sample_rate), static_cast<uint16_t>(channels), eightBit ? 8 : 16);

  const AVRational frameUnits{1, m_codec->sample_rate};
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
    m_durationFrames = static_cast<uint64_t>(av_rescale_q(stream->duration, stream->time_base, frameUnits));
  else if (m_formatContext->duration != AV_NOPTS_VALUE && m_formatContext->duration > 0)
    m_durationFrames = static_cast<uint64_t>(av_rescale_q(m_formatContext->duration, AV_TIME_BASE_Q, frameUnits));
  return S_OK;
}

HRESULT FfmpegAudioDecoder::Seek(uint64_t frame) {
  const AVStream* stream = m_formatContext->streams[m_stream];
  const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
  const int64_t timestamp =
      start + av_rescale_q(static_cast<int64_t>(frame), AVRational{1, m_codec->sample_rate}, stream->time_base);
  const int result = avformat_seek_file(m_formatContext, m_stream, INT64_MIN, timestamp, timestamp, 0);
  if (result < 0) {
    if (FAILED(m_io->ReadFailure())) return m_io->ReadFailure();
    return ResultFromFfmpegError(result, "Cannot seek in the file");
  }
  avcodec_flush_buffers(m_codec);
  if (m_packetPending) av_packet_unref(m_packet);
  m_packetPending = false;
  m_inputEnded = false;
  m_positionKnown = false;
  m_target = frame;
  m_pendingFrames = 0;
  m_pendingOffset = 0;
  return S_OK;
}

HRESULT FfmpegAudioDecoder::Read(uint8_t* buffer, size_t frames, size_t* got) {
  if (buffer == nullptr || got == nullptr) return E_POINTER;
  *got = 0;
  const size_t blockBytes = m_format.nBlockAlign;
  while (*got < frames) {
    if (m_pendingFrames == 0) {
      const HRESULT hr = DecodeMore();
      if (FAILED(hr)) return hr;
      if (hr == S_FALSE) break;
      continue;
    }
    const size_t take = std::min(frames - *got, m_pendingFrames);
    std::memcpy(buffer + *got * blockBytes, m_pcm.data() + m_pendingOffset * blockBytes, take * blockBytes);
    *got += take;
    m_pendingOffset += take;
    m_pendingFrames -= take;
  }
  return *got > 0 ? S_OK : S_FALSE;
}

HRESULT FfmpegAudioDecoder::DecodeMore() {
  for (;;) {
    int result = avcodec_receive_frame(m_codec, m_frame);
    if (result == 0) {
      const HRESULT hr = TakeFrame();
      av_frame_unref(m_frame);
      if (hr != S_FALSE) return hr;
      continue;
    }
    if (result == AVERROR_EOF) return S_FALSE;
    // A frame that cannot be decoded is skipped, as players do with damaged data.
    if (result != AVERROR(EAGAIN) && result != AVERROR_INVALIDDATA)
      return ResultFromFfmpegError(result, "Cannot decode the file's audio");
    if (result == AVERROR_INVALIDDATA) continue;
    if (m_inputEnded) return S_FALSE;

    if (!m_packetPending) {
      result = av_read_frame(m_formatContext, m_packet);
      if (result == AVERROR_EOF || (result < 0 && avio_feof(m_formatContext->pb) && SUCCEEDED(m_io->ReadFailure()))) {
        avcodec_send_packet(m_codec, nullptr);
        m_inputEnded = true;
        continue;
      }
      if (result < 0) {
        if (FAILED(m_io->ReadFailure())) return m_io->ReadFailure();
        return ResultFromFfmpegError(result, "Cannot read the file");
      }
      if (m_packet->stream_index != m_stream) {
        av_packet_unref(m_packet);
        continue;
      }
      m_packetPending = true;
    }
    result = avcodec_send_packet(m_codec, m_packet);
    if (result == AVERROR(EAGAIN)) continue;  // the decoder hands out frames first
    av_packet_unref(m_packet);
    m_packetPending = false;
    if (result < 0 && result != AVERROR_INVALIDDATA)
      return ResultFromFfmpegError(result, "Cannot decode the file's audio");
  }
}

HRESULT FfmpegAudioDecoder::TakeFrame() {
  if (m_frame->nb_samples <= 0) return S_FALSE;
  if (!m_positionKnown) {
    // The first frame after a seek says where decoding resumed; later frames follow on
    // without gaps, whatever their (possibly estimated) timestamps say.
    const AVStream* stream = m_formatContext->streams[m_stream];
    const int64_t timestamp = m_frame->best_effort_timestamp;
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    int64_t position = static_cast<int64_t>(m_target);
    if (timestamp != AV_NOPTS_VALUE)
      position = av_rescale_q(timestamp - start, stream->time_base, AVRational{1, m_codec->sample_rate});
    m_decoded = static_cast<uint64_t>(std::max<int64_t>(position, 0));
    m_positionKnown = true;
  }
  size_t frames = 0;
  const HRESULT hr = Convert(&frames);
  if (FAILED(hr)) return hr;
  const uint64_t first = m_decoded;
  m_decoded += frames;
  if (m_decoded <= m_target) return S_FALSE;
  m_pendingOffset = first < m_target ? static_cast<size_t>(m_target - first) : 0;
  m_pendingFrames = frames - m_pendingOffset;
  return S_OK;
}

HRESULT FfmpegAudioDecoder::Convert(size_t* frames) {
  const int inputFrames = m_frame->nb_samples;
  const int channels = m_format.nChannels;
  const int rate = static_cast<int>(m_format.nSamplesPerSec);
  if (m_frame->format == m_outputFormat && m_frame->sample_rate == rate && m_frame->ch_layout.nb_channels == channels) {
    const size_t bytes = static_cast<size_t>(inputFrames) * m_format.nBlockAlign;
    m_pcm.resize(bytes);
    std::memcpy(m_pcm.data(), m_frame->data[0], bytes);
    *frames = static_cast<size_t>(inputFrames);
    return S_OK;
  }
  if (m_resampler == nullptr || m_resamplerFormat != m_frame->format || m_resamplerRate != m_frame->sample_rate ||
      m_resamplerChannels != m_frame->ch_layout.nb_channels) {
    swr_free(&m_resampler);
    AVChannelLayout input = LayoutOf(m_frame->ch_layout);
    AVChannelLayout output{};
    av_channel_layout_default(&output, channels);
    int result = swr_alloc_set_opts2(&m_resampler, &output, static_cast<AVSampleFormat>(m_outputFormat), rate, &input,
                                     static_cast<AVSampleFormat>(m_frame->format), m_frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&input);
    av_channel_layout_uninit(&output);
    if (result >= 0) result = swr_init(m_resampler);
    if (result < 0) {
      swr_free(&m_resampler);
      return ResultFromFfmpegError(result, "Cannot convert the file's audio");
    }
    m_resamplerFormat = m_frame->format;
    m_resamplerRate = m_frame->sample_rate;
    m_resamplerChannels = m_frame->ch_layout.nb_channels;
  }
  const int room = swr_get_out_samples(m_resampler, inputFrames);
  if (room < 0) return ResultFromFfmpegError(room, "Cannot convert the file's audio");
  m_pcm.resize(static_cast<size_t>(room) * m_format.nBlockAlign);
  uint8_t* output = m_pcm.data();
  const int converted =
      swr_convert(m_resampler, &output, room, const_cast<const uint8_t**>(m_frame->extended_data), inputFrames);
  if (converted < 0) return ResultFromFfmpegError(converted, "Cannot convert the file's audio");
  *frames = static_cast<size_t>(converted);
  return S_OK;
}
