#include "wma/WmaRecordingProfile.h"

#include <string>
#include <vector>

#include "wma/ProfileCreator.h"
#include "wma/ProfileEnumerator.h"

HRESULT ConfigureWriterForWmaChoice(IConfigAsfWriter* writer, int codecIndex, int formatIndex, bool isVbr) {
  if (writer == nullptr) return E_POINTER;
  ProfileEnumerator enumerator;
  const std::vector<std::string> names = enumerator.GetCodecNames();
  if (codecIndex < 0 || static_cast<size_t>(codecIndex) >= names.size()) {
    SetErrorInfo("The chosen Windows Media codec (number " + std::to_string(codecIndex) + ") is not installed; " +
                 std::to_string(names.size()) + " codec(s) available.");
    return E_INVALIDARG;
  }
  ProfileCreator creator;
  creator.SetCodecName(names[static_cast<size_t>(codecIndex)]);
  creator.SetFormatIndex(formatIndex);
  creator.SetVbr(isVbr);
  std::shared_ptr<IWMProfile> profile;
  if (!creator.CreateProfile(&profile)) {
    if (GetErrorInfo().empty())
      SetErrorInfo("No Windows Media profile could be built for \"" + names[static_cast<size_t>(codecIndex)] + "\".");
    return E_FAIL;
  }
  return writer->ConfigureFilterUsingProfile(profile.get());
}
