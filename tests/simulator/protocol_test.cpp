#include "simulator/protocol.h"

#include <gtest/gtest.h>

#include <random>

namespace motionsim {
namespace {

Value randomValue(std::mt19937& rng) {
  switch (rng() % 6) {
    case 0: return std::monostate{};
    case 1: return static_cast<std::int16_t>(rng());
    case 2: return static_cast<std::int32_t>(rng());
    case 3: return std::uniform_real_distribution<double>(-1e9, 1e9)(rng);
    case 4: return std::string(rng() % 40, static_cast<char>('a' + rng() % 26));
    default: return ObjectRef{static_cast<std::uint32_t>(rng())};
  }
}

std::string payloadOf(const std::string& frame) { return frame.substr(kFrameHeaderBytes); }

TEST(Protocol, RequestsSurviveTheWireUnchanged) {
  std::mt19937 rng(1);
  for (int i = 0; i < 500; ++i) {
    Request q;
    q.object = ObjectRef{static_cast<std::uint32_t>(rng())};
    q.invokeKind = static_cast<std::uint8_t>(1u << (rng() % 3));
    q.byName = rng() % 2 == 0;
    if (q.byName) {
      q.memberName = "InputValue";
    } else {
      q.memberId = static_cast<std::int32_t>(rng());
    }
    for (std::size_t a = rng() % (kMaxArguments + 1); a > 0; --a) {
      q.args.push_back({randomValue(rng), rng() % 2 == 0});
    }
    std::string frame;
    ASSERT_TRUE(encodeRequest(q, frame));
    std::size_t size = 0;
    ASSERT_EQ(peekFrame(frame, size), FrameStatus::Complete);
    ASSERT_EQ(size + kFrameHeaderBytes, frame.size());
    Request back;
    ASSERT_TRUE(decodeRequest(payloadOf(frame), back));
    EXPECT_EQ(back.object, q.object);
    EXPECT_EQ(back.invokeKind, q.invokeKind);
    EXPECT_EQ(back.byName, q.byName);
    EXPECT_EQ(back.memberName, q.memberName);
    EXPECT_EQ(back.memberId, q.memberId);
    ASSERT_EQ(back.args.size(), q.args.size());
    for (std::size_t a = 0; a < q.args.size(); ++a) {
      EXPECT_EQ(back.args[a].value, q.args[a].value);
      EXPECT_EQ(back.args[a].byRef, q.args[a].byRef);
    }
  }
}

TEST(Protocol, EveryTruncationAndAnyTrailingByteIsRefused) {
  Request q;
  q.byName = true;
  q.memberName = "Item";
  q.args = {{std::string("Hub"), false}, {2.5, true}, {std::int16_t{3}, true}};
  std::string frame;
  ASSERT_TRUE(encodeRequest(q, frame));
  const std::string payload = payloadOf(frame);
  Request out;
  for (std::size_t n = 0; n < payload.size(); ++n) {
    EXPECT_FALSE(decodeRequest(payload.substr(0, n), out)) << "prefix of " << n << " bytes";
  }
  EXPECT_FALSE(decodeRequest(payload + '\0', out));
  // An unknown value tag (the last argument's: tag and 2 bytes) or argument flag (the first
  // argument's, after handle, kind, form, name and count).
  std::string badTag = payload, badFlags = payload;
  badTag[payload.size() - 3] = 9;
  badFlags[13] = 2;
  EXPECT_FALSE(decodeRequest(badTag, out));
  EXPECT_FALSE(decodeRequest(badFlags, out));
  EXPECT_TRUE(decodeRequest(payload, out));
}

TEST(Protocol, FramesAreCheckedForLengthBeforeReading) {
  std::size_t size = 0;
  EXPECT_EQ(peekFrame(std::string("\x05\x00\x00", 3), size), FrameStatus::Incomplete);
  EXPECT_EQ(peekFrame(std::string("\x02\x00\x00\x00\x01", 5), size), FrameStatus::Incomplete);
  EXPECT_EQ(peekFrame(std::string("\x02\x00\x00\x00\x01\x02\x03", 7), size), FrameStatus::Complete);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(peekFrame(std::string("\x01\x00\x01\x00", 4), size), FrameStatus::TooLarge);
  EXPECT_EQ(peekFrame(std::string("\xFF\xFF\xFF\xFF", 4), size), FrameStatus::TooLarge);
}

TEST(Protocol, EncodersRefuseWhatCannotTravelAndLeaveTheBufferAlone) {
  std::string frame = "kept";
  Request tooMany;
  tooMany.args.resize(kMaxArguments + 1);
  EXPECT_FALSE(encodeRequest(tooMany, frame));
  Request longName;
  longName.byName = true;
  longName.memberName.assign(kMaxTextBytes + 1, 'x');
  EXPECT_FALSE(encodeRequest(longName, frame));
  Response tooLarge;
  tooLarge.byRefOut.assign(8, std::string(kMaxTextBytes, 'y'));
  EXPECT_FALSE(encodeResponse(tooLarge, frame));
  EXPECT_EQ(frame, "kept");
}

}  // namespace
}  // namespace motionsim
