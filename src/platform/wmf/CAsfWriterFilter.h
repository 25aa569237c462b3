#pragma once
// The ASF writer: configured with a profile of one audio stream (IConfigAsfWriter), it
// encodes the PCM it receives in that stream's codec format, converting rate and channels
// where the input differs, and writes the ASF file named through IFileSinkFilter2. The file
// is created at Stopped -> Paused; what is encoded reaches the file at least once per second
// of audio; end of stream (or Stop, when the stream never ended) encodes the rest, completes
// the file and closes it. A failure while writing is reported once as EC_ERRORABORT and
// refused upstream; a failure to complete the file is also Stop's result.
//
// Threads: configuration, the file name, Pause and Stop run on the control thread under
// m_csFilter. WriteAudio and EndOfStreamReached run on the upstream streaming thread. m_csWrite
// guards m_encoder, m_muxer, m_errorReported and m_finishResult; the control thread takes it
// only while no sample can arrive (opening at Pause from Stopped, finishing after the pins
// stopped).

#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "platform/media/BaseFilter.h"
#include "platform/media/CFileSinkName.h"
#include "platform/wmf/AsfMuxer.h"
#include "platform/wmf/CAsfWriterInputPin.h"
#include "platform/wmf/ConfigAsfWriter.h"
#include "platform/wmf/WmaCodecCatalogue.h"
#include "platform/wmf/WmaStreamEncoder.h"

class CAsfWriterFilter : public CBaseFilter, public CFileSinkName, public IConfigAsfWriter, public IAMFilterMiscFlags {
 public:
  CAsfWriterFilter();
  ~CAsfWriterFilter() override;

  int GetPinCount() override;
  CBasePin* GetPin(int n) override;
  HRESULT Pause() override;
  HRESULT Stop() override;

  // The profile must hold one audio stream in a format of an installed codec, without VBR.
  HRESULT ConfigureFilterUsingProfile(IWMProfile* profile) override;
  HRESULT GetCurrentProfile(std::shared_ptr<IWMProfile>* profile) override;
  uint32_t GetMiscFlags() override;

  // For the input pin.
  HRESULT CheckInputType(const AM_MEDIA_TYPE* type);
  HRESULT PreferredInputType(AM_MEDIA_TYPE* type);
  HRESULT WriteAudio(std::span<const uint8_t> pcm);
  HRESULT EndOfStreamReached();

 private:
  // The stream the profile asks for.
  struct StreamChoice {
    const WmaCodec* codec = nullptr;
    WmaCodecFormat format;
    std::string language;
  };

  HRESULT OpenOutput();
  // Encodes the rest and completes the file, once; the result stays for Stop.
  HRESULT FinishOutput();
  HRESULT ReportFailure(HRESULT hr);

  std::unique_ptr<CAsfWriterInputPin> m_input;
  std::shared_ptr<IWMProfile> m_profile;
  std::optional<StreamChoice> m_stream;

  std::mutex m_csWrite;
  std::unique_ptr<WmaStreamEncoder> m_encoder;
  std::unique_ptr<AsfMuxer> m_muxer;
  bool m_errorReported = false;
  HRESULT m_finishResult = S_OK;
};
