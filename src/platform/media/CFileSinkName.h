#pragma once
// The file name and mode of a writer filter (IFileSinkFilter2), for filters whose first pin is
// their input. They change only while the filter is stopped, under its lock; the filter reads
// them when it opens its file and while it runs.

#include <string>

#include "platform/media/BaseFilter.h"
#include "platform/media/FileSink.h"

class CFileSinkName : public IFileSinkFilter2 {
 public:
  explicit CFileSinkName(CBaseFilter* filter);

  // VFW_E_NOT_STOPPED unless stopped; E_INVALIDARG for an empty name.
  HRESULT SetFileName(const std::string& path, const AM_MEDIA_TYPE* type) override;
  // The name, and the input's connection type; E_FAIL when no name was given.
  HRESULT GetCurFile(std::string* path, AM_MEDIA_TYPE* type) override;
  HRESULT SetMode(uint32_t flags) override;
  HRESULT GetMode(uint32_t* flags) override;

 protected:
  const std::string& FileName() const { return m_path; }
  uint32_t FileMode() const { return m_mode; }

 private:
  CBaseFilter* m_sinkFilter;
  std::string m_path;
  uint32_t m_mode = AM_FILE_OVERWRITE;
};
