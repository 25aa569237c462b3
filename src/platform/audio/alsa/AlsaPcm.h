#pragma once
// An open ALSA PCM device, always in non-blocking mode so the streams built on it can be
// interrupted: the owner of the handle, its set-up for a wave format, and the probing of what
// the device can do.
//
// Threads: not thread-safe; the stream that owns it serialises its use.

#include <memory>
#include <string>

#include "platform/audio/AudioDeviceCaps.h"
#include "platform/audio/alsa/AlsaConfig.h"
#include "platform/media/HResult.h"
#include "platform/media/WaveFormat.h"

typedef struct _snd_pcm snd_pcm_t;

class AlsaPcm {
 public:
  // Opens the PCM `name` for capture or playback, from `config` or, when null, from the
  // system's ALSA configuration. A refusal (busy, missing) gives its code and a text.
  static HRESULT Open(const std::string& name, bool capture, const AlsaConfig* config, std::unique_ptr<AlsaPcm>* pcm);
  ~AlsaPcm();
  AlsaPcm(const AlsaPcm&) = delete;
  AlsaPcm& operator=(const AlsaPcm&) = delete;

  // The ranges the device offers, before Configure. Sample sizes come ascending, each once.
  HRESULT Probe(AudioDeviceCaps* caps);
  // Sets interleaved integer PCM in `format` exactly, with periods of about `periodMs` and a
  // device buffer of about `bufferMs`; playback starts once the buffer is full.
  HRESULT Configure(const WAVEFORMATEX& format, unsigned periodMs, unsigned bufferMs);

  snd_pcm_t* Get() const { return m_pcm; }
  const std::string& Name() const { return m_name; }
  // Known after Configure.
  size_t PeriodFrames() const { return m_periodFrames; }

  // The sample sizes Probe tries, ascending.
  static constexpr uint16_t kSampleSizes[] = {8, 16, 24, 32};

 private:
  AlsaPcm(snd_pcm_t* pcm, std::string name) : m_pcm(pcm), m_name(std::move(name)) {}

  snd_pcm_t* const m_pcm;
  const std::string m_name;
  size_t m_periodFrames = 0;
};
