#pragma once
// The waveform sink as the graph sees it: the dump filter with its input pin, the dump file
// and its name, and IFileSinkFilter to name the file. Every load builds a new one, so the
// extremes start at 0 for every file.
//
// The dump file is a text file, every line ended by "\r\n": first the header
// "%d\t%d\t%d\t%f\t%d\t%d" (channels, samples per second, bytes per sample, seconds, maximum,
// minimum), then one "%d" line per value.
//
// Threads: SetFileName, GetCurFile and the state changes run on the control thread under the
// filter lock (m_csFilter); the pin's streaming calls hold m_receiveLock. m_receiveLock guards
// m_writer; m_csFilter guards m_fileName. Closing the file takes both, filter lock first. A
// full disk met on the streaming thread stops the sink there without the filter lock: it
// closes the file, sets the write-failure flag and reports EC_ERRORABORT with the disk-full
// code and kDumpDiskFullText as the error text, for the user-interface thread to show.

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/media/FileSink.h"
#include "waveform/CVTWaveformDumpFilter.h"
#include "waveform/CVTWaveformDumpInputPin.h"
#include "waveform/DumpFileWriter.h"

// The dump file's name in the user's temporary folder.
inline constexpr const char* kDumpFileName = "~vtcorvox.txt";
// The longest dump file name taken, in characters.
inline constexpr size_t kMaxDumpFileNameChars = 260;

inline constexpr const char* kDumpDiskFullText =
    "The disk containing dump file has run out of space, so the dump filter has been stopped.\r\n\r\n"
    "You must set a new dump file name or restart the graph to clear this filter error.";

class CVTWaveformDump : public CVTWaveformDumpFilter, public IFileSinkFilter {
 public:
  // *result is E_OUTOFMEMORY when the pin cannot be made, else S_OK.
  explicit CVTWaveformDump(HRESULT* result = nullptr);
  ~CVTWaveformDump() override;

  int GetPinCount() override { return 1; }
  CBasePin* GetPin(int n) override;

  // E_POINTER for an empty name; the system's name-too-long code past 260 characters. Clears
  // the write failure and creates (or empties) the file once: the result of that.
  HRESULT SetFileName(const std::string& path, const AM_MEDIA_TYPE* type) override;
  // The name (empty when none is set) and an empty media type.
  HRESULT GetCurFile(std::string* path, AM_MEDIA_TYPE* type) override;

  // For the pin, on the streaming thread with the receive lock held.
  std::mutex& ReceiveLock() { return m_receiveLock; }
  bool IsFileOpen() const { return m_writer.IsOpen(); }
  // S_OK, also when the write failed for another reason than a full disk (those failures
  // are silent); the disk-full code when a full disk stopped the sink.
  HRESULT WriteValue(int value);
  HRESULT WriteHeader(std::string_view line);

 protected:
  // With no name: the system's invalid-name code.
  HRESULT OpenFile() override;
  void CloseFile() override;

 private:
  HRESULT Handled(HRESULT written);

  std::mutex m_receiveLock;
  std::unique_ptr<CVTWaveformDumpInputPin> m_pPin;
  DumpFileWriter m_writer;
  std::string m_fileName;
};
