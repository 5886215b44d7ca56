#include "simulator/object_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "simulator/document_reader.h"

namespace motionsim {
namespace {

constexpr ObjectRef kDocument = makeRef(ObjectKind::Document);
constexpr ObjectRef kInputs = makeRef(ObjectKind::InputCollection);
constexpr ObjectRef kBodies = makeRef(ObjectKind::BodyCollection);

Request call(ObjectRef object, std::int32_t id, std::uint8_t kind,
             std::vector<Argument> args = {}) {
  Request q;
  q.object = object;
  q.memberId = id;
  q.invokeKind = kind;
  q.args = std::move(args);
  return q;
}
Request call(ObjectRef object, const char* name, std::uint8_t kind,
             std::vector<Argument> args = {}) {
  Request q = call(object, 0, kind, std::move(args));
  q.byName = true;
  q.memberName = name;
  return q;
}

class ObjectModelTest : public testing::Test {
 protected:
  ObjectModelTest() {
    Mechanism m;
    DocumentError error;
    EXPECT_TRUE(
        readDocument("motionsim-document 1\nstep 0.02\n"
                     "input 11 Hub 0\ninput 12 Kipp 0\n"
                     "body 21 Scheibe joint revolute z rate 1\n"
                     "body 22 Rolle offset 0 0.05 0 joint prismatic y input Hub gain 0.001\n",
                     m, error));
    sim_ = std::make_unique<Simulation>(std::move(m));
    model_ = std::make_unique<ObjectModel>("motionsim 9", "cam.msim", sim_.get());
  }

  Response byId(ObjectRef object, std::int32_t id, std::uint8_t kind,
                std::vector<Argument> args = {}) {
    return model_->invoke(call(object, id, kind, std::move(args)));
  }
  Response byName(ObjectRef object, const char* name, std::uint8_t kind,
                  std::vector<Argument> args = {}) {
    return model_->invoke(call(object, name, kind, std::move(args)));
  }

  std::unique_ptr<Simulation> sim_;
  std::unique_ptr<ObjectModel> model_;
};

TEST_F(ObjectModelTest, ApplicationLeadsToDocumentAndItsCollections) {
  EXPECT_EQ(byId(kApplicationRef, 6, kInvokeGet).result, Value(kDocument));
  EXPECT_EQ(byId(kApplicationRef, 11, kInvokeGet).result, Value(std::string("motionsim 9")));
  EXPECT_EQ(byId(kDocument, 1, kInvokeGet).result, Value(std::string("cam.msim")));
  EXPECT_EQ(byId(kDocument, 5, kInvokeGet).result, Value(kInputs));
  EXPECT_EQ(byId(kDocument, 6, kInvokeGet).result, Value(kBodies));
  EXPECT_EQ(byName(kInputs, "Count", kInvokeGet).result, Value(std::int32_t{2}));
  EXPECT_EQ(byName(kBodies, "count", kInvokeGet).result, Value(std::int32_t{2}));
}

TEST_F(ObjectModelTest, ItemsByPositionAndNameAndTheirMembers) {
  const Value second = byName(kInputs, "Item", kInvokeGet, {{std::int16_t{2}, false}}).result;
  EXPECT_EQ(second, Value(makeRef(ObjectKind::Input, 1)));
  EXPECT_EQ(byName(kInputs, "ITEM", kInvokeGet, {{std::string("Hub"), false}}).result,
            Value(makeRef(ObjectKind::Input, 0)));
  const ObjectRef kipp = std::get<ObjectRef>(second);
  EXPECT_EQ(byName(kipp, "Name", kInvokeGet).result, Value(std::string("Kipp")));
  EXPECT_EQ(byName(kipp, "ID", kInvokeGet).result, Value(std::int32_t{12}));

  Response body = byId(kDocument, 6, kInvokeGet, {{std::int32_t{2}, true}});
  ASSERT_EQ(body.error, kErrNone);
  const ObjectRef rolle = std::get<ObjectRef>(body.result);
  EXPECT_EQ(body.byRefOut, std::vector<Value>{std::int32_t{2}});
  EXPECT_EQ(byId(rolle, 0x20001, kInvokeGet).result, Value(std::int32_t{22}));
  EXPECT_EQ(byId(rolle, 0x20002, kInvokeGet).result, Value(std::string("Rolle")));
  EXPECT_EQ(byName(rolle, "Name", kInvokeGet).result, Value(std::string("Rolle")));
}

TEST_F(ObjectModelTest, FaultsCarryTheAutomationErrorNumber) {
  const ObjectRef hub = makeRef(ObjectKind::Input, 0), rolle = makeRef(ObjectKind::Body, 1);
  const std::vector<Argument> sixByValue(6, Argument{0.0, false});
  const struct {
    const char* what;
    Request request;
    std::int32_t error;
  } cases[] = {
      {"UnknownId", call(kDocument, 99, kInvokeGet), kErrUnknownMember},
      {"UnknownName", call(kInputs, "Length", kInvokeGet), kErrUnknownMember},
      {"IdOfAnotherObject", call(kApplicationRef, 22, kInvokeMethod), kErrUnknownMember},
      {"PutOnGetOnly", call(kDocument, 7, kInvokePut, {{std::int32_t{1}, false}}),
       kErrUnknownMember},
      {"PutWithGet", call(kDocument, 13, kInvokePut | kInvokeGet, {{std::int32_t{0}, false}}),
       kErrUnknownMember},
      {"UnnamedByName", call(kDocument, "(unnamed)", kInvokeMethod), kErrUnknownMember},
      {"ItemZero", call(kInputs, "Item", kInvokeGet, {{std::int16_t{0}, false}}), kErrNoSuchItem},
      {"ItemPastEnd", call(kInputs, "Item", kInvokeGet, {{std::int32_t{3}, false}}),
       kErrNoSuchItem},
      {"ItemUnknownName", call(kInputs, "Item", kInvokeGet, {{std::string("hub"), false}}),
       kErrNoSuchItem},
      {"BodyPastEnd", call(kDocument, 6, kInvokeGet, {{std::int16_t{3}, true}}), kErrNoSuchItem},
      {"ItemNoArgument", call(kInputs, "Item", kInvokeGet), kErrBadArgument},
      {"ItemFraction", call(kInputs, "Item", kInvokeGet, {{1.5, false}}), kErrBadArgument},
      {"CountWithArgument", call(kInputs, "Count", kInvokeGet, {{std::int16_t{1}, false}}),
       kErrBadArgument},
      {"RunToNegative", call(kDocument, 22, kInvokeMethod, {{std::int32_t{-1}, false}}),
       kErrBadArgument},
      {"JumpToText", call(kDocument, 28, kInvokeMethod, {{std::string("1"), false}}),
       kErrBadArgument},
      {"JumpPastLimit", call(kDocument, 28, kInvokeMethod, {{std::int32_t{2147483647}, false}}),
       kErrBadArgument},
      {"InputValueNaN", call(hub, "InputValue", kInvokePut, {{std::nan(""), false}}),
       kErrBadArgument},
      {"InputValueText", call(hub, "InputValue", kInvokePut, {{std::string("5"), false}}),
       kErrBadArgument},
      {"PositionByValue", call(rolle, 20, kInvokeMethod, sixByValue), kErrBadArgument},
      {"PositionTooFew", call(rolle, 20, kInvokeMethod, {{0.0, true}}), kErrBadArgument},
      {"UnknownBody", call(makeRef(ObjectKind::Body, 2), 0x20001, kInvokeGet), kErrBadArgument},
      {"UnknownKind", call(ObjectRef{0x7F000000}, 1, kInvokeGet), kErrBadArgument},
      {"EmptyReference", call(ObjectRef{}, 1, kInvokeGet), kErrObjectNotSet},
  };
  for (const auto& c : cases) {
    const Response r = model_->invoke(c.request);
    EXPECT_EQ(r.error, c.error) << c.what;
    EXPECT_FALSE(r.description.empty()) << c.what;
    EXPECT_EQ(r.result, Value()) << c.what;
  }
}

TEST(ObjectModelWithoutDocument, OffersAnEmptyActiveDocumentAndNoDocumentObjects) {
  ObjectModel model("motionsim 9", "", nullptr);
  Request q;
  q.object = kApplicationRef;
  q.memberId = 6;
  EXPECT_EQ(model.invoke(q).result, Value(ObjectRef{}));
  q.object = kDocument;
  q.memberId = 7;
  EXPECT_EQ(model.invoke(q).error, kErrBadArgument);
}

TEST_F(ObjectModelTest, MalformedPayloadGetsAnErrorResponse) {
  std::string out;
  model_->handlePayload(std::string("\x01\x02", 2), out);
  std::size_t size = 0;
  ASSERT_EQ(peekFrame(out, size), FrameStatus::Complete);
  Response r;
  ASSERT_TRUE(decodeResponse(std::string_view(out).substr(kFrameHeaderBytes), r));
  EXPECT_EQ(r.error, kErrBadArgument);
}

}  // namespace
}  // namespace motionsim
