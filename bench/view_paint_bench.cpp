// Paints the waveform view over a loaded file many times at scroll positions spread over the
// whole file and prints the mean time of one paint in microseconds.
//   view_paint_bench FILE [PAINTS]
// Runs on Qt's offscreen platform with a settings store and temporary folder of its own.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/CorvoxDoc.h"
#include "platform/audio/AudioBackendSelection.h"
#include "platform/codecs/AudioDecoderRegistration.h"
#include "platform/ui/HeadlessFrame.h"
#include "settings/SettingsStore.h"
#include "waveform/ui/CorvoxView.h"

namespace {

// Runs the load to its end, handing the document the reader's events.
bool Load(CCorvoxDoc& document, HeadlessFrame& frame, const std::string& file) {
  document.SetCurrentFile(file);
  document.ProcessFile(false);
  MSG message;
  while (document.IsLoading() && frame.Loop().GetMessage(message, std::chrono::seconds(120)))
    document.OnFrameMessage(message.message, message.wParam);
  return document.Duration() > 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: view_paint_bench FILE [PAINTS]\n");
    return 2;
  }
  const int paints = argc > 2 ? std::atoi(argv[2]) : 2000;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  SelectAudioBackend("virtual");
  RegisterAudioDecoders();

  const std::filesystem::path work = std::filesystem::temp_directory_path() / "corvox-view-bench";
  std::filesystem::create_directories(work / "music");
  SettingsStore settings((work / "corvox.reg").string(), (work / "music").string());
  HeadlessFrame frame;
  CCorvoxDoc document(settings, &frame);
  document.EnableRecording(false);
  if (!Load(document, frame, argv[1])) {
    std::fprintf(stderr, "view_paint_bench: cannot load %s\n", argv[1]);
    return 1;
  }
  CCorvoxView view(document, &frame);
  view.resize(500, 200);
  view.show();
  QApplication::processEvents();
  view.OnUpdate(CCorvoxView::kWaveformLoadedHint);

  QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  QScrollBar* bar = view.horizontalScrollBar();
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < paints; ++i) {
    bar->setValue(static_cast<int>(static_cast<int64_t>(bar->maximum()) * i / paints));
    view.viewport()->render(&image);
  }
  const double microseconds = clock.nsecsElapsed() / 1000.0 / paints;
  std::printf("%.1f s, %zu values, width %d: %.1f us per paint\n", document.Duration(),
              document.WaveformValues().size(), view.TotalWidth(), microseconds);
  return 0;
}
