// Tests of the object factory's registry: the built-in classes in order, the first
// registration of a name staying, and unknown names.
#include <gtest/gtest.h>

#include <memory>

#include "scene/imageobject.h"
#include "scene/objectfactory.h"

namespace {

CanlBaseClass* MakeBase()
{
  return new CanlBaseClass;
}

} // namespace

TEST(ObjectFactory, BuiltInClassesAreMadeByName)
{
  for (const char* name : {"TImageObject", "TMaskObject", "TTextObject", "TImageObjectButton"}) {
    std::unique_ptr<CanlBaseClass> made(CanlObjectFactory::Create(name));
    ASSERT_NE(nullptr, made) << name;
    EXPECT_STREQ(name, made->getDynamicId());
  }
}

TEST(ObjectFactory, FirstRegistrationOfANameStays)
{
  EXPECT_TRUE(CanlObjectFactory::Register("TImageObject", &MakeBase));
  std::unique_ptr<CanlBaseClass> made(CanlObjectFactory::Create("TImageObject"));
  EXPECT_STREQ("TImageObject", made->getDynamicId());
  EXPECT_TRUE(CanlObjectFactory::Register("TTestBase", &MakeBase));
  std::unique_ptr<CanlBaseClass> base(CanlObjectFactory::Create("TTestBase"));
  EXPECT_STREQ("CanlBaseClass", base->getDynamicId());
}

TEST(ObjectFactory, UnknownNamesMakeNothing)
{
  EXPECT_EQ(nullptr, CanlObjectFactory::Create("TNeverRegistered"));
  EXPECT_EQ(nullptr, CanlObjectFactory::Create("timageobject"));
  EXPECT_EQ(nullptr, CanlObjectFactory::Create(nullptr));
}
