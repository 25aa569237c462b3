#include <gtest/gtest.h>

#include <thread>

#include "platform/media/Allocator.h"

namespace {

ALLOCATOR_PROPERTIES Props(long buffers, long bytes, long align = 1) {
  ALLOCATOR_PROPERTIES p;
  p.cBuffers = buffers;
  p.cbBuffer = bytes;
  p.cbAlign = align;
  return p;
}

TEST(Allocator, RefusesUseBeforeCommitAndBadSettings) {
  CMemAllocator allocator;
  ALLOCATOR_PROPERTIES actual;
  SamplePtr sample;
  EXPECT_EQ(allocator.Commit(), VFW_E_SIZENOTSET);
  EXPECT_EQ(allocator.GetBuffer(&sample, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
  const ALLOCATOR_PROPERTIES badAlign = Props(1, 16, 3);
  EXPECT_EQ(allocator.SetProperties(&badAlign, &actual), VFW_E_BADALIGN);

  const ALLOCATOR_PROPERTIES good = Props(2, 100, 16);
  ASSERT_EQ(allocator.SetProperties(&good, &actual), S_OK);
  EXPECT_EQ(actual.cbBuffer, 112);  // rounded up to the alignment
  ASSERT_EQ(allocator.Commit(), S_OK);
  EXPECT_EQ(allocator.SetProperties(&good, &actual), VFW_E_ALREADY_COMMITTED);
}

TEST(Allocator, SamplesReturnToThePoolAndBlockWhenExhausted) {
  CMemAllocator allocator;
  ALLOCATOR_PROPERTIES actual;
  const ALLOCATOR_PROPERTIES request = Props(1, 64, 8);
  ASSERT_EQ(allocator.SetProperties(&request, &actual), S_OK);
  ASSERT_EQ(allocator.Commit(), S_OK);

  SamplePtr first;
  ASSERT_EQ(allocator.GetBuffer(&first, nullptr, nullptr, 0), S_OK);
  uint8_t* data = nullptr;
  first->GetPointer(&data);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 8, 0u);
  first->SetActualDataLength(10);
  first->SetSyncPoint(true);

  SamplePtr second;
  EXPECT_EQ(allocator.GetBuffer(&second, nullptr, nullptr, AM_GBF_NOWAIT), VFW_E_TIMEOUT);

  std::thread releaser([&] { first.reset(); });
  ASSERT_EQ(allocator.GetBuffer(&second, nullptr, nullptr, 0), S_OK);
  releaser.join();
  // A recycled sample starts fresh.
  EXPECT_EQ(second->GetActualDataLength(), 64);
  EXPECT_EQ(second->IsSyncPoint(), S_FALSE);
}

TEST(Allocator, DecommitWakesAWaitingThreadAndOutstandingSamplesStayValid) {
  auto allocator = std::make_unique<CMemAllocator>();
  ALLOCATOR_PROPERTIES actual;
  const ALLOCATOR_PROPERTIES request = Props(1, 32);
  ASSERT_EQ(allocator->SetProperties(&request, &actual), S_OK);
  ASSERT_EQ(allocator->Commit(), S_OK);
  SamplePtr held;
  ASSERT_EQ(allocator->GetBuffer(&held, nullptr, nullptr, 0), S_OK);

  HRESULT waited = S_OK;
  std::thread waiter([&] {
    SamplePtr other;
    waited = allocator->GetBuffer(&other, nullptr, nullptr, 0);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  allocator->Decommit();
  waiter.join();
  EXPECT_EQ(waited, VFW_E_NOT_COMMITTED);

  allocator.reset();
  uint8_t* data = nullptr;
  held->GetPointer(&data);
  data[31] = 7;  // the memory outlives the allocator while a sample holds it
  held.reset();
}

}  // namespace
