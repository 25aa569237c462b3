#pragma once
// Export format codes as stored in "Format".

constexpr int kFormatWma = 200;
constexpr int kFormatMp3 = 201;
constexpr int kFormatOgg = 202;
constexpr int kFormatWav = 203;

constexpr bool IsExportFormat(int format) { return format >= kFormatWma && format <= kFormatWav; }
