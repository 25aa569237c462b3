#pragma once
// The waveform sink's filter part: a renderer with one input and no outputs, whose states
// drive the dump file. Stop closes the file and then stops; Pause opens it (unless a write
// failed since the last Run) and pauses; Run clears that failure, opens the file and runs.
// State changes run on the graph's control thread under m_csFilter.

#include <atomic>

#include "platform/media/BaseFilter.h"

// {D128E917-2D1C-4DDA-8B4A-FD963D310F5C}
inline constexpr CLSID CLSID_VTWaveformDump{
    0xD128E917, 0x2D1C, 0x4DDA, {0x8B, 0x4A, 0xFD, 0x96, 0x3D, 0x31, 0x0F, 0x5C}};

class CVTWaveformDumpFilter : public CBaseFilter, public IAMFilterMiscFlags {
 public:
  CVTWaveformDumpFilter();

  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  uint32_t GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

  // Set when the disk ran full: the sink stopped itself and takes nothing more.
  bool WriteFailed() const { return m_bWriteFailed.load(); }

 protected:
  // Required: open the dump file (nothing when it is open already) and close it.
  virtual HRESULT OpenFile() = 0;
  virtual void CloseFile() = 0;

  // Written by the streaming thread that met the full disk, and by Run and SetFileName.
  std::atomic<bool> m_bWriteFailed{false};
};
