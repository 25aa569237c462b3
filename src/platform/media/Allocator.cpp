#include "platform/media/Allocator.h"

namespace {

bool IsPowerOfTwo(long value) { return value > 0 && (value & (value - 1)) == 0; }

long RoundUp(long value, long alignment) { return (value + alignment - 1) / alignment * alignment; }

}  // namespace

CMemAllocator::CMemAllocator() : m_pool(std::make_shared<Pool>()) {}

CMemAllocator::~CMemAllocator() { Decommit(); }

HRESULT CMemAllocator::SetProperties(const ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
  if (request == nullptr || actual == nullptr) return E_POINTER;
  if (!IsPowerOfTwo(request->cbAlign)) return VFW_E_BADALIGN;
  if (request->cBuffers < 0 || request->cbBuffer < 0 || request->cbPrefix < 0) return E_INVALIDARG;
  std::lock_guard lock(m_pool->mutex);
  if (m_pool->committed) return VFW_E_ALREADY_COMMITTED;
  if (m_pool->outstanding > 0) return VFW_E_BUFFERS_OUTSTANDING;
  m_pool->properties = *request;
  // Prefix plus buffer is rounded up to the alignment so every buffer starts aligned.
  m_pool->properties.cbBuffer = RoundUp(request->cbBuffer + request->cbPrefix, request->cbAlign) - request->cbPrefix;
  *actual = m_pool->properties;
  return S_OK;
}

HRESULT CMemAllocator::GetProperties(ALLOCATOR_PROPERTIES* properties) {
  if (properties == nullptr) return E_POINTER;
  std::lock_guard lock(m_pool->mutex);
  *properties = m_pool->properties;
  return S_OK;
}

HRESULT CMemAllocator::Commit() {
  std::lock_guard lock(m_pool->mutex);
  if (m_pool->committed) return S_OK;
  const ALLOCATOR_PROPERTIES& p = m_pool->properties;
  if (p.cBuffers <= 0 || p.cbBuffer <= 0) return VFW_E_SIZENOTSET;
  if (m_pool->outstanding > 0) return VFW_E_BUFFERS_OUTSTANDING;
  const long stride = p.cbPrefix + p.cbBuffer;
  try {
    m_pool->memory.assign(
        static_cast<size_t>(stride) * static_cast<size_t>(p.cBuffers) + static_cast<size_t>(p.cbAlign), 0);
    m_pool->samples.clear();
    m_pool->free.clear();
    const uintptr_t base = reinterpret_cast<uintptr_t>(m_pool->memory.data());
    const uintptr_t align = static_cast<uintptr_t>(p.cbAlign);
    uint8_t* first = m_pool->memory.data() + (align - (base + static_cast<uintptr_t>(p.cbPrefix)) % align) % align;
    for (long i = 0; i < p.cBuffers; ++i) {
      m_pool->samples.push_back(std::make_unique<CMediaSample>(first + i * stride + p.cbPrefix, p.cbBuffer));
      m_pool->free.push_back(m_pool->samples.back().get());
    }
  } catch (const std::bad_alloc&) {
    m_pool->memory.clear();
    m_pool->samples.clear();
    m_pool->free.clear();
    return E_OUTOFMEMORY;
  }
  m_pool->committed = true;
  return S_OK;
}

HRESULT CMemAllocator::Decommit() {
  {
    std::lock_guard lock(m_pool->mutex);
    if (!m_pool->committed) return S_OK;
    m_pool->committed = false;
    // Outstanding samples keep the memory alive; it is dropped when the last comes back.
    if (m_pool->outstanding == 0) {
      m_pool->free.clear();
      m_pool->samples.clear();
      m_pool->memory.clear();
      m_pool->memory.shrink_to_fit();
    }
  }
  m_pool->freed.notify_all();
  return S_OK;
}

HRESULT CMemAllocator::GetBuffer(SamplePtr* sample, const REFERENCE_TIME* start, const REFERENCE_TIME* end,
                                 uint32_t flags) {
  if (sample == nullptr) return E_POINTER;
  sample->reset();
  std::unique_lock lock(m_pool->mutex);
  if ((flags & AM_GBF_NOWAIT) == 0)
    m_pool->freed.wait(lock, [this] { return !m_pool->committed || !m_pool->free.empty(); });
  if (!m_pool->committed) return VFW_E_NOT_COMMITTED;
  if (m_pool->free.empty()) return VFW_E_TIMEOUT;
  CMediaSample* raw = m_pool->free.back();
  m_pool->free.pop_back();
  ++m_pool->outstanding;
  lock.unlock();

  raw->Reset();
  if (start) raw->SetTime(start, end);
  std::shared_ptr<Pool> pool = m_pool;
  try {
    *sample = SamplePtr(raw, [pool](IMediaSample* s) { Return(pool, static_cast<CMediaSample*>(s)); });
  } catch (const std::bad_alloc&) {
    Return(pool, raw);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void CMemAllocator::Return(const std::shared_ptr<Pool>& pool, CMediaSample* sample) {
  {
    std::lock_guard lock(pool->mutex);
    --pool->outstanding;
    if (pool->committed) {
      pool->free.push_back(sample);
    } else if (pool->outstanding == 0) {
      pool->free.clear();
      pool->samples.clear();
      pool->memory.clear();
      pool->memory.shrink_to_fit();
    }
  }
  pool->freed.notify_one();
}
