#include "platform/cobject.h"

#include <gtest/gtest.h>

#include <memory>

#include "geom/primitives.h"
#include "mdf/cqelmdf.h"
#include "platform/carchive.h"
#include "platform/cmemfile.h"

namespace {

TEST(CObject, RuntimeClassesNameCreateAndRelate) {
  const CRuntimeClass* line = CRuntimeClass::FromName("CLine2d");
  ASSERT_EQ(line, RUNTIME_CLASS(CLine2d));
  EXPECT_TRUE(line->IsDerivedFrom(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(line->IsDerivedFrom(RUNTIME_CLASS(CPoint2d)));
  EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CObject)->CreateObject(), nullptr) << "CObject itself is abstract";

  std::unique_ptr<CObject> made(line->CreateObject());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetRuntimeClass(), line);
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(made->IsKindOf(RUNTIME_CLASS(CQELPoint)));
  EXPECT_TRUE(made->IsSerializable());

  // The model-defaults wrapper is created by name the way a stored archive names it.
  std::unique_ptr<CObject> mdf(CRuntimeClass::FromName("CQelMDF")->CreateObject());
  ASSERT_NE(mdf, nullptr);
  EXPECT_EQ(mdf->GetRuntimeClass(), RUNTIME_CLASS(CQelMDF));
}

TEST(CObject, VirtualSerializeWritesRawDoublesThroughCArchive) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    CPoint2d p(1.5, -2.0);
    CObject& asObject = p;
    asObject.Serialize(ar);  // dispatches to the point's own form
    ar.Close();
  }
  const std::vector<BYTE> golden = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F,   // 1.5
                                    0, 0, 0, 0, 0, 0, 0,    0xC0};  // -2.0
  std::vector<BYTE> bytes = file.Detach();
  EXPECT_EQ(bytes, golden);

  CMemFile in(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&in, CArchive::load);
  std::unique_ptr<CObject> q(RUNTIME_CLASS(CPoint2d)->CreateObject());
  q->Serialize(ar);
  auto* point = static_cast<CPoint2d*>(q.get());
  EXPECT_EQ(point->x, 1.5);
  EXPECT_EQ(point->y, -2.0);
}

}  // namespace
