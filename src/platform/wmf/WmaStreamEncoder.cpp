#include "platform/wmf/WmaStreamEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "platform/codecs/FfmpegError.h"
#include "platform/codecs/FfmpegPacketDrain.h"

namespace {

constexpr uint16_t kWaveFormatIeeeFloat = 0x0003;

std::optional<AVSampleFormat> InputSampleFormat(const WAVEFORMATEX& input) {
  if (input.wFormatTag == kWaveFormatIeeeFloat && input.wBitsPerSample == 32) return AV_SAMPLE_FMT_FLT;
  if (input.wFormatTag != WAVE_FORMAT_PCM) return std::nullopt;
  switch (input.wBitsPerSample) {
    case 8:
      return AV_SAMPLE_FMT_U8;
    case 16:
      return AV_SAMPLE_FMT_S16;
    case 32:
      return AV_SAMPLE_FMT_S32;
    default:
      return std::nullopt;
  }
}

constexpr uint16_t kMostChannels = 8;

}  // namespace

bool WmaStreamEncoder::Accepts(const WAVEFORMATEX& input) {
  return InputSampleFormat(input) && input.nChannels > 0 && input.nChannels <= kMostChannels &&
         input.nSamplesPerSec > 0 && input.nSamplesPerSec <= INT32_MAX &&
         input.nBlockAlign == input.nChannels * (input.wBitsPerSample / 8);
}

HRESULT WmaStreamEncoder::Open(const char* encoderName, uint32_t bitsPerSecond, uint32_t rateHz, uint16_t channels,
                               const WAVEFORMATEX& input, std::unique_ptr<WmaStreamEncoder>* encoder) {
  if (encoderName == nullptr || encoder == nullptr) return E_POINTER;
  encoder->reset();
  const std::string name = encoderName;
  if (!Accepts(input)) {
    SetErrorInfo("The WMA encoder takes 8-, 16- or 32-bit PCM or 32-bit float audio of 1 to 8 channels.");
    return VFW_E_TYPE_NOT_ACCEPTED;
  }
  const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
  if (codec == nullptr || codec->sample_fmts == nullptr) {
    SetErrorInfo("FFmpeg on this system has no " + name + " encoder.");
    return VFW_E_NOT_FOUND;
  }

  std::unique_ptr<WmaStreamEncoder> made(new (std::nothrow) WmaStreamEncoder);
  if (!made) return E_OUTOFMEMORY;
  made->m_context.reset(avcodec_alloc_context3(codec));
  made->m_frame.reset(av_frame_alloc());
  made->m_packet.reset(av_packet_alloc());
  if (!made->m_context || !made->m_frame || !made->m_packet) return E_OUTOFMEMORY;
  AVCodecContext* context = made->m_context.get();
  context->sample_rate = static_cast<int>(rateHz);
  context->sample_fmt = codec->sample_fmts[0];
  context->bit_rate = bitsPerSecond;
  context->time_base = AVRational{1, static_cast<int>(rateHz)};
  av_channel_layout_default(&context->ch_layout, channels);
  int error = avcodec_open2(context, codec, nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "The " + name + " encoder refused its format");
  if (context->frame_size <= 0) {
    SetErrorInfo("The " + name + " encoder has no fixed frame length.");
    return VFW_E_UNSUPPORTED_STREAM;
  }

  AVChannelLayout inputLayout;
  av_channel_layout_default(&inputLayout, input.nChannels);
  error =
      swr_alloc_set_opts2(&made->m_resampler, &context->ch_layout, context->sample_fmt, context->sample_rate,
                          &inputLayout, *InputSampleFormat(input), static_cast<int>(input.nSamplesPerSec), 0, nullptr);
  av_channel_layout_uninit(&inputLayout);
  if (error >= 0) error = swr_init(made->m_resampler);
  if (error < 0) return ResultFromFfmpegError(error, "Could not set up the conversion for the " + name + " encoder");

  made->m_fifo = av_audio_fifo_alloc(context->sample_fmt, channels, context->frame_size);
  AVFrame* frame = made->m_frame.get();
  frame->format = context->sample_fmt;
  frame->sample_rate = context->sample_rate;
  frame->nb_samples = context->frame_size;
  error = av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
  if (error >= 0) error = av_frame_get_buffer(frame, 0);
  if (error < 0 || made->m_fifo == nullptr) return E_OUTOFMEMORY;
  try {
    made->m_converted.assign(channels, nullptr);
    made->m_partial.reserve(input.nBlockAlign);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  made->m_inputFrameBytes = input.nBlockAlign;
  *encoder = std::move(made);
  return S_OK;
}

WmaStreamEncoder::~WmaStreamEncoder() {
  if (!m_converted.empty()) av_freep(&m_converted[0]);
  if (m_fifo != nullptr) av_audio_fifo_free(m_fifo);
  swr_free(&m_resampler);
}

HRESULT WmaStreamEncoder::Write(std::span<const uint8_t> pcm, const PacketSink& sink) {
  if (m_finished) return E_UNEXPECTED;
  if (!m_partial.empty()) {
    const size_t taken = std::min(m_inputFrameBytes - m_partial.size(), pcm.size());
    m_partial.insert(m_partial.end(), pcm.begin(), pcm.begin() + static_cast<long>(taken));
    pcm = pcm.subspan(taken);
    if (m_partial.size() < m_inputFrameBytes) return S_OK;
    const HRESULT hr = Convert(m_partial.data(), 1);
    m_partial.clear();
    if (FAILED(hr)) return hr;
  }
  const size_t frames = pcm.size() / m_inputFrameBytes;
  if (frames > 0) {
    const HRESULT hr = Convert(pcm.data(), static_cast<int>(frames));
    if (FAILED(hr)) return hr;
  }
  m_partial.assign(pcm.begin() + static_cast<long>(frames * m_inputFrameBytes), pcm.end());
  return EncodeQueued(false, sink);
}

HRESULT WmaStreamEncoder::Finish(const PacketSink& sink) {
  if (m_finished) return E_UNEXPECTED;
  m_finished = true;
  // What the resampler still holds, then a last short frame.
  HRESULT hr = Convert(nullptr, 0);
  if (SUCCEEDED(hr)) hr = EncodeQueued(true, sink);
  if (FAILED(hr)) return hr;
  const int error = avcodec_send_frame(m_context.get(), nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "The WMA encoder could not finish");
  return Drain(sink);
}

HRESULT WmaStreamEncoder::Convert(const uint8_t* pcm, int frames) {
  const int room = swr_get_out_samples(m_resampler, frames);
  if (room < 0) return ResultFromFfmpegError(room, "The conversion for the WMA encoder failed");
  if (room > m_convertedCapacity) {
    av_freep(&m_converted[0]);
    m_convertedCapacity = 0;
    const int error =
        av_samples_alloc(m_converted.data(), nullptr, m_context->ch_layout.nb_channels, room, m_context->sample_fmt, 0);
    if (error < 0) return ResultFromFfmpegError(error, "No room to convert audio for the WMA encoder");
    m_convertedCapacity = room;
  }
  const uint8_t* input[] = {pcm};
  const int converted =
      swr_convert(m_resampler, m_converted.data(), m_convertedCapacity, pcm ? input : nullptr, frames);
  if (converted < 0) return ResultFromFfmpegError(converted, "The conversion for the WMA encoder failed");
  if (converted > 0 && av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(m_converted.data()), converted) < converted)
    return E_OUTOFMEMORY;
  return S_OK;
}

HRESULT WmaStreamEncoder::EncodeQueued(bool last, const PacketSink& sink) {
  const int frameSize = m_context->frame_size;
  while (av_audio_fifo_size(m_fifo) >= frameSize || (last && av_audio_fifo_size(m_fifo) > 0)) {
    // The decoder takes the first block to prime itself and gives out nothing for it.
    HRESULT hr = m_nextPts == 0 ? EncodeFrame(false, sink) : S_OK;
    if (hr == S_OK) hr = EncodeFrame(true, sink);
    if (hr != S_OK) return hr;
  }
  return S_OK;
}

HRESULT WmaStreamEncoder::EncodeFrame(bool fromQueue, const PacketSink& sink) {
  const int frameSize = m_context->frame_size;
  // The encoder may still hold a reference to the frame's buffers.
  int error = av_frame_make_writable(m_frame.get());
  if (error < 0) return ResultFromFfmpegError(error, "Could not reuse the WMA encoder's frame");
  const int taken = fromQueue ? av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_frame->data), frameSize) : 0;
  if (taken < 0) return ResultFromFfmpegError(taken, "The WMA encoder's queue failed");
  if (taken < frameSize)
    av_samples_set_silence(m_frame->data, taken, frameSize - taken, m_context->ch_layout.nb_channels,
                           m_context->sample_fmt);
  m_frame->nb_samples = frameSize;
  m_frame->pts = m_nextPts;
  m_nextPts += frameSize;
  error = avcodec_send_frame(m_context.get(), m_frame.get());
  if (error < 0) return ResultFromFfmpegError(error, "The WMA encoder failed");
  return Drain(sink);
}

HRESULT WmaStreamEncoder::Drain(const PacketSink& sink) {
  return DrainEncoderPackets(m_context.get(), m_packet.get(), m_context->codec->name, sink);
}
