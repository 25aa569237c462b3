#pragma once
// The Ogg splitter: reads an Ogg file through the file source's pull reader and offers one
// output per playable logical stream: Vorbis audio (the Vorbis media type, for the Vorbis
// decoder) and the multiplexer's generic video, audio and text streams. Pin 0 is the input;
// the outputs follow once the input is connected, which scans the file's start for the
// streams' headers and its end for the duration.
//
// Streams of the same major type and subtype form a group of alternatives sharing one output,
// of which one is enabled (IAMStreamSelect switches them; after Enable(-1) the next scan gives
// every stream an output of its own). A subtitle group starts with a switched-off placeholder.
// "CHAPTERnn" comments become chapters listed after the streams; enabling one seeks the graph.
// Seeking finds the byte to read from by interpolation over the file; every run delivers the
// Vorbis headers again and sample times relative to the seek position.
// A chained file (links of whole Ogg files one after another) plays as one: the links after the
// first continue its Vorbis stream on the same output (OggChain), and the duration is that of
// all of them, the length of the audio they decode to. A link whose audio has other channels
// or another rate ends the chain, since the output's type cannot change while it plays.
//
// Threads: connection, state changes, seeking and stream selection on the graph's control
// thread under m_csFilter, which guards the streams, pins, chapters and positions; they change
// only while no thread of the run is alive, except the enabled flags (atomics). While the filter
// runs, the input pin's reader thread and one delivery thread per stream with a connected pin
// share m_run (OggSplitRun.h); they never take m_csFilter.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "filters/OggSplitInputPin.h"
#include "filters/OggSplitOutputPin.h"
#include "filters/OggSplitRun.h"
#include "filters/OggStream.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/Seeking.h"
#include "platform/media/StreamSelect.h"

// {F07E245F-5A1F-4D1E-8BFF-DC31D84A55AB}
inline constexpr CLSID CLSID_OggSplitter{0xF07E245F, 0x5A1F, 0x4D1E, {0x8B, 0xFF, 0xDC, 0x31, 0xD8, 0x4A, 0x55, 0xAB}};

struct OggChapter {
  static constexpr size_t kMostNameChars = 31;
  std::string name;
  REFERENCE_TIME start = 0;
};

class COggSplitter : public CBaseFilter, public IAMStreamSelect, public IMediaSeeking {
 public:
  // Streams beyond this many in one file are ignored, so a damaged file cannot ask for
  // thousands of threads.
  static constexpr size_t kMostStreams = 64;
  static constexpr uint32_t kTextPlaceholderSerial = 0xFFFF;
  static constexpr uint32_t kShowEveryStream = 0xFFFFFFFF;

  COggSplitter();
  ~COggSplitter() override;

  int GetPinCount() override;
  CBasePin* GetPin(int n) override;
  // From stopped: starts the reader and delivery threads at the current position.
  HRESULT Pause() override;
  HRESULT Stop() override;

  // Streams, then chapters (group -16, named "hh:mm:ss.mmm name", flagged while current).
  HRESULT Count(uint32_t* streams) override;
  HRESULT Info(long index, AM_MEDIA_TYPE* type, uint32_t* flags, uint32_t* language, int32_t* group,
               std::string* name) override;
  // kShowEveryStream, or AMSTREAMSELECTENABLE_ENABLE for one stream (the others of its group
  // are switched off) or one chapter (the graph seeks to it).
  HRESULT Enable(long index, uint32_t flags) override;

  HRESULT GetCapabilities(uint32_t* capabilities) override;
  // Absolute, relative or incremental positions; AM_SEEKING_SeekToKeyFrame moves the start to
  // the next key frame of a video stream.
  HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                       uint32_t stopFlags) override;
  // The position the streams start from.
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  // E_FAIL when the end of the file has no page with a time.
  HRESULT GetDuration(REFERENCE_TIME* duration) override;

  // SetPositions through an output pin. The same request arriving next through another pin
  // (each output passing on one seek of the graph) is answered with the current position.
  HRESULT SetPositionsFrom(COggSplitOutputPin* pin, REFERENCE_TIME* current, uint32_t currentFlags,
                           REFERENCE_TIME* stop, uint32_t stopFlags);

  // Input pin, control thread. Scans the file and makes the outputs; VFW_E_TYPE_NOT_ACCEPTED
  // with a readable text when the start cannot be read or holds no stream it can play.
  HRESULT ScanFile(IAsyncReader* reader);
  void RemoveStreams();

  // Reader thread. The stream whose queue takes the page beginning at byte `offset`, and the
  // time in the whole file that page's granule position stands for (-1: none).
  COggStream* StreamForPage(const ogg_page& page, int64_t offset) const;
  REFERENCE_TIME PageTime(const ogg_page& page, int64_t offset) const;
  COggStream* StreamBySerial(uint32_t serial) const;
  bool AnyStreamReceiving() const;

 private:
  struct SeekRequest {
    REFERENCE_TIME current = 0;
    uint32_t currentFlags = 0;
    REFERENCE_TIME stop = 0;
    uint32_t stopFlags = 0;
    COggSplitOutputPin* pin = nullptr;
    friend bool operator==(const SeekRequest&, const SeekRequest&) = default;
  };

  // Control thread under m_csFilter.
  HRESULT ReadHeaders(IAsyncReader* reader, int64_t length);
  void FindChapters();
  void GroupStreams();
  void MakeOutputs();
  HRESULT FindDuration(IAsyncReader* reader, int64_t length);
  // Reads the whole file for the links of a chain and joins those that continue the first.
  HRESULT FindChain(IAsyncReader* reader, int64_t length);
  // The chain link (after the first) that the byte at `offset` belongs to; null in the first.
  const OggChainLink* LaterLinkAt(int64_t offset) const;
  HRESULT Seek(REFERENCE_TIME target, uint32_t flags);
  void StartThreads();
  void StopThreads();
  bool SharesGroup(const COggStream& stream) const;
  bool IsCurrentChapter(size_t chapter);

  std::unique_ptr<COggSplitInputPin> m_input;
  std::vector<std::unique_ptr<COggSplitOutputPin>> m_outputs;
  std::vector<std::unique_ptr<COggSplitOutputPin>> m_retiredOutputs;  // disconnected, not yet freed
  std::vector<std::unique_ptr<COggStream>> m_streams;
  std::vector<OggChapter> m_chapters;
  bool m_showEveryStream = false;

  bool m_linkEnded = false;                    // the start scan met a second link
  COggStream* m_chainHead = nullptr;           // the stream that later links continue
  int64_t m_chainEndByte = INT64_MAX;          // pages from here on belong to no played stream
  int64_t m_length = 0;
  std::optional<REFERENCE_TIME> m_duration;
  REFERENCE_TIME m_current = 0;
  REFERENCE_TIME m_stop = 0;
  int64_t m_startByte = 0;
  std::optional<SeekRequest> m_lastRequest;

  OggSplitRun m_run;
};
