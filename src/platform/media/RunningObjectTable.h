#pragma once
// The process-wide running object table: graphs registered under an item moniker's display
// name ("!FilterGraph %08x pid %08x") so debugging tools can find them. Any thread; the
// table's mutex guards its entries.

#include <memory>
#include <string>
#include <vector>

#include "platform/media/HResult.h"
#include "platform/media/Unknown.h"

constexpr uint32_t ROTFLAGS_REGISTRATIONKEEPSALIVE = 1;
constexpr HRESULT MK_S_MONIKERALREADYREGISTERED = MakeResult(0x000401E7);

struct ItemMoniker {
  std::string delimiter;
  std::string item;
  std::string DisplayName() const { return delimiter + item; }
};

HRESULT CreateItemMoniker(const std::string& delimiter, const std::string& item, ItemMoniker* moniker);

struct IRunningObjectTable : virtual IUnknown {
  // With ROTFLAGS_REGISTRATIONKEEPSALIVE the table keeps the object alive until Revoke.
  virtual HRESULT Register(uint32_t flags, const std::shared_ptr<IUnknown>& object, const ItemMoniker& name,
                           uint32_t* cookie) = 0;
  virtual HRESULT Revoke(uint32_t cookie) = 0;
  virtual std::vector<std::string> RegisteredNames() = 0;
};

HRESULT GetRunningObjectTable(IRunningObjectTable** table);
