#pragma once
// A signal heard through the virtual mixer: the inner signal scaled by the selected port's
// recording volume, read at every piece so a change applies while recording.

#include <memory>

#include "platform/audio/virtual/VirtualMixerState.h"
#include "platform/audio/virtual/VirtualSignal.h"
#include "platform/media/WaveFormat.h"

class MixerLevelSignal : public VirtualSignal {
 public:
  MixerLevelSignal(std::unique_ptr<VirtualSignal> inner, std::shared_ptr<const VirtualMixerState> mixer,
                   const WAVEFORMATEX& format);

  HRESULT Read(uint8_t* output, size_t frames, size_t* framesRead) override;

 private:
  std::unique_ptr<VirtualSignal> m_inner;
  std::shared_ptr<const VirtualMixerState> m_mixer;
  uint16_t m_bits;
  uint16_t m_channels;
};
