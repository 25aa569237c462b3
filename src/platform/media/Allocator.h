#pragma once
// Allocators: a fixed pool of equal buffers handed out as samples. GetBuffer blocks on the
// streaming thread until a buffer is free or the allocator is decommitted; samples go back to
// the pool when their last SamplePtr is released, on whichever thread that happens.
// Commit/Decommit/SetProperties come from the thread that changes the graph state.
// m_pool->mutex guards every field of Pool.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/media/MediaSample.h"

struct ALLOCATOR_PROPERTIES {
  long cBuffers = 0;
  long cbBuffer = 0;
  long cbAlign = 0;
  long cbPrefix = 0;
};

constexpr uint32_t AM_GBF_NOWAIT = 4;

struct IMemAllocator : virtual IUnknown {
  virtual HRESULT SetProperties(const ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) = 0;
  virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES* properties) = 0;
  virtual HRESULT Commit() = 0;
  virtual HRESULT Decommit() = 0;
  // VFW_E_NOT_COMMITTED when decommitted (also while waiting); with AM_GBF_NOWAIT and no free
  // buffer, VFW_E_TIMEOUT.
  virtual HRESULT GetBuffer(SamplePtr* sample, const REFERENCE_TIME* start, const REFERENCE_TIME* end,
                            uint32_t flags) = 0;
};

class CMemAllocator : public IMemAllocator {
 public:
  CMemAllocator();
  ~CMemAllocator() override;

  HRESULT SetProperties(const ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
  HRESULT GetProperties(ALLOCATOR_PROPERTIES* properties) override;
  HRESULT Commit() override;
  HRESULT Decommit() override;
  HRESULT GetBuffer(SamplePtr* sample, const REFERENCE_TIME* start, const REFERENCE_TIME* end, uint32_t flags) override;

 private:
  // Shared with every outstanding sample, so a sample released after the allocator still
  // has somewhere to go.
  struct Pool {
    std::mutex mutex;
    std::condition_variable freed;
    ALLOCATOR_PROPERTIES properties;
    bool committed = false;
    std::vector<uint8_t> memory;
    std::vector<std::unique_ptr<CMediaSample>> samples;
    std::vector<CMediaSample*> free;
    long outstanding = 0;
  };

  static void Return(const std::shared_ptr<Pool>& pool, CMediaSample* sample);

  std::shared_ptr<Pool> m_pool;
};
