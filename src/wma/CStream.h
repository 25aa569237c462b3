#pragma once
// One stream of a profile being built: what ProfileCreator turns into a stream configuration.
// The format code carries the format index and the number of VBR passes:
// format index + 5000 x passes.

#include <cstdint>
#include <string>

#include "platform/wmf/MultiLanguage.h"
#include "wma/CProfileObject.h"

enum StreamType : int32_t { kStreamAudio = 1, kStreamVideo = 2, kStreamNone = 7 };

class CStream : public CProfileObject {
 public:
  static constexpr uint32_t kPassStep = 5000;

  // A new stream object with one reference, the caller's.
  static CStream* Create();

  static uint32_t FormatCode(uint32_t formatIndex, uint32_t passes) { return formatIndex + kPassStep * passes; }
  uint32_t FormatIndex() const { return formatCode % kPassStep; }
  uint32_t Passes() const { return formatCode / kPassStep; }

  std::string name;
  int32_t streamType = kStreamNone;
  uint32_t formatCode = 0;
  uint32_t codecIndex = 0;
  uint32_t bufferWindowMs = 3000;
  uint16_t streamNumber = 0;
  bool usesCodec = true;
  LCID language;

 private:
  CStream();
  ~CStream() override = default;
};
