#pragma once
// "Audio Options": whether the user wants to hear the input while recording (the user's bit of
// "Preview Audio"; the audio source's bit is kept as it is). User-interface thread only.

#include "app/CGeneralPage.h"

class CGenPage2 : public CGeneralPage<AudioOptions> {
 public:
  explicit CGenPage2(SettingsStore& settings);

 protected:
  void CreateControls(QWidget* window) override;
  void ShowValues() override;
  void TakeControlValues() override;
};
