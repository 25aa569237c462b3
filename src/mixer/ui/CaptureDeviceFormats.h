#pragma once
// Reads what the capture device at a position of the capture device list can record, through
// its output pin's stream configuration. The device is the one the recorder would bind for
// that position. User-interface thread only.

#include "mixer/ui/DeviceFormatChoices.h"
#include "platform/media/HResult.h"

// VFW_E_NOT_FOUND when the list has no device at `position`; E_UNEXPECTED when the device
// cannot be created or has no output pin with a stream configuration. On failure `choices`
// is left as it was.
HRESULT ReadCaptureDeviceFormats(int position, DeviceFormatChoices* choices);
