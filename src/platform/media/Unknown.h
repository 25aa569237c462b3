#pragma once
// Interfaces are abstract classes deriving virtually from IUnknown; "query interface" is a
// dynamic_cast. Filters and graphs live in std::shared_ptr; pins belong to their filter.

#include <memory>

struct IUnknown {
  virtual ~IUnknown() = default;
};

template <class I>
I* QueryInterface(IUnknown* object) {
  return dynamic_cast<I*>(object);
}

// Shares ownership of `object` through the interface pointer; empty when not offered.
template <class I, class T>
std::shared_ptr<I> QueryInterface(const std::shared_ptr<T>& object) {
  I* found = dynamic_cast<I*>(object.get());
  return found ? std::shared_ptr<I>(object, found) : nullptr;
}
