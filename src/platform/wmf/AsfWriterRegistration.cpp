#include "platform/wmf/AsfWriterRegistration.h"

#include "platform/media/FilterRegistry.h"
#include "platform/wmf/CAsfWriterFilter.h"

void RegisterAsfWriter() {
  RegisteredFilter writer;
  writer.clsid = CLSID_WMAsfWriter;
  writer.name = "WM ASF Writer";
  writer.merit = MERIT_DO_NOT_USE;
  writer.create = [] { return std::make_shared<CAsfWriterFilter>(); };
  RegisterFilter(std::move(writer));
}
