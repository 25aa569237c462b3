#include "platform/media/ClassFactory.h"

#include "platform/media/FileWriter.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/FilterRegistry.h"
#include "platform/media/InfTee.h"

HRESULT CoCreateInstance(REFCLSID clsid, std::shared_ptr<IUnknown>* object) {
  if (object == nullptr) return E_POINTER;
  object->reset();
  try {
    if (clsid == CLSID_FilterGraph) {
      *object = std::make_shared<CFilterGraph>();
    } else if (clsid == CLSID_InfTee) {
      *object = std::make_shared<CInfTee>();
    } else if (clsid == CLSID_FileWriter) {
      *object = std::make_shared<CFileWriter>();
    } else {
      for (const RegisteredFilter& entry : RegisteredFilters()) {
        if (entry.clsid == clsid && entry.create) {
          *object = entry.create();
          break;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return *object ? S_OK : REGDB_E_CLASSNOTREG;
}
