#pragma once
// The document over a headless main window, with its own settings, music folder and private
// temporary folder, recording from the virtual device and playing to it. Messages the
// document posts are handed back to it as a main window would, and kept for the checks.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/CorvoxDoc.h"
#include "engine/EngineTestEnvironment.h"
#include "engine/Messages.h"
#include "platform/codecs/AudioDecoderRegistration.h"
#include "platform/shell/TempFolder.h"
#include "platform/ui/HeadlessFrame.h"
#include "support/MessageBoxCapture.h"
#include "support/ScopedEnvironment.h"
#include "support/WavBytes.h"

class DocumentFixture : public ::testing::Test {
 protected:
  DocumentFixture() : m_tmp("TMPDIR", MakeFolder("tmp")), m_doc(m_env.Settings(), &m_frame) {
    RegisterAudioDecoders();
    m_env.Settings().SetFormat(203);
  }

  std::string MakeFolder(const std::string& name) {
    std::filesystem::create_directories(m_env.Path(name));
    return m_env.Path(name).string();
  }
  std::string TempFolder() const {
    std::string folder;
    GetTempFolder(folder);
    return folder;
  }
  std::string MusicFolder() const { return m_env.Path("music").string() + "/Vantro Audio"; }

  // Hands messages to the document until one of `messages` arrives and returns it; 0 after
  // `timeout` without one.
  UINT PumpUntilAny(std::initializer_list<UINT> messages, std::chrono::seconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      MSG received;
      if (!m_frame.Loop().GetMessage(received, std::chrono::milliseconds(50))) continue;
      m_messages.push_back(received);
      m_doc.OnFrameMessage(received.message, received.wParam);
      for (const UINT message : messages)
        if (received.message == message) return message;
    }
    return 0;
  }
  bool PumpUntil(UINT message) {
    if (PumpUntilAny({message}) == message) return true;
    for (const MSG& received : m_messages) ADD_FAILURE() << "message " << received.message << " " << received.wParam;
    for (const auto& box : m_boxes.Boxes()) ADD_FAILURE() << "box " << box.text;
    return false;
  }

  // Keeps the messages waiting without handing them to the document.
  void Drain() {
    MSG received;
    while (m_frame.Loop().GetMessage(received, std::chrono::milliseconds(0))) m_messages.push_back(received);
  }

  // The messages posted for the main window itself (graph events and commands left out), as
  // (message, wParam) pairs.
  std::vector<std::pair<UINT, WPARAM>> WindowMessages() const {
    std::vector<std::pair<UINT, WPARAM>> kept;
    for (const MSG& message : m_messages) {
      if (message.message == WM_RECORDER_GRAPH_EVENT || message.message == WM_READER_GRAPH_EVENT ||
          message.message == WM_PLAYER_GRAPH_EVENT || message.message == WM_COMMAND)
        continue;
      const bool carriesValue = message.message == WM_RECORD_PROGRESS;
      kept.emplace_back(message.message, carriesValue ? message.wParam : 0);
    }
    return kept;
  }

  // Record, Play, Pause, Stop, Settings.
  std::vector<bool> Buttons() const {
    return {m_frame.IsButtonEnabled(FrameButton::Record), m_frame.IsButtonEnabled(FrameButton::Play),
            m_frame.IsButtonEnabled(FrameButton::Pause), m_frame.IsButtonEnabled(FrameButton::Stop),
            m_frame.IsButtonEnabled(FrameButton::Settings)};
  }

  // Records the whole input file and waits until it is saved and loaded.
  void RecordToTheEnd() {
    ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
    m_doc.OnRecord();
    ASSERT_TRUE(m_doc.IsRecording());
    ASSERT_TRUE(PumpUntil(WM_STATUS_READY));
    ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  }

  // 16-bit PCM after the 46-byte header the WAV writer writes.
  static std::vector<uint8_t> WavPayload(const std::string& path) {
    const std::vector<uint8_t> file = ScratchFolder::Read(path);
    return file.size() < 46 ? std::vector<uint8_t>() : std::vector<uint8_t>(file.begin() + 46, file.end());
  }

  EngineTestEnvironment m_env;
  ScopedEnvironment m_tmp;
  HeadlessFrame m_frame;
  MessageBoxCapture m_boxes;
  CCorvoxDoc m_doc;
  std::vector<MSG> m_messages;
};
