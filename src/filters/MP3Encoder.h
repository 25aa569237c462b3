#pragma once
// One LAME encoder instance with its input format and settings.
//
// Threads: the application thread sets the format and settings (connection, the settings
// interface); the streaming thread opens, encodes, finishes and closes; a flush may finish and
// close from the control thread. Every operation takes m_lock, which guards every member, so
// the LAME instance and the settings are never used by two threads at once.

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "filters/Mp3EncoderSettings.h"
#include "platform/media/HResult.h"
#include "platform/media/WaveFormat.h"

struct lame_global_struct;

class CMP3Encoder {
 public:
  // LAME writes each call's frames into a buffer of this size.
  static constexpr int kOutputBufferBytes = 48000;

  CMP3Encoder();
  virtual ~CMP3Encoder();
  CMP3Encoder(const CMP3Encoder&) = delete;
  CMP3Encoder& operator=(const CMP3Encoder&) = delete;

  // 16-bit PCM, mono or stereo, at 96000, 48000, 44100, 32000, 22050, 11025 or 8000 Hz.
  static bool IsAcceptableInput(const WAVEFORMATEX& format);
  // Stores an acceptable format (S_OK); otherwise forgets the stored one (E_INVALIDARG).
  HRESULT SetInputFormat(const WAVEFORMATEX& format);
  // False when no input format is set.
  bool GetInputFormat(WAVEFORMATEX* format) const;

  void SetSettings(const Mp3EncoderSettings& settings);
  // False when no settings are set.
  bool GetSettings(Mp3EncoderSettings* settings) const;

  // Starts LAME with the stored format and settings; S_OK when already open. E_UNEXPECTED
  // without format or settings, E_FAIL (with error info) when LAME refuses the settings.
  HRESULT Open();
  // Appends the frames LAME produces for the whole sample frames in `pcm` to `frames`. Long
  // inputs are fed in pieces, so no input length overflows the output buffer. Nothing is
  // appended while closed.
  HRESULT Encode(std::span<const uint8_t> pcm, std::vector<uint8_t>* frames);
  // Appends the frames LAME still holds, the last one padded; nothing while closed.
  HRESULT Finish(std::vector<uint8_t>* frames);
  void Close();
  bool IsOpen() const;

 private:
  HRESULT EncodeFrames(const int16_t* pcm, int frameCount, std::vector<uint8_t>* frames);
  HRESULT AppendOutput(int produced, std::vector<uint8_t>* frames);

  mutable std::mutex m_lock;
  WAVEFORMATEX m_input;
  bool m_inputSet = false;
  Mp3EncoderSettings m_settings;
  bool m_settingsSet = false;
  lame_global_struct* m_lame = nullptr;
  // Reused across calls so encoding allocates nothing per sample once warmed up.
  std::vector<uint8_t> m_output;
  std::vector<int16_t> m_aligned, m_left, m_right;
};
