#pragma once
// The recorder's use of the WMA choice: the codec at the stored position, by name, with the
// stored format index and VBR flag, built into a profile the ASF writer is configured with.

#include "platform/wmf/ConfigAsfWriter.h"

// E_INVALIDARG (with a text) for a codec position past the installed codecs; E_FAIL when no
// profile could be built; else the writer's result.
HRESULT ConfigureWriterForWmaChoice(IConfigAsfWriter* writer, int codecIndex, int formatIndex, bool isVbr);
