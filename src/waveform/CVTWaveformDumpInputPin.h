#pragma once
// The waveform sink's input pin "Input": takes 8- or 16-bit PCM, condenses every buffer into
// value lines of the dump file and, at the end of the stream, puts the header line first.
//
// Threads: Receive and EndOfStream run on the upstream streaming thread, CheckMediaType and
// SetMediaType on the control thread while connecting; all four hold the dump's receive lock,
// which guards m_condenser and m_values.

#include <vector>

#include "platform/media/BasePin.h"
#include "waveform/WaveformCondenser.h"

class CVTWaveformDump;

class CVTWaveformDumpInputPin : public CBaseInputPin {
 public:
  explicit CVTWaveformDumpInputPin(CVTWaveformDump* dump);

  // Audio with a wave format block, PCM of 8 or 16 bits (plain or extensible): S_OK;
  // E_POINTER without a type; VFW_E_TYPE_NOT_ACCEPTED otherwise.
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  // Takes the format for condensing; the extremes carry on.
  HRESULT SetMediaType(const AM_MEDIA_TYPE* type) override;
  // S_OK, also while the dump file is closed; VFW_E_WRONG_STATE once a full disk stopped the
  // sink.
  HRESULT Receive(IMediaSample* sample) override;
  // Puts the header first and reports completion to the graph; a sink stopped by a full disk
  // passes nothing on.
  HRESULT EndOfStream() override;

 private:
  CVTWaveformDump* m_pDump;
  WaveformCondenser m_condenser;
  std::vector<int> m_values;  // one buffer's values, reused
};
