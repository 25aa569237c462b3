#include "filters/OggSplitter.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <new>

#include "filters/OggChapterTime.h"
#include "filters/OggGranuleTracker.h"
#include "filters/OggLanguage.h"
#include "filters/OggPageReader.h"
#include "filters/OggTimeSearch.h"
#include "filters/VorbisFormat.h"
#include "platform/media/Graph.h"

namespace {

constexpr int64_t kHeaderScanBytes = 65536;
constexpr REFERENCE_TIME kNoStop = OggSplitRun::kNoStop;
constexpr int32_t kChapterGroup = -16;
constexpr uint32_t kCapabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards |
                                   AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetCurrentPos |
                                   AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

const char* KindName(const GUID& majorType, const char* video, const char* audio, const char* text, const char* other) {
  if (majorType == MEDIATYPE_Video) return video;
  if (majorType == MEDIATYPE_Audio) return audio;
  if (majorType == MEDIATYPE_Text) return text;
  return other;
}

std::string PinName(const COggStream& stream) {
  char name[48];
  std::snprintf(name, sizeof name,
                KindName(stream.Info().MediaType().majortype, "Video %d", "Audio %d", "Subtitle %d", "Stream %d"),
                static_cast<int>(stream.Serial()));
  return name;
}

std::string StreamName(const COggStream& stream) {
  std::string name = KindName(stream.Info().MediaType().majortype, "Video ", "Audio ", "Subtitle ", "Stream ");
  const std::optional<std::string> language = stream.Info().Comments().Query("LANGUAGE");
  return name + (language ? *language : std::to_string(static_cast<int>(stream.Serial())));
}

REFERENCE_TIME Apply(uint32_t flags, REFERENCE_TIME value, REFERENCE_TIME now, REFERENCE_TIME base) {
  switch (flags & AM_SEEKING_PositioningBitsMask) {
    case AM_SEEKING_AbsolutePositioning:
      return value;
    case AM_SEEKING_RelativePositioning:
      return now + value;
    case AM_SEEKING_IncrementalPositioning:
      return base + value;
    default:
      return now;
  }
}

}  // namespace

COggSplitter::COggSplitter() : CBaseFilter(CLSID_OggSplitter), m_input(std::make_unique<COggSplitInputPin>(this)) {}

COggSplitter::~COggSplitter() {
  StopThreads();
  m_streams.clear();
}

int COggSplitter::GetPinCount() {
  std::lock_guard lock(m_csFilter);
  return 1 + static_cast<int>(m_outputs.size());
}

CBasePin* COggSplitter::GetPin(int n) {
  std::lock_guard lock(m_csFilter);
  if (n == 0) return m_input.get();
  if (n < 0 || n > static_cast<int>(m_outputs.size())) return nullptr;
  return m_outputs[n - 1].get();
}

HRESULT COggSplitter::Pause() {
  std::lock_guard lock(m_csFilter);
  const bool starting = m_State == State_Stopped;
  const HRESULT hr = CBaseFilter::Pause();
  if (FAILED(hr)) return hr;
  if (starting && m_input->Reader()) StartThreads();
  return hr;
}

HRESULT COggSplitter::Stop() {
  std::lock_guard lock(m_csFilter);
  {
    std::lock_guard runLock(m_run.lock);
    m_run.quit = true;
    m_run.changed.notify_all();
  }
  // Decommitting the outputs' allocators releases a thread waiting for a buffer.
  const HRESULT hr = CBaseFilter::Stop();
  StopThreads();
  return hr;
}

void COggSplitter::StartThreads() {
  m_run.quit = false;
  m_run.readerDone = false;
  m_run.start = m_current;
  m_run.stop = m_stop;
  for (const auto& output : m_outputs) output->ResetRun();
  for (const auto& stream : m_streams) stream->Start(&m_run, SharesGroup(*stream), m_startByte);
  m_input->StartReader(&m_run, m_startByte);
}

void COggSplitter::StopThreads() {
  {
    std::lock_guard runLock(m_run.lock);
    m_run.quit = true;
    m_run.changed.notify_all();
  }
  m_input->StopReader();
  for (const auto& stream : m_streams) stream->Join();
}

bool COggSplitter::SharesGroup(const COggStream& stream) const {
  return std::any_of(m_streams.begin(), m_streams.end(), [&](const auto& other) {
    return other.get() != &stream && other->Group() == stream.Group() && other->Pin() && other->Pin()->IsConnected();
  });
}

// ---- scanning ----

HRESULT COggSplitter::ScanFile(IAsyncReader* reader) {
  if (reader == nullptr) return E_NOINTERFACE;
  std::lock_guard lock(m_csFilter);
  RemoveStreams();
  m_retiredOutputs.clear();
  try {
    int64_t length = 0, available = 0;
    HRESULT hr = reader->Length(&length, &available);
    if (SUCCEEDED(hr)) hr = ReadHeaders(reader, length);
    if (FAILED(hr)) {
      RemoveStreams();
      return VFW_E_TYPE_NOT_ACCEPTED;
    }
    if (std::none_of(m_streams.begin(), m_streams.end(), [](const auto& s) { return s->Info().Playable(); })) {
      RemoveStreams();
      SetErrorInfo("The file holds no Ogg stream that can be played.");
      return VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_length = length;
    FindChapters();
    GroupStreams();
    MakeOutputs();
    hr = FindDuration(reader, length);
    if (FAILED(hr)) {
      RemoveStreams();
      return VFW_E_TYPE_NOT_ACCEPTED;
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    RemoveStreams();
    return E_OUTOFMEMORY;
  }
}

HRESULT COggSplitter::ReadHeaders(IAsyncReader* reader, int64_t length) {
  COggPageReader pages(reader, static_cast<long>(kHeaderScanBytes));
  pages.Seek(0, std::min(length, kHeaderScanBytes));
  ogg_page page;
  int64_t offset;
  HRESULT hr;
  bool pastHeaders = false;
  while ((hr = pages.Next(&page, &offset)) == S_OK) {
    // A beginning-of-stream page after others starts the next link of a chain.
    const bool beginning = ogg_page_bos(&page) != 0;
    if (beginning && pastHeaders) {
      m_linkEnded = true;
      break;
    }
    pastHeaders = pastHeaders || !beginning;
    const auto serial = static_cast<uint32_t>(ogg_page_serialno(&page));
    COggStream* stream = StreamBySerial(serial);
    if (stream == nullptr) {
      if (m_streams.size() >= kMostStreams) continue;
      m_streams.push_back(std::make_unique<COggStream>(this, serial));
      stream = m_streams.back().get();
    }
    stream->ScanPage(&page);
  }
  return hr;
}

void COggSplitter::FindChapters() {
  for (const auto& stream : m_streams) {
    const OggCommentList& comments = stream->Info().Comments();
    for (int number = 1;; ++number) {
      char key[32];
      std::snprintf(key, sizeof key, "CHAPTER%02d", number);
      const std::optional<std::string> time = comments.Query(key);
      if (!time) break;
      std::snprintf(key, sizeof key, "CHAPTER%02dNAME", number);
      OggChapter chapter;
      chapter.start = ParseChapterTime(*time);
      const std::optional<std::string> name = comments.Query(key);
      if (name) {
        chapter.name = name->substr(0, OggChapter::kMostNameChars);
      } else {
        std::snprintf(key, sizeof key, "Chapter %d", number);
        chapter.name = key;
      }
      m_chapters.push_back(std::move(chapter));
    }
  }
}

void COggSplitter::GroupStreams() {
  if (!m_showEveryStream) {
    const auto text = std::find_if(m_streams.begin(), m_streams.end(), [](const auto& stream) {
      return stream->Info().Playable() && stream->Info().MediaType().majortype == MEDIATYPE_Text;
    });
    if (text != m_streams.end()) m_streams.insert(text, COggStream::MakeTextPlaceholder(this, kTextPlaceholderSerial));
  }
  std::vector<std::pair<GUID, GUID>> groups;
  for (const auto& stream : m_streams) {
    const AM_MEDIA_TYPE type = stream->Info().MediaType();
    const std::pair<GUID, GUID> key{type.majortype, type.subtype};
    auto found = std::find(groups.begin(), groups.end(), key);
    const bool first = found == groups.end();
    if (first) found = groups.insert(groups.end(), key);
    stream->SetGroup(static_cast<int>(found - groups.begin()));
    stream->SetEnabled(first || m_showEveryStream);
  }
}

void COggSplitter::MakeOutputs() {
  for (const auto& stream : m_streams) {
    if (!stream->Info().Playable()) continue;
    if (stream->Enabled()) {
      m_outputs.push_back(std::make_unique<COggSplitOutputPin>(this, PinName(*stream), stream->Info().MediaType(),
                                                               stream->Info().BufferBytes()));
      stream->SetPin(m_outputs.back().get(), true);
      continue;
    }
    const auto owner = std::find_if(m_streams.begin(), m_streams.end(), [&](const auto& other) {
      return other->Group() == stream->Group() && other->OwnsPin();
    });
    if (owner != m_streams.end()) stream->SetPin((*owner)->Pin(), false);
  }
}

HRESULT COggSplitter::FindDuration(IAsyncReader* reader, int64_t length) {
  REFERENCE_TIME last = -1;
  // Pages at the end of streams the start did not show, or a stream beginning there, make
  // the file a chain.
  bool chained = m_linkEnded;
  HRESULT hr = FindLastPageTime(
      reader, length,
      [&](const ogg_page& page, int64_t offset) -> REFERENCE_TIME {
        chained = chained || StreamBySerial(static_cast<uint32_t>(ogg_page_serialno(&page))) == nullptr ||
                  (ogg_page_bos(&page) && offset > 0);
        return -1;
      },
      &last);
  if (SUCCEEDED(hr) && chained) hr = FindChain(reader, length);
  if (SUCCEEDED(hr))
    hr = FindLastPageTime(
        reader, length,
        [this](const ogg_page& page, int64_t offset) -> REFERENCE_TIME {
          if (offset >= m_chainEndByte) return -1;
          if (LaterLinkAt(offset)) return PageTime(page, offset);
          const COggStream* stream = StreamBySerial(static_cast<uint32_t>(ogg_page_serialno(&page)));
          return stream ? stream->Info().PageEndTime(page) : -1;
        },
        &last);
  if (FAILED(hr)) return hr;
  m_duration.reset();
  if (last >= 0) m_duration = last;
  m_current = 0;
  m_stop = m_duration.value_or(kNoStop);
  m_startByte = 0;
  m_lastRequest.reset();
  return S_OK;
}

HRESULT COggSplitter::FindChain(IAsyncReader* reader, int64_t length) {
  std::vector<OggLinkScan> links;
  const HRESULT hr = ScanChainLinks(reader, length, kMostStreams, &links);
  if (FAILED(hr) || links.size() < 2) return hr;
  m_chainEndByte = links[1].firstByte;
  COggStream* head = links[0].info ? StreamBySerial(links[0].serial) : nullptr;
  if (head == nullptr || head->Info().Kind() != OggStreamKind::Vorbis || !head->OwnsPin()) return S_OK;
  const std::optional<VORBISFORMAT> format = VorbisFormatOf(head->Info().MediaType());
  REFERENCE_TIME offset = links[0].endTime;
  size_t link = 1;
  for (; link < links.size(); ++link) {
    OggLinkScan& next = links[link];
    const std::optional<VORBISFORMAT> nextFormat =
        next.info ? VorbisFormatOf(next.info->MediaType()) : std::optional<VORBISFORMAT>();
    if (!format || !nextFormat || nextFormat->nChannels != format->nChannels ||
        nextFormat->nSamplesPerSec != format->nSamplesPerSec)
      break;
    const REFERENCE_TIME ends = offset + next.endTime;
    head->AppendLink(next.serial, std::move(next.info), next.firstByte, offset);
    offset = ends;
  }
  m_chainEndByte = link < links.size() ? links[link].firstByte : INT64_MAX;
  m_chainHead = head;
  return S_OK;
}

const OggChainLink* COggSplitter::LaterLinkAt(int64_t offset) const {
  if (m_chainHead == nullptr) return nullptr;
  const size_t link = m_chainHead->Chain().LinkAt(offset);
  return link > 0 ? &m_chainHead->Chain().Link(link) : nullptr;
}

COggStream* COggSplitter::StreamForPage(const ogg_page& page, int64_t offset) const {
  if (offset >= m_chainEndByte) return nullptr;
  const auto serial = static_cast<uint32_t>(ogg_page_serialno(&page));
  if (const OggChainLink* link = LaterLinkAt(offset)) return serial == link->serial ? m_chainHead : nullptr;
  return StreamBySerial(serial);
}

REFERENCE_TIME COggSplitter::PageTime(const ogg_page& page, int64_t offset) const {
  const int64_t granule = UsableGranule(ogg_page_granulepos(&page));
  if (granule < 0 || offset >= m_chainEndByte) return -1;
  const auto serial = static_cast<uint32_t>(ogg_page_serialno(&page));
  if (const OggChainLink* link = LaterLinkAt(offset))
    return serial == link->serial ? link->offset + link->info->TimeFromGranule(granule) : -1;
  const COggStream* stream = StreamBySerial(serial);
  if (stream == nullptr || stream->Info().Kind() == OggStreamKind::Unrecognised) return -1;
  return stream->Info().TimeFromGranule(granule);
}

void COggSplitter::RemoveStreams() {
  std::lock_guard lock(m_csFilter);
  StopThreads();
  for (const auto& output : m_outputs) {
    if (IPin* peer = output->GetConnected()) peer->Disconnect();
    output->Disconnect();
  }
  m_streams.clear();
  // Whoever took our pins from an enumeration may still hold them a while (a graph
  // disconnecting every pin of ours); they go at the next scan.
  std::move(m_outputs.begin(), m_outputs.end(), std::back_inserter(m_retiredOutputs));
  m_outputs.clear();
  m_chapters.clear();
  m_duration.reset();
  m_linkEnded = false;
  m_chainHead = nullptr;
  m_chainEndByte = INT64_MAX;
  m_length = 0;
}

COggStream* COggSplitter::StreamBySerial(uint32_t serial) const {
  for (const auto& stream : m_streams)
    if (stream->Serial() == serial && !stream->IsTextPlaceholder()) return stream.get();
  return nullptr;
}

bool COggSplitter::AnyStreamReceiving() const {
  return std::any_of(m_streams.begin(), m_streams.end(),
                     [](const auto& stream) { return stream->Enabled() && stream->Receiving(); });
}

// ---- stream selection ----

HRESULT COggSplitter::Count(uint32_t* streams) {
  if (streams == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  *streams = static_cast<uint32_t>(m_streams.size() + m_chapters.size());
  return S_OK;
}

HRESULT COggSplitter::Info(long index, AM_MEDIA_TYPE* type, uint32_t* flags, uint32_t* language, int32_t* group,
                           std::string* name) {
  std::lock_guard lock(m_csFilter);
  if (index < 0 || static_cast<size_t>(index) >= m_streams.size() + m_chapters.size()) return E_INVALIDARG;
  if (static_cast<size_t>(index) < m_streams.size()) {
    const COggStream& stream = *m_streams[index];
    const std::optional<std::string> languageName = stream.Info().Comments().Query("LANGUAGE");
    if (type) *type = stream.Info().MediaType();
    if (flags) *flags = stream.Enabled() ? AMSTREAMSELECTINFO_ENABLED : 0;
    if (language) *language = languageName ? LanguageFromComment(*languageName) : 0;
    if (group) *group = stream.Group();
    if (name) *name = StreamName(stream);
    return S_OK;
  }
  const size_t chapter = index - m_streams.size();
  if (type) {
    *type = {};
    type->majortype = MEDIATYPE_Video;
  }
  if (flags) *flags = IsCurrentChapter(chapter) ? AMSTREAMSELECTINFO_ENABLED : 0;
  if (language) *language = 0;
  if (group) *group = kChapterGroup;
  if (name) *name = ChapterDisplayName(m_chapters[chapter].start, m_chapters[chapter].name);
  return S_OK;
}

bool COggSplitter::IsCurrentChapter(size_t chapter) {
  // While the graph plays, its position is the one being heard.
  REFERENCE_TIME now = m_current;
  REFERENCE_TIME playing = 0;
  auto* graph = QueryInterface<IMediaSeeking>(Graph());
  if (graph && SUCCEEDED(graph->GetCurrentPosition(&playing))) now = playing;
  const REFERENCE_TIME start = m_chapters[chapter].start;
  if (now < start) return false;
  return std::none_of(m_chapters.begin(), m_chapters.end(),
                      [&](const OggChapter& other) { return other.start > start && other.start <= now; });
}

HRESULT COggSplitter::Enable(long index, uint32_t flags) {
  std::lock_guard lock(m_csFilter);
  if (flags == kShowEveryStream) {
    m_showEveryStream = true;
    return S_OK;
  }
  if (flags != AMSTREAMSELECTENABLE_ENABLE || index < 0 ||
      static_cast<size_t>(index) >= m_streams.size() + m_chapters.size())
    return E_INVALIDARG;
  if (static_cast<size_t>(index) < m_streams.size()) {
    COggStream& chosen = *m_streams[index];
    for (const auto& stream : m_streams)
      if (stream->Group() == chosen.Group()) stream->SetEnabled(stream.get() == &chosen);
    m_run.Notify();
    return S_OK;
  }
  REFERENCE_TIME start = m_chapters[index - m_streams.size()].start;
  if (auto* graph = QueryInterface<IMediaSeeking>(Graph()))
    return graph->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
  return SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

// ---- seeking ----

HRESULT COggSplitter::GetCapabilities(uint32_t* capabilities) {
  if (capabilities == nullptr) return E_POINTER;
  *capabilities = kCapabilities;
  return S_OK;
}

HRESULT COggSplitter::SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                                   uint32_t stopFlags) {
  return SetPositionsFrom(nullptr, current, currentFlags, stop, stopFlags);
}

HRESULT COggSplitter::SetPositionsFrom(COggSplitOutputPin* pin, REFERENCE_TIME* current, uint32_t currentFlags,
                                       REFERENCE_TIME* stop, uint32_t stopFlags) {
  std::lock_guard lock(m_csFilter);
  if (m_streams.empty()) return VFW_E_NOT_CONNECTED;
  const bool moveStart = current && (currentFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning;
  const bool moveStop = stop && (stopFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning;
  const SeekRequest request{moveStart ? *current : 0, currentFlags, moveStop ? *stop : 0, stopFlags, pin};
  if (pin && m_lastRequest && m_lastRequest->pin != pin) {
    SeekRequest same = request;
    same.pin = m_lastRequest->pin;
    if (same == *m_lastRequest) {
      if (current) *current = m_current;
      return S_OK;
    }
  }
  m_lastRequest = request;

  const REFERENCE_TIME target =
      moveStart ? std::max<REFERENCE_TIME>(0, Apply(currentFlags, *current, m_current, m_current)) : m_current;
  if (moveStop) {
    m_stop = std::max<REFERENCE_TIME>(0, Apply(stopFlags, *stop, m_stop, target));
    m_run.stop = m_stop;
  }
  if (!moveStart) return S_OK;
  return Seek(target, currentFlags);
}

HRESULT COggSplitter::Seek(REFERENCE_TIME target, uint32_t flags) {
  const bool streaming = !IsStopped();
  if (streaming) {
    for (const auto& output : m_outputs)
      if (output->IsConnected()) output->DeliverBeginFlush();
    StopThreads();
    for (const auto& output : m_outputs)
      if (output->IsConnected()) output->DeliverEndFlush();
  }
  HRESULT hr = S_OK;
  int64_t byte = 0;
  if (target > 0 && m_duration && target >= *m_duration) {
    byte = m_length;
  } else if (target > 0 && m_duration) {
    hr = FindSeekByte(
        m_input->Reader(), m_length, *m_duration, target,
        [this](const ogg_page& page, int64_t offset) { return PageTime(page, offset); },
        &byte);
  }
  if (SUCCEEDED(hr) && (flags & AM_SEEKING_SeekToKeyFrame) != 0) {
    const auto video = std::find_if(m_streams.begin(), m_streams.end(), [](const auto& stream) {
      return stream->Info().Playable() && stream->Info().MediaType().majortype == MEDIATYPE_Video;
    });
    if (video != m_streams.end()) {
      const HRESULT found =
          FindKeyFrameTime(m_input->Reader(), byte, (*video)->Serial(), (*video)->Info(), target, &target);
      if (FAILED(found)) hr = found;
    }
  }
  if (SUCCEEDED(hr)) {
    m_current = target;
    m_startByte = byte;
  }
  if (streaming) StartThreads();
  return FAILED(hr) ? hr : S_OK;
}

HRESULT COggSplitter::GetCurrentPosition(REFERENCE_TIME* current) {
  if (current == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  if (m_streams.empty()) return VFW_E_NOT_CONNECTED;
  *current = m_current;
  return S_OK;
}

HRESULT COggSplitter::GetStopPosition(REFERENCE_TIME* stop) {
  if (stop == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  if (m_streams.empty()) return VFW_E_NOT_CONNECTED;
  *stop = m_stop;
  return S_OK;
}

HRESULT COggSplitter::GetDuration(REFERENCE_TIME* duration) {
  if (duration == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  if (m_streams.empty()) return VFW_E_NOT_CONNECTED;
  if (!m_duration) {
    SetErrorInfo("The end of the Ogg file holds no page with a time.");
    return E_FAIL;
  }
  *duration = *m_duration;
  return S_OK;
}
