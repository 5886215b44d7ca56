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
    Request q;
    q.object = object;
    q.memberId = id;
    q.invokeKind = kind;
    q.args = std::move(args);
    return model_->invoke(q);
  }
  Response byName(ObjectRef object, const std::string& name, std::uint8_t kind,
                  std::vector<Argument> args = {}) {
    Request q;
    q.object = object;
    q.byName = true;
    q.memberName = name;
    q.invokeKind = kind;
    q.args = std::move(args);
    return model_->invoke(q);
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
  for (std::int32_t id : {9, 14})
    EXPECT_EQ(byId(kApplicationRef, id, kInvokeMethod).error, kErrNone);
  for (std::int32_t id : {23, 27}) EXPECT_EQ(byId(kDocument, id, kInvokeMethod).error, kErrNone);
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

TEST_F(ObjectModelTest, InputValueMovesTheNextFrameAndPositionsComeBackByReference) {
  const ObjectRef hub = makeRef(ObjectKind::Input, 0);
  EXPECT_EQ(byName(hub, "InputValue", kInvokePut, {{std::int32_t{30}, false}}).error, kErrNone);
  EXPECT_EQ(byId(kDocument, 22, kInvokeMethod, {{std::int32_t{1}, false}}).error, kErrNone);
  EXPECT_EQ(byId(kDocument, 13, kInvokeGet).result, Value(std::int32_t{1}));
  EXPECT_EQ(byId(kDocument, 12, kInvokeGet).result, Value(0.02));
  EXPECT_EQ(byId(kDocument, 7, kInvokeGet).result, Value(std::int32_t{2}));
  std::vector<Argument> six(6, Argument{0.0, true});
  const Response pos = byId(makeRef(ObjectKind::Body, 1), 20, kInvokeMethod, six);
  ASSERT_EQ(pos.error, kErrNone);
  ASSERT_EQ(pos.byRefOut.size(), 6u);
  // y = 0.05 + 0.001·30
  EXPECT_NEAR(std::get<double>(pos.byRefOut[1]), 0.08, 1e-15);
  // CurrentFrame put stands at a frame like JumpToFrame.
  EXPECT_EQ(byId(kDocument, 13, kInvokePut, {{std::int16_t{0}, false}}).error, kErrNone);
  EXPECT_EQ(byId(kDocument, 12, kInvokeGet).result, Value(0.0));
}

struct FaultCase {
  const char* what;
  ObjectRef object;
  bool byName;
  std::int32_t id;
  const char* name;
  std::uint8_t kind;
  std::vector<Argument> args;
  std::int32_t error;
};

class ObjectModelErrors : public ObjectModelTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(ObjectModelErrors, CarryTheAutomationErrorNumber) {
  const FaultCase& c = GetParam();
  const Response r =
      c.byName ? byName(c.object, c.name, c.kind, c.args) : byId(c.object, c.id, c.kind, c.args);
  EXPECT_EQ(r.error, c.error);
  EXPECT_FALSE(r.description.empty());
  EXPECT_EQ(r.result, Value());
}

const ObjectRef kHub = makeRef(ObjectKind::Input, 0);
const ObjectRef kRolle = makeRef(ObjectKind::Body, 1);
const std::vector<Argument> kSixByValue(6, Argument{0.0, false});

INSTANTIATE_TEST_SUITE_P(
    EveryFault, ObjectModelErrors,
    testing::Values(
        FaultCase{"UnknownId", kDocument, false, 99, "", kInvokeGet, {}, kErrUnknownMember},
        FaultCase{"UnknownName", kInputs, true, 0, "Length", kInvokeGet, {}, kErrUnknownMember},
        FaultCase{"IdOfAnotherObject",
                  kApplicationRef,
                  false,
                  22,
                  "",
                  kInvokeMethod,
                  {},
                  kErrUnknownMember},
        FaultCase{"PutOnGetOnly",
                  kDocument,
                  false,
                  7,
                  "",
                  kInvokePut,
                  {{std::int32_t{1}, false}},
                  kErrUnknownMember},
        FaultCase{
            "UnnamedByName", kDocument, true, 0, "(unnamed)", kInvokeMethod, {}, kErrUnknownMember},
        FaultCase{"ItemZero",
                  kInputs,
                  true,
                  0,
                  "Item",
                  kInvokeGet,
                  {{std::int16_t{0}, false}},
                  kErrNoSuchItem},
        FaultCase{"ItemPastEnd",
                  kInputs,
                  true,
                  0,
                  "Item",
                  kInvokeGet,
                  {{std::int32_t{3}, false}},
                  kErrNoSuchItem},
        FaultCase{"ItemUnknownName",
                  kInputs,
                  true,
                  0,
                  "Item",
                  kInvokeGet,
                  {{std::string("hub"), false}},
                  kErrNoSuchItem},
        FaultCase{"BodyPastEnd",
                  kDocument,
                  false,
                  6,
                  "",
                  kInvokeGet,
                  {{std::int16_t{3}, true}},
                  kErrNoSuchItem},
        FaultCase{"ItemNoArgument", kInputs, true, 0, "Item", kInvokeGet, {}, kErrBadArgument},
        FaultCase{
            "ItemFraction", kInputs, true, 0, "Item", kInvokeGet, {{1.5, false}}, kErrBadArgument},
        FaultCase{"CountWithArgument",
                  kInputs,
                  true,
                  0,
                  "Count",
                  kInvokeGet,
                  {{std::int16_t{1}, false}},
                  kErrBadArgument},
        FaultCase{"RunToNegative",
                  kDocument,
                  false,
                  22,
                  "",
                  kInvokeMethod,
                  {{std::int32_t{-1}, false}},
                  kErrBadArgument},
        FaultCase{"JumpToText",
                  kDocument,
                  false,
                  28,
                  "",
                  kInvokeMethod,
                  {{std::string("1"), false}},
                  kErrBadArgument},
        FaultCase{"JumpPastLimit",
                  kDocument,
                  false,
                  28,
                  "",
                  kInvokeMethod,
                  {{std::int32_t{2147483647}, false}},
                  kErrBadArgument},
        FaultCase{"InputValueNaN",
                  kHub,
                  true,
                  0,
                  "InputValue",
                  kInvokePut,
                  {{std::nan(""), false}},
                  kErrBadArgument},
        FaultCase{"InputValueText",
                  kHub,
                  true,
                  0,
                  "InputValue",
                  kInvokePut,
                  {{std::string("5"), false}},
                  kErrBadArgument},
        FaultCase{"PositionByValue", kRolle, false, 20, "", kInvokeMethod, kSixByValue,
                  kErrBadArgument},
        FaultCase{
            "PositionTooFew", kRolle, false, 20, "", kInvokeMethod, {{0.0, true}}, kErrBadArgument},
        FaultCase{"UnknownBody",
                  makeRef(ObjectKind::Body, 2),
                  false,
                  0x20001,
                  "",
                  kInvokeGet,
                  {},
                  kErrBadArgument},
        FaultCase{
            "UnknownKind", ObjectRef{0x7F000000}, false, 1, "", kInvokeGet, {}, kErrBadArgument},
        FaultCase{"EmptyReference", ObjectRef{}, false, 1, "", kInvokeGet, {}, kErrObjectNotSet}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.what); });

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
