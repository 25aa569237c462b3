#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/FilterGraph.h"
#include "platform/media/WaveFormatExtensible.h"
#include "support/FakeSourcePin.h"
#include "support/ScratchFolder.h"
#include "support/SinglePinFilter.h"
#include "support/WavBytes.h"
#include "waveform/CVTWaveformDump.h"

namespace {

using Source = CSinglePinFilter<CFakeSourcePin>;

AM_MEDIA_TYPE PcmType(uint32_t rateHz, uint16_t channels, uint16_t bits) {
  return MakeAudioMediaType(MakePcmFormat(rateHz, channels, bits));
}

// A fake source feeding a new dump inside a real graph, so the dump's events are queued.
class DumpRig {
 public:
  explicit DumpRig(AM_MEDIA_TYPE type)
      : m_graph(std::make_shared<CFilterGraph>()),
        m_source(std::make_shared<Source>(type, ALLOCATOR_PROPERTIES{2, 256 * 1024, 1, 0})) {
    HRESULT hr = E_FAIL;
    m_dump = std::make_shared<CVTWaveformDump>(&hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(m_graph->AddFilter(m_source, "Source"), S_OK);
    EXPECT_EQ(m_graph->AddFilter(m_dump, "Vantro Waveform Reader Filter"), S_OK);
  }

  HRESULT Connect() { return m_graph->ConnectDirect(&m_source->HostedPin(), m_dump->GetPin(0), nullptr); }
  HRESULT Send(const std::vector<uint8_t>& bytes) { return m_source->HostedPin().Send(bytes); }
  HRESULT EndOfStream() { return m_source->HostedPin().DeliverEndOfStream(); }

  // The queued events' codes, with the text that came with the last one.
  std::vector<long> Events(std::vector<intptr_t>* params = nullptr, std::string* text = nullptr) {
    std::vector<long> codes;
    long code = 0;
    intptr_t param1 = 0, param2 = 0;
    while (m_graph->GetEvent(&code, &param1, &param2, 0) == S_OK) {
      codes.push_back(code);
      if (params) params->push_back(param1);
      if (text) *text = GetErrorInfo();
    }
    return codes;
  }

  CFilterGraph& Graph() { return *m_graph; }
  CVTWaveformDump& Dump() { return *m_dump; }

 private:
  std::shared_ptr<CFilterGraph> m_graph;
  std::shared_ptr<Source> m_source;
  std::shared_ptr<CVTWaveformDump> m_dump;
};

TEST(CVTWaveformDumpTest, WritesHeaderThenOneLinePerValue) {
  ScratchFolder folder;
  DumpRig rig(PcmType(8000, 1, 16));  // step 200: one value per 202 bytes
  ASSERT_EQ(rig.Dump().SetFileName(folder.File("dump.txt"), nullptr), S_OK);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Graph().Run(), S_OK);
  std::vector<int32_t> first(101, 0);
  first[0] = 1234;
  ASSERT_EQ(rig.Send(PcmBytes(16, first)), S_OK);  // 202 bytes: one value
  ASSERT_EQ(rig.Send(PcmBytes(16, {-4000, 5, 6})), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  EXPECT_EQ(rig.Events(), std::vector<long>{EC_COMPLETE});
  ASSERT_EQ(rig.Graph().Stop(), S_OK);
  // 208 bytes = 0.013 s; extremes of the values written.
  EXPECT_EQ(folder.ReadText("dump.txt"), "1\t8000\t2\t0.013000\t1234\t-4000\r\n1234\r\n-4000\r\n");
}

TEST(CVTWaveformDumpTest, SampleCarryingItsTypeIsCheckedAndTaken) {
  ScratchFolder folder;
  const AM_MEDIA_TYPE type = PcmType(8000, 1, 16);
  DumpRig rig(type);
  ASSERT_EQ(rig.Dump().SetFileName(folder.File("dump.txt"), nullptr), S_OK);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Graph().Run(), S_OK);
  std::vector<uint8_t> bytes = PcmBytes(16, {-7, 0});
  CMediaSample sample(bytes.data(), static_cast<long>(bytes.size()));
  ASSERT_EQ(sample.SetMediaType(&type), S_OK);
  auto* input = dynamic_cast<IMemInputPin*>(rig.Dump().GetPin(0));
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->Receive(&sample), S_OK);
  const AM_MEDIA_TYPE wide = PcmType(8000, 1, 24);
  ASSERT_EQ(sample.SetMediaType(&wide), S_OK);
  EXPECT_EQ(input->Receive(&sample), VFW_E_INVALIDMEDIATYPE);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  ASSERT_EQ(rig.Graph().Stop(), S_OK);
  EXPECT_EQ(folder.ReadText("dump.txt"), "1\t8000\t2\t0.000250\t0\t-7\r\n-7\r\n");
}

TEST(CVTWaveformDumpTest, EightBitStreamKeepsEightBitFigures) {
  ScratchFolder folder;
  DumpRig rig(PcmType(11025, 2, 8));  // step 137, share 139 bytes
  ASSERT_EQ(rig.Dump().SetFileName(folder.File("dump.txt"), nullptr), S_OK);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Graph().Run(), S_OK);
  std::vector<uint8_t> bytes(278, 128);
  bytes[0] = 255;
  bytes[1] = 255;  // +127
  bytes[138] = 0;
  bytes[139] = 0;  // the frame at 138 holds the value at 139: -128
  ASSERT_EQ(rig.Send(bytes), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  ASSERT_EQ(rig.Graph().Stop(), S_OK);
  EXPECT_EQ(folder.ReadText("dump.txt"), "2\t11025\t1\t0.012608\t127\t-128\r\n127\r\n-128\r\n");
}

TEST(CVTWaveformDumpTest, RefusesWhatItCannotCondense) {
  auto check = [](AM_MEDIA_TYPE type) {
    DumpRig rig(type);
    return rig.Dump().GetPin(0)->CheckMediaType(&type);
  };
  EXPECT_EQ(check(PcmType(44100, 2, 16)), S_OK);
  EXPECT_EQ(check(PcmType(44100, 2, 24)), VFW_E_TYPE_NOT_ACCEPTED);
  AM_MEDIA_TYPE alaw = PcmType(8000, 1, 8);
  alaw.format[0] = 6;
  EXPECT_EQ(check(alaw), VFW_E_TYPE_NOT_ACCEPTED);
  AM_MEDIA_TYPE noBlock = PcmType(44100, 2, 16);
  noBlock.formattype = FORMAT_None;
  EXPECT_EQ(check(noBlock), VFW_E_TYPE_NOT_ACCEPTED);
  AM_MEDIA_TYPE video = PcmType(44100, 2, 16);
  video.majortype = MEDIATYPE_Video;
  EXPECT_EQ(check(video), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(check(PcmType(44100, 0, 16)), VFW_E_TYPE_NOT_ACCEPTED);
  // Six channels come in the extensible record: PCM inside is taken, float is not.
  WAVEFORMATEX six = MakePcmFormat(44100, 6, 16);
  six.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  EXPECT_EQ(check(MakeAudioMediaType(six, EncodeExtensibleExtra(16, 0x3F, WAVE_FORMAT_PCM))), S_OK);
  EXPECT_EQ(check(MakeAudioMediaType(six, EncodeExtensibleExtra(16, 0x3F, 3))), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(check(MakeAudioMediaType(six)), VFW_E_TYPE_NOT_ACCEPTED);  // no sub-format

  DumpRig rig(PcmType(44100, 2, 24));
  EXPECT_EQ(rig.Dump().GetPin(0)->CheckMediaType(nullptr), E_POINTER);
  EXPECT_TRUE(FAILED(rig.Connect()));
}

TEST(CVTWaveformDumpTest, FileNameRules) {
  ScratchFolder folder;
  CVTWaveformDump dump;
  std::string name;
  AM_MEDIA_TYPE type = PcmType(8000, 1, 8);
  ASSERT_EQ(dump.GetCurFile(&name, &type), S_OK);
  EXPECT_TRUE(name.empty());
  EXPECT_EQ(type, AM_MEDIA_TYPE{});

  EXPECT_EQ(dump.SetFileName("", nullptr), E_POINTER);
  const std::string base = folder.Path() + "/";
  const std::string longest = base + std::string(260 - base.size(), 'a');
  EXPECT_EQ(dump.SetFileName(longest + "a", nullptr), HResultFromErrno(ENAMETOOLONG));
  // Characters, not bytes: 510 bytes in 256 characters pass the check (no such folder, though).
  std::string wide = "/";
  for (int i = 0; i < 255; ++i) wide += i == 127 ? "/" : "\xC3\xA9";
  EXPECT_EQ(dump.SetFileName(wide, nullptr), HResultFromErrno(ENOENT));

  folder.WriteText("dump.txt", "old");
  ASSERT_EQ(dump.SetFileName(folder.File("dump.txt"), nullptr), S_OK);
  EXPECT_EQ(folder.ReadText("dump.txt"), "");  // created empty, and closed again
  ASSERT_EQ(dump.GetCurFile(&name, nullptr), S_OK);
  EXPECT_EQ(name, folder.File("dump.txt"));
  EXPECT_EQ(dump.GetCurFile(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(dump.SetFileName(folder.File("missing/dump.txt"), nullptr), HResultFromErrno(ENOENT));
}

TEST(CVTWaveformDumpTest, RunWithoutAFileNameFailsAndLeavesTheGraphStopped) {
  DumpRig rig(PcmType(44100, 2, 16));
  ASSERT_EQ(rig.Connect(), S_OK);
  FILTER_STATE state;
  EXPECT_EQ(rig.Graph().Run(), HResultFromErrno(EINVAL));  // no name: the file cannot open
  ASSERT_EQ(rig.Graph().GetState(0L, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);
}

TEST(CVTWaveformDumpTest, FullDiskStopsTheSinkWithItsWarningText) {
  DumpRig rig(PcmType(44100, 2, 16));
  ASSERT_EQ(rig.Dump().SetFileName("/dev/full", nullptr), S_OK);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Graph().Run(), S_OK);
  // 200 buffers of 0.5 s give about 78000 lines: the buffer meets the disk on the way.
  const std::vector<uint8_t> halfSecond(88200, 0x11);
  int sent = 0;
  while (!rig.Dump().WriteFailed() && sent < 200) {
    ASSERT_EQ(rig.Send(halfSecond), S_OK);  // also the buffer that met the full disk
    ++sent;
  }
  EXPECT_TRUE(rig.Dump().WriteFailed());
  EXPECT_LT(sent, 200);
  EXPECT_EQ(rig.Send(halfSecond), VFW_E_WRONG_STATE);
  EXPECT_EQ(rig.EndOfStream(), VFW_E_WRONG_STATE);

  std::vector<intptr_t> params;
  std::string text;
  EXPECT_EQ(rig.Events(&params, &text), std::vector<long>{EC_ERRORABORT});  // and no completion
  EXPECT_EQ(params, std::vector<intptr_t>{HResultFromErrno(ENOSPC)});
  EXPECT_EQ(text, kDumpDiskFullText);

  // A new run clears the failure.
  ASSERT_EQ(rig.Graph().Stop(), S_OK);
  ASSERT_EQ(rig.Graph().Run(), S_OK);
  EXPECT_FALSE(rig.Dump().WriteFailed());
}

TEST(CVTWaveformDumpTest, FullDiskAtTheHeaderAlsoStopsTheSink) {
  DumpRig rig(PcmType(44100, 2, 16));
  ASSERT_EQ(rig.Dump().SetFileName("/dev/full", nullptr), S_OK);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Graph().Run(), S_OK);
  ASSERT_EQ(rig.Send(std::vector<uint8_t>(8820)), S_OK);
  EXPECT_EQ(rig.EndOfStream(), VFW_E_WRONG_STATE);
  EXPECT_EQ(rig.Events(), std::vector<long>{EC_ERRORABORT});
  EXPECT_TRUE(rig.Dump().WriteFailed());
}

TEST(CVTWaveformDumpTest, PauseAfterAFullDiskLeavesTheFileAlone) {
  ScratchFolder folder;
  DumpRig rig(PcmType(44100, 2, 16));
  ASSERT_EQ(rig.Dump().SetFileName("/dev/full", nullptr), S_OK);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Graph().Run(), S_OK);
  rig.EndOfStream();
  ASSERT_TRUE(rig.Dump().WriteFailed());
  ASSERT_EQ(rig.Graph().Stop(), S_OK);
  ASSERT_EQ(rig.Graph().Pause(), S_OK);
  EXPECT_TRUE(rig.Dump().WriteFailed());
  EXPECT_EQ(rig.Send(std::vector<uint8_t>(8820)), VFW_E_WRONG_STATE);
}

TEST(CVTWaveformDumpTest, AnswersAsAFileSinkAndARenderer) {
  std::shared_ptr<IBaseFilter> filter = std::make_shared<CVTWaveformDump>();
  EXPECT_NE(QueryInterface<IFileSinkFilter>(filter.get()), nullptr);
  EXPECT_TRUE(IsRenderer(filter.get()));
  CLSID clsid;
  ASSERT_EQ(filter->GetClassID(&clsid), S_OK);
  EXPECT_EQ(GuidToString(clsid), "{D128E917-2D1C-4DDA-8B4A-FD963D310F5C}");
  IPin* pin = nullptr;
  ASSERT_EQ(filter->FindPin("Input", &pin), S_OK);
  PIN_DIRECTION direction;
  ASSERT_EQ(pin->QueryDirection(&direction), S_OK);
  EXPECT_EQ(direction, PINDIR_INPUT);
}

}  // namespace
