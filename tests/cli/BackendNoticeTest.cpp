#include <gtest/gtest.h>

#include "cli/BackendNotice.h"

TEST(BackendNotice, SaysWhichBackendStandsInForTheOneAskedFor) {
  EXPECT_EQ(BackendNotice("pulse", "alsa", true),
            "corvox: no sound server (PulseAudio or PipeWire) answers; using alsa.");
  EXPECT_EQ(BackendNotice("", "virtual", true),
            "corvox: no sound server answers and no sound card was found; using the virtual audio device (a test "
            "tone, or the WAV file named by CORVOX_VIRTUAL_INPUT).");
  EXPECT_EQ(BackendNotice("alsa", "alsa", false), "corvox: the alsa backend finds no sound card that can record.");
  EXPECT_EQ(BackendNotice("", "pulse", false), "corvox: the pulse backend finds no source that can record.");
  // What was asked for, or the default's own choice, needs no word.
  EXPECT_EQ(BackendNotice("", "pulse", true), "");
  EXPECT_EQ(BackendNotice("", "alsa", true), "");
  EXPECT_EQ(BackendNotice("virtual", "virtual", true), "");
  EXPECT_EQ(BackendLine("pulse"), "audio backend: pulse");
}
