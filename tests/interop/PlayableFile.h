#pragma once
// Whether a recording plays: tools we did not write read it without an error or a warning.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/Process.h"

// Seconds of audio ffmpeg decodes from `file`, which it must do without an error.
inline double DecodedSeconds(const std::filesystem::path& file) {
  constexpr int kRateHz = 44100;
  const std::filesystem::path raw = file.string() + ".decoded.raw";
  const ProcessResult decode = RunProcess({"ffmpeg", "-v", "error", "-y", "-i", file.string(), "-f", "s16le", "-ac",
                                           "1", "-ar", std::to_string(kRateHz), raw.string()});
  EXPECT_EQ(decode.exitCode, 0) << decode.err;
  EXPECT_EQ(decode.err, "") << "ffmpeg complained about " << file;
  std::error_code error;
  const auto bytes = std::filesystem::file_size(raw, error);
  std::filesystem::remove(raw, error);
  return error ? 0.0 : static_cast<double>(bytes) / 2 / kRateHz;
}

// The format's own tool, by the file's extension, reads it without a complaint: sox a WAV
// file, ogginfo an Ogg file, mpg123 an MP3 file (WMA has only ffmpeg).
inline void ExpectReadCleanlyByItsFormatsTool(const std::filesystem::path& file) {
  const std::string extension = file.extension().string();
  if (extension == ".wav") {
    const ProcessResult sox = RunProcess({"sox", "-V2", file.string(), "-n"});
    EXPECT_EQ(sox.exitCode, 0) << sox.err;
    EXPECT_EQ(sox.err, "") << "sox complained about " << file;
  } else if (extension == ".ogg") {
    const ProcessResult ogginfo = RunProcess({"ogginfo", file.string()});
    EXPECT_EQ(ogginfo.exitCode, 0) << ogginfo.out;
    EXPECT_EQ(ogginfo.out.find("WARNING"), std::string::npos) << ogginfo.out;
    EXPECT_EQ(ogginfo.out.find("ERROR"), std::string::npos) << ogginfo.out;
  } else if (extension == ".mp3") {
    const ProcessResult mpg123 = RunProcess({"mpg123", "-q", "-t", file.string()});
    EXPECT_EQ(mpg123.exitCode, 0) << mpg123.err;
    EXPECT_EQ(mpg123.err, "") << "mpg123 complained about " << file;
  }
}

// Both of the above; the decoded seconds.
inline double ExpectPlayable(const std::filesystem::path& file) {
  ExpectReadCleanlyByItsFormatsTool(file);
  return DecodedSeconds(file);
}
