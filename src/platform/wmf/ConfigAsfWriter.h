#pragma once
// Configuring the ASF writer filter with the profile of the file it writes.

#include <memory>

#include "platform/media/Guid.h"
#include "platform/wmf/Profile.h"

struct IConfigAsfWriter : virtual IUnknown {
  // While stopped and before the input is connected.
  virtual HRESULT ConfigureFilterUsingProfile(IWMProfile* profile) = 0;
  virtual HRESULT GetCurrentProfile(std::shared_ptr<IWMProfile>* profile) = 0;
};
