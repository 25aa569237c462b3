#pragma once
// Base of the building blocks of a profile: a reference count that starts at 1; releasing the
// last reference destroys the object. Shared references made with ShareProfileObject give
// their reference back through Release.

#include <atomic>
#include <memory>

class CProfileObject {
 public:
  CProfileObject(const CProfileObject&) = delete;
  CProfileObject& operator=(const CProfileObject&) = delete;

  void AddRef();
  void Release();
  long RefCount() const { return m_refs.load(); }

 protected:
  CProfileObject() = default;
  virtual ~CProfileObject() = default;

 private:
  std::atomic<long> m_refs{1};
};

// Takes over the caller's reference to `object`.
template <class T>
std::shared_ptr<T> ShareProfileObject(T* object) {
  return std::shared_ptr<T>(object, [](T* held) { held->Release(); });
}
