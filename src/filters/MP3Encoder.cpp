#include "filters/MP3Encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace {

static_assert(std::endian::native == std::endian::little, "PCM is handed to LAME in host order");

using S = Mp3EncoderSettings;

constexpr uint32_t kAcceptedRatesHz[] = {96000, 48000, 44100, 32000, 22050, 11025, 8000};

// LAME's own worst case for one call is 1.25 bytes per output sample plus 7200 bytes.
constexpr int64_t kMaxOutputSamplesPerCall = (CMP3Encoder::kOutputBufferBytes - 7200) * 4 / 5;

int16_t Sample(const uint8_t* at) { return static_cast<int16_t>(at[0] | (at[1] << 8)); }

HRESULT Refuse(const std::string& text) {
  SetErrorInfo(text);
  return E_FAIL;
}

}  // namespace

CMP3Encoder::CMP3Encoder() : m_output(kOutputBufferBytes) {}

CMP3Encoder::~CMP3Encoder() { Close(); }

bool CMP3Encoder::IsAcceptableInput(const WAVEFORMATEX& format) {
  return format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
         format.wBitsPerSample == 16 &&
         std::ranges::find(kAcceptedRatesHz, format.nSamplesPerSec) != std::end(kAcceptedRatesHz);
}

HRESULT CMP3Encoder::SetInputFormat(const WAVEFORMATEX& format) {
  std::lock_guard lock(m_lock);
  m_inputSet = IsAcceptableInput(format);
  if (!m_inputSet) return E_INVALIDARG;
  m_input = format;
  return S_OK;
}

bool CMP3Encoder::GetInputFormat(WAVEFORMATEX* format) const {
  std::lock_guard lock(m_lock);
  if (m_inputSet) *format = m_input;
  return m_inputSet;
}

void CMP3Encoder::SetSettings(const Mp3EncoderSettings& settings) {
  std::lock_guard lock(m_lock);
  m_settings = settings;
  m_settingsSet = true;
}

bool CMP3Encoder::GetSettings(Mp3EncoderSettings* settings) const {
  std::lock_guard lock(m_lock);
  if (m_settingsSet) *settings = m_settings;
  return m_settingsSet;
}

HRESULT CMP3Encoder::Open() {
  std::lock_guard lock(m_lock);
  if (m_lame) return S_OK;
  if (!m_inputSet || !m_settingsSet) return E_UNEXPECTED;
  const int32_t vbr = m_settings[S::kVbrMode];
  const int32_t mode = m_settings[S::kChannelMode];
  if (vbr < vbr_off || vbr >= vbr_max_indicator) return Refuse("Unknown MP3 VBR mode " + std::to_string(vbr) + ".");
  if (mode < STEREO || mode > MONO) return Refuse("Unknown MP3 channel mode " + std::to_string(mode) + ".");

  lame_t lame = lame_init();
  if (lame == nullptr) return E_OUTOFMEMORY;
  // Mono input in stereo mode is encoded as two identical channels.
  const bool stereoFromMono = m_input.nChannels == 1 && mode == S::kChannelModeStereo;
  lame_set_num_channels(lame, stereoFromMono ? 2 : m_input.nChannels);
  lame_set_in_samplerate(lame, static_cast<int>(m_input.nSamplesPerSec));
  lame_set_out_samplerate(lame, m_settings[S::kOutputSampleRateHz]);
  lame_set_brate(lame, m_settings[S::kBitrateKbps]);
  lame_set_VBR(lame, static_cast<vbr_mode>(vbr));
  lame_set_VBR_min_bitrate_kbps(lame, m_settings[S::kVbrMinBitrateKbps]);
  lame_set_VBR_max_bitrate_kbps(lame, m_settings[S::kVbrMaxBitrateKbps]);
  lame_set_copyright(lame, m_settings[S::kCopyright]);
  lame_set_original(lame, m_settings[S::kOriginal]);
  lame_set_error_protection(lame, m_settings[S::kCrc]);
  lame_set_bWriteVbrTag(lame, 0);
  lame_set_strict_ISO(lame, m_settings[S::kStrictIso]);
  lame_set_VBR_hard_min(lame, m_settings[S::kVbrHardMin]);
  lame_set_force_ms(lame, m_settings[S::kForceMidSide]);
  lame_set_mode(lame, static_cast<MPEG_mode>(mode));
  if (m_settings[S::kLowpassLimit] != 0) {
    lame_set_lowpassfreq(lame, 12000);
    lame_set_VBR_max_bitrate_kbps(lame, 160);
  }
  if (m_settings[S::kFilterBypass] != 0) {
    lame_set_lowpassfreq(lame, -1);
    lame_set_highpassfreq(lame, 1);
  }
  lame_set_quality(lame, m_settings[S::kEncodeQuality]);
  lame_set_VBR_q(lame, m_settings[S::kVbrQuality]);
  const int initialised = lame_init_params(lame);
  if (initialised < 0) {
    lame_close(lame);
    return Refuse("The MP3 encoder cannot encode " + std::to_string(m_input.nSamplesPerSec) + " Hz input to " +
                  std::to_string(m_settings[S::kOutputSampleRateHz]) + " Hz at " +
                  std::to_string(m_settings[S::kBitrateKbps]) + " kbit/s with these settings (LAME error " +
                  std::to_string(initialised) + ").");
  }
  m_lame = lame;
  return S_OK;
}

HRESULT CMP3Encoder::Encode(std::span<const uint8_t> pcm, std::vector<uint8_t>* frames) {
  std::lock_guard lock(m_lock);
  if (m_lame == nullptr) return S_OK;
  const size_t channels = m_input.nChannels;
  const size_t frameCount = pcm.size() / (channels * sizeof(int16_t));
  // Resampling changes how many output samples an input frame makes; LAME reports 0 when it
  // chose the output rate itself, which it never sets above the input rate.
  const int64_t inRate = lame_get_in_samplerate(m_lame);
  const int64_t outRate = lame_get_out_samplerate(m_lame) > 0 ? lame_get_out_samplerate(m_lame) : inRate;
  const int framesPerCall = static_cast<int>(std::max<int64_t>(1, kMaxOutputSamplesPerCall * inRate / outRate));

  const int16_t* samples = reinterpret_cast<const int16_t*>(pcm.data());
  if (reinterpret_cast<uintptr_t>(pcm.data()) % alignof(int16_t) != 0) {
    m_aligned.resize(frameCount * channels);
    std::memcpy(m_aligned.data(), pcm.data(), m_aligned.size() * sizeof(int16_t));
    samples = m_aligned.data();
  }
  for (size_t done = 0; done < frameCount;) {
    const int count = static_cast<int>(std::min<size_t>(framesPerCall, frameCount - done));
    const HRESULT hr = EncodeFrames(samples + done * channels, count, frames);
    if (FAILED(hr)) return hr;
    done += static_cast<size_t>(count);
  }
  return S_OK;
}

HRESULT CMP3Encoder::EncodeFrames(const int16_t* pcm, int frameCount, std::vector<uint8_t>* frames) {
  uint8_t* out = m_output.data();
  int produced;
  if (m_settings[S::kChannelMode] == S::kChannelModeStereo) {
    if (m_input.nChannels == 2)
      produced = lame_encode_buffer_interleaved(m_lame, const_cast<int16_t*>(pcm), frameCount, out, kOutputBufferBytes);
    else
      produced = lame_encode_buffer(m_lame, pcm, pcm, frameCount, out, kOutputBufferBytes);
  } else if (m_input.nChannels == 1) {
    produced = lame_encode_buffer(m_lame, pcm, nullptr, frameCount, out, kOutputBufferBytes);
  } else {
    m_left.resize(static_cast<size_t>(frameCount));
    m_right.resize(static_cast<size_t>(frameCount));
    const auto* bytes = reinterpret_cast<const uint8_t*>(pcm);
    for (size_t i = 0; i < m_left.size(); ++i) {
      m_left[i] = Sample(bytes + 4 * i);
      m_right[i] = Sample(bytes + 4 * i + 2);
    }
    produced = lame_encode_buffer(m_lame, m_left.data(), m_right.data(), frameCount, out, kOutputBufferBytes);
  }
  return AppendOutput(produced, frames);
}

HRESULT CMP3Encoder::Finish(std::vector<uint8_t>* frames) {
  std::lock_guard lock(m_lock);
  if (m_lame == nullptr) return S_OK;
  return AppendOutput(lame_encode_flush(m_lame, m_output.data(), kOutputBufferBytes), frames);
}

HRESULT CMP3Encoder::AppendOutput(int produced, std::vector<uint8_t>* frames) {
  if (produced < 0) {
    SetErrorInfo("The MP3 encoder failed (LAME error " + std::to_string(produced) + ").");
    return E_FAIL;
  }
  frames->insert(frames->end(), m_output.begin(), m_output.begin() + produced);
  return S_OK;
}

void CMP3Encoder::Close() {
  std::lock_guard lock(m_lock);
  if (m_lame == nullptr) return;
  lame_close(m_lame);
  m_lame = nullptr;
}

bool CMP3Encoder::IsOpen() const {
  std::lock_guard lock(m_lock);
  return m_lame != nullptr;
}
