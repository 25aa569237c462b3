#include "platform/audio/alsa/AlsaPcm.h"

#include <alsa/asoundlib.h>

#include <algorithm>

#include "platform/audio/alsa/AlsaError.h"

namespace {

snd_pcm_format_t SampleFormat(uint16_t bitsPerSample) {
  switch (bitsPerSample) {
    case 8:
      return SND_PCM_FORMAT_U8;
    case 16:
      return SND_PCM_FORMAT_S16_LE;
    case 24:
      return SND_PCM_FORMAT_S24_3LE;
    case 32:
      return SND_PCM_FORMAT_S32_LE;
    default:
      return SND_PCM_FORMAT_UNKNOWN;
  }
}

struct HwParams {
  HwParams() { snd_pcm_hw_params_malloc(&params); }
  ~HwParams() { snd_pcm_hw_params_free(params); }
  snd_pcm_hw_params_t* params = nullptr;
};

struct SwParams {
  SwParams() { snd_pcm_sw_params_malloc(&params); }
  ~SwParams() { snd_pcm_sw_params_free(params); }
  snd_pcm_sw_params_t* params = nullptr;
};

}  // namespace

HRESULT AlsaPcm::Open(const std::string& name, bool capture, const AlsaConfig* config, std::unique_ptr<AlsaPcm>* pcm) {
  if (pcm == nullptr) return E_POINTER;
  pcm->reset();
  SilenceAlsaDiagnostics();
  snd_pcm_t* handle = nullptr;
  const snd_pcm_stream_t stream = capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
  const int error = config ? snd_pcm_open_lconf(&handle, name.c_str(), stream, SND_PCM_NONBLOCK, config->Get())
                           : snd_pcm_open(&handle, name.c_str(), stream, SND_PCM_NONBLOCK);
  if (error < 0)
    return AlsaFailure(error, std::string("The ALSA ") + (capture ? "capture" : "playback") + " device \"" + name +
                                  "\" could not be opened");
  pcm->reset(new AlsaPcm(handle, name));
  return S_OK;
}

AlsaPcm::~AlsaPcm() { snd_pcm_close(m_pcm); }

HRESULT AlsaPcm::Probe(AudioDeviceCaps* caps) {
  if (caps == nullptr) return E_POINTER;
  HwParams hw;
  if (hw.params == nullptr) return E_OUTOFMEMORY;
  int error = snd_pcm_hw_params_any(m_pcm, hw.params);
  if (error < 0) return AlsaFailure(error, "The capabilities of \"" + m_name + "\" could not be read");
  unsigned rateMin = 0, rateMax = 0, channelsMin = 0, channelsMax = 0;
  int direction = 0;
  snd_pcm_hw_params_get_rate_min(hw.params, &rateMin, &direction);
  snd_pcm_hw_params_get_rate_max(hw.params, &rateMax, &direction);
  snd_pcm_hw_params_get_channels_min(hw.params, &channelsMin);
  snd_pcm_hw_params_get_channels_max(hw.params, &channelsMax);
  AudioDeviceCaps probed;
  // Some plugins report a rate or channel range up to the type's limit; the wave format
  // record holds 16-bit channel counts.
  probed.minRateHz = rateMin;
  probed.maxRateHz = rateMax;
  probed.minChannels = static_cast<uint16_t>(std::min(channelsMin, 0xFFFFu));
  probed.maxChannels = static_cast<uint16_t>(std::min(channelsMax, 0xFFFFu));
  for (uint16_t bits : kSampleSizes)
    if (snd_pcm_hw_params_test_format(m_pcm, hw.params, SampleFormat(bits)) == 0) probed.bitsPerSample.push_back(bits);
  if (probed.bitsPerSample.empty() || probed.minRateHz == 0 || probed.minChannels == 0) {
    SetErrorInfo("The ALSA device \"" + m_name + "\" offers no integer PCM format the recorder can use.");
    return VFW_E_NO_ACCEPTABLE_TYPES;
  }
  *caps = std::move(probed);
  return S_OK;
}

HRESULT AlsaPcm::Configure(const WAVEFORMATEX& format, unsigned periodMs, unsigned bufferMs) {
  const std::string what = "The ALSA device \"" + m_name + "\" refused ";
  HwParams hw;
  SwParams sw;
  if (hw.params == nullptr || sw.params == nullptr) return E_OUTOFMEMORY;
  int error = snd_pcm_hw_params_any(m_pcm, hw.params);
  if (error < 0) return AlsaFailure(error, what + "to be set up");
  error = snd_pcm_hw_params_set_access(m_pcm, hw.params, SND_PCM_ACCESS_RW_INTERLEAVED);
  if (error < 0) return AlsaFailure(error, what + "interleaved access");
  error = snd_pcm_hw_params_set_format(m_pcm, hw.params, SampleFormat(format.wBitsPerSample));
  if (error < 0) return AlsaFailure(error, what + std::to_string(format.wBitsPerSample) + "-bit samples");
  error = snd_pcm_hw_params_set_channels(m_pcm, hw.params, format.nChannels);
  if (error < 0) return AlsaFailure(error, what + std::to_string(format.nChannels) + " channel(s)");
  error = snd_pcm_hw_params_set_rate(m_pcm, hw.params, format.nSamplesPerSec, 0);
  if (error < 0) return AlsaFailure(error, what + std::to_string(format.nSamplesPerSec) + " Hz");
  unsigned bufferUs = bufferMs * 1000, periodUs = periodMs * 1000;
  int direction = 0;
  snd_pcm_hw_params_set_buffer_time_near(m_pcm, hw.params, &bufferUs, &direction);
  snd_pcm_hw_params_set_period_time_near(m_pcm, hw.params, &periodUs, &direction);
  error = snd_pcm_hw_params(m_pcm, hw.params);
  if (error < 0) return AlsaFailure(error, what + "the format");
  snd_pcm_uframes_t periodFrames = 0, bufferFrames = 0;
  snd_pcm_hw_params_get_period_size(hw.params, &periodFrames, &direction);
  snd_pcm_hw_params_get_buffer_size(hw.params, &bufferFrames);
  m_periodFrames = periodFrames > 0 ? periodFrames : 1;

  error = snd_pcm_sw_params_current(m_pcm, sw.params);
  if (error >= 0) error = snd_pcm_sw_params_set_start_threshold(m_pcm, sw.params, bufferFrames);
  if (error >= 0) error = snd_pcm_sw_params_set_avail_min(m_pcm, sw.params, m_periodFrames);
  if (error >= 0) error = snd_pcm_sw_params(m_pcm, sw.params);
  if (error < 0) return AlsaFailure(error, what + "its start and wake-up thresholds");
  return S_OK;
}
