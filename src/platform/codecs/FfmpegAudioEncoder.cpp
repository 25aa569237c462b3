#include "platform/codecs/FfmpegAudioEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <new>

#include "platform/codecs/FfmpegError.h"
#include "platform/codecs/FfmpegPacketDrain.h"

namespace {

// Frame length for encoders that take any (G.711): about 23 ms at 44.1 kHz.
constexpr int kVariableFrameLength = 1024;

bool Supports(const AVCodec* codec, AVSampleFormat format) {
  for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
    if (*f == format) return true;
  return false;
}

int16_t SampleAt(const uint8_t* at, uint16_t bytesPerSample) {
  if (bytesPerSample == 1) return static_cast<int16_t>((at[0] - 128) * 256);
  return static_cast<int16_t>(at[0] | (at[1] << 8));
}

}  // namespace

void FfmpegDeleter::operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
void FfmpegDeleter::operator()(AVFrame* frame) const { av_frame_free(&frame); }
void FfmpegDeleter::operator()(AVPacket* packet) const { av_packet_free(&packet); }

HRESULT FfmpegAudioEncoder::Open(const char* encoderName, uint32_t rateHz, uint16_t channels,
                                 uint16_t inputBitsPerSample, std::unique_ptr<FfmpegAudioEncoder>* encoder) {
  if (encoderName == nullptr || encoder == nullptr) return E_POINTER;
  encoder->reset();
  const std::string name = encoderName;
  if (rateHz == 0 || rateHz > INT32_MAX || channels == 0 || (inputBitsPerSample != 8 && inputBitsPerSample != 16)) {
    SetErrorInfo("The " + name + " encoder takes 8- or 16-bit PCM with a rate and at least one channel.");
    return E_INVALIDARG;
  }
  const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
  const bool planar = codec && !Supports(codec, AV_SAMPLE_FMT_S16) && Supports(codec, AV_SAMPLE_FMT_S16P);
  if (codec == nullptr || (!planar && !Supports(codec, AV_SAMPLE_FMT_S16))) {
    SetErrorInfo("FFmpeg on this system has no " + name + " encoder for 16-bit samples.");
    return VFW_E_NOT_FOUND;
  }

  std::unique_ptr<FfmpegAudioEncoder> made(new (std::nothrow) FfmpegAudioEncoder);
  if (!made) return E_OUTOFMEMORY;
  made->m_name = name;
  made->m_rateHz = rateHz;
  made->m_channels = channels;
  made->m_inputBytesPerSample = inputBitsPerSample / 8;
  made->m_planar = planar;
  made->m_context.reset(avcodec_alloc_context3(codec));
  made->m_frame.reset(av_frame_alloc());
  made->m_packet.reset(av_packet_alloc());
  if (!made->m_context || !made->m_frame || !made->m_packet) return E_OUTOFMEMORY;

  AVCodecContext* context = made->m_context.get();
  context->sample_rate = static_cast<int>(rateHz);
  context->sample_fmt = planar ? AV_SAMPLE_FMT_S16P : AV_SAMPLE_FMT_S16;
  context->time_base = AVRational{1, static_cast<int>(rateHz)};
  av_channel_layout_default(&context->ch_layout, channels);
  int error = avcodec_open2(context, codec, nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "The " + name + " encoder refused the format");

  made->m_blockCodec = context->frame_size > 0 && (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) == 0;
  made->m_frameLength = context->frame_size > 0 ? context->frame_size : kVariableFrameLength;
  AVFrame* frame = made->m_frame.get();
  frame->format = context->sample_fmt;
  frame->sample_rate = context->sample_rate;
  frame->nb_samples = made->m_frameLength;
  error = av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
  if (error >= 0) error = av_frame_get_buffer(frame, 0);
  if (error < 0) return ResultFromFfmpegError(error, "Could not allocate a frame for the " + name + " encoder");
  try {
    made->m_partial.resize(size_t{channels} * made->m_inputBytesPerSample);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *encoder = std::move(made);
  return S_OK;
}

int FfmpegAudioEncoder::SamplesPerBlock() const { return m_blockCodec ? m_frameLength : 1; }

uint16_t FfmpegAudioEncoder::BlockAlign() const { return static_cast<uint16_t>(m_context->block_align); }

long FfmpegAudioEncoder::EncodedFrameBytes() const {
  return static_cast<long>(m_frameLength / SamplesPerBlock()) * BlockAlign();
}

uint16_t FfmpegAudioEncoder::BitsPerCodedSample() const {
  return static_cast<uint16_t>(m_context->bits_per_coded_sample);
}

std::span<const uint8_t> FfmpegAudioEncoder::Extradata() const {
  if (m_context->extradata == nullptr || m_context->extradata_size <= 0) return {};
  return {m_context->extradata, static_cast<size_t>(m_context->extradata_size)};
}

HRESULT FfmpegAudioEncoder::Write(std::span<const uint8_t> pcm, const PacketSink& sink) {
  if (m_finished) return E_UNEXPECTED;
  const size_t frameBytes = m_partial.size();
  if (m_partialBytes > 0) {
    const size_t taken = std::min(frameBytes - m_partialBytes, pcm.size());
    std::copy_n(pcm.begin(), taken, m_partial.begin() + static_cast<long>(m_partialBytes));
    m_partialBytes += taken;
    pcm = pcm.subspan(taken);
    if (m_partialBytes < frameBytes) return S_OK;
    m_partialBytes = 0;
    const HRESULT hr = Append(m_partial.data(), 1, sink);
    if (hr != S_OK) return hr;
  }
  const size_t frames = pcm.size() / frameBytes;
  const HRESULT hr = Append(pcm.data(), static_cast<int64_t>(frames), sink);
  if (hr != S_OK) return hr;
  m_partialBytes = pcm.size() - frames * frameBytes;
  std::copy(pcm.end() - static_cast<long>(m_partialBytes), pcm.end(), m_partial.begin());
  return S_OK;
}

HRESULT FfmpegAudioEncoder::Finish(const PacketSink& sink) {
  if (m_finished) return E_UNEXPECTED;
  m_finished = true;
  m_partialBytes = 0;  // less than one sample frame: nothing to encode
  if (m_filled > 0) {
    // A short last frame is documented input; FFmpeg pads it with silence for block codecs.
    const HRESULT hr = EncodeFrame(sink);
    if (FAILED(hr)) return hr;
  }
  const int error = avcodec_send_frame(m_context.get(), nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "The " + m_name + " encoder could not finish");
  return Drain(sink);
}

HRESULT FfmpegAudioEncoder::Append(const uint8_t* pcm, int64_t frames, const PacketSink& sink) {
  const size_t frameBytes = m_partial.size();
  while (frames > 0) {
    if (m_filled == 0) {
      // The encoder may still hold a reference to the frame's buffers.
      m_frame->nb_samples = m_frameLength;
      const int error = av_frame_make_writable(m_frame.get());
      if (error < 0) return ResultFromFfmpegError(error, "Could not reuse the " + m_name + " encoder's frame");
    }
    const int taken = static_cast<int>(std::min<int64_t>(frames, m_frameLength - m_filled));
    Convert(pcm, taken);
    m_filled += taken;
    pcm += static_cast<size_t>(taken) * frameBytes;
    frames -= taken;
    if (m_filled == m_frameLength) {
      const HRESULT hr = EncodeFrame(sink);
      if (hr != S_OK) return hr;
    }
  }
  return S_OK;
}

void FfmpegAudioEncoder::Convert(const uint8_t* pcm, int frames) {
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < m_channels; ++c, pcm += m_inputBytesPerSample) {
      const int16_t value = SampleAt(pcm, m_inputBytesPerSample);
      if (m_planar)
        reinterpret_cast<int16_t*>(m_frame->data[c])[m_filled + i] = value;
      else
        reinterpret_cast<int16_t*>(m_frame->data[0])[(m_filled + i) * m_channels + c] = value;
    }
  }
}

HRESULT FfmpegAudioEncoder::EncodeFrame(const PacketSink& sink) {
  m_frame->nb_samples = m_filled;
  m_frame->pts = m_nextFrame;
  m_nextFrame += m_filled;
  m_filled = 0;
  const int error = avcodec_send_frame(m_context.get(), m_frame.get());
  if (error < 0) return ResultFromFfmpegError(error, "The " + m_name + " encoder failed");
  return Drain(sink);
}

HRESULT FfmpegAudioEncoder::Drain(const PacketSink& sink) {
  return DrainEncoderPackets(m_context.get(), m_packet.get(), m_name, [&sink](AVPacket* packet) {
    return sink({packet->data, static_cast<size_t>(packet->size)}, packet->pts, packet->duration);
  });
}
