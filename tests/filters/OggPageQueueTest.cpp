#include <gtest/gtest.h>

#include <vector>

#include "filters/OggPageQueue.h"

namespace {

std::vector<uint8_t> Bytes(size_t count, uint8_t value) { return std::vector<uint8_t>(count, value); }

TEST(OggPageQueueTest, PagesLeaveInOrderWithTheirBytesAndTimes) {
  COggPageQueue queue;
  ASSERT_TRUE(queue.Push(Bytes(27, 1), Bytes(100, 2), -3));
  ASSERT_TRUE(queue.Push(Bytes(28, 3), Bytes(0, 0), 500));
  EXPECT_EQ(queue.Count(), 2u);

  REFERENCE_TIME time = 0;
  ASSERT_TRUE(queue.FrontTime(&time));
  EXPECT_EQ(time, -3);
  bool nowEmpty = true;
  auto first = queue.Pop(&nowEmpty);
  ASSERT_TRUE(first);
  EXPECT_FALSE(nowEmpty);
  EXPECT_EQ(std::vector<uint8_t>(first->Header().begin(), first->Header().end()), Bytes(27, 1));
  EXPECT_EQ(std::vector<uint8_t>(first->Body().begin(), first->Body().end()), Bytes(100, 2));

  auto second = queue.Pop(&nowEmpty);
  ASSERT_TRUE(second);
  EXPECT_TRUE(nowEmpty);
  EXPECT_EQ(second->time, 500);
  EXPECT_EQ(second->Header().size(), 28u);
  EXPECT_TRUE(second->Body().empty());
  EXPECT_FALSE(queue.FrontTime(&time));
  EXPECT_FALSE(queue.Pop(&nowEmpty));
}

TEST(OggPageQueueTest, RecycledNodesAreReusedWithoutNewBuffers) {
  COggPageQueue queue;
  ASSERT_TRUE(queue.Push(Bytes(27, 1), Bytes(4000, 2), 0));
  auto node = queue.Pop(nullptr);
  const uint8_t* body = node->body.data();
  queue.Recycle(std::move(node));
  EXPECT_EQ(queue.SpareCount(), 1u);

  ASSERT_TRUE(queue.Push(Bytes(30, 5), Bytes(5120, 6), 1));
  EXPECT_EQ(queue.SpareCount(), 0u);
  node = queue.Pop(nullptr);
  EXPECT_EQ(node->body.data(), body);
  EXPECT_EQ(node->Body().size(), 5120u);
  EXPECT_EQ(node->Body()[5119], 6);
}

TEST(OggPageQueueTest, LongerPagesRaiseTheBufferSizesAndRetireSmallerNodes) {
  COggPageQueue queue;
  EXPECT_EQ(queue.HeaderBufferBytes(), 128u);
  EXPECT_EQ(queue.BodyBufferBytes(), 5120u);
  ASSERT_TRUE(queue.Push(Bytes(27, 1), Bytes(10, 1), 0));
  auto small = queue.Pop(nullptr);
  ASSERT_TRUE(queue.Push(Bytes(27, 1), Bytes(10, 1), 0));
  queue.Recycle(queue.Pop(nullptr));
  ASSERT_EQ(queue.SpareCount(), 1u);

  // 282 is the longest Ogg page header, 65025 the longest body.
  ASSERT_TRUE(queue.Push(Bytes(282, 7), Bytes(65025, 8), 9));
  EXPECT_EQ(queue.HeaderBufferBytes(), 384u);
  EXPECT_EQ(queue.BodyBufferBytes(), 65536u);
  EXPECT_EQ(queue.SpareCount(), 0u);

  queue.Recycle(std::move(small));
  EXPECT_EQ(queue.SpareCount(), 0u);
  auto big = queue.Pop(nullptr);
  EXPECT_EQ(big->Header()[281], 7);
  EXPECT_EQ(big->Body()[65024], 8);
  queue.Recycle(std::move(big));
  EXPECT_EQ(queue.SpareCount(), 1u);
}

TEST(OggPageQueueTest, ABodyOfExactlyTheBufferSizeKeepsIt) {
  COggPageQueue queue;
  ASSERT_TRUE(queue.Push(Bytes(128, 1), Bytes(5120, 1), 0));
  EXPECT_EQ(queue.HeaderBufferBytes(), 128u);
  EXPECT_EQ(queue.BodyBufferBytes(), 5120u);
  ASSERT_TRUE(queue.Push(Bytes(129, 1), Bytes(5121, 1), 0));
  EXPECT_EQ(queue.HeaderBufferBytes(), 256u);
  EXPECT_EQ(queue.BodyBufferBytes(), 6144u);
}

}  // namespace
