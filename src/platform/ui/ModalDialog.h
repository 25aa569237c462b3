#pragma once
// The seam for the configuration dialogs the document runs modally: the Qt shell hands the
// document its dialogs; without a shell the document has none. User-interface thread only.

#include "platform/ui/MessageBox.h"

class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  // Shows the dialog and returns when it closes: IDOK or IDCANCEL.
  virtual int DoModal() = 0;
};
