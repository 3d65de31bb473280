// Tests of the twelve animator kinds: the values they give the object over a run, their
// first values on entry, their key lists, and their XML and binary records.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "scene/frameanimator.h"
#include "scene/positionanimator.h"
#include "scene/rotateanimator.h"
#include "scene/spline.h"
#include "scene/splineanimator.h"
#include "scene/textobject.h"
#include "scene/valueanimator.h"
#include "support/scenetestutil.h"

namespace {

class AnimatorKindTest : public SceneTest
{
protected:
  void SetUp() override
  {
    SceneTest::SetUp();
    // Images 4 and 5, so frame keys can run 3, 4, 5.
    LoadResources("<resources><images><image id='four' texture='solid' w='4' h='4'/>"
                  "<image id='five' texture='solid' w='4' h='4'/></images></resources>");
  }
  // An object in state "s" whose only animator is the given element; the animator.
  TAnimator* Animate(const char* animator, const char* type = "TImageObject", const char* attributes = "")
  {
    std::string text = std::string("<objects><object type='") + type + "' id='o' " + attributes +
                       " st='s'><states><st id='s'><animators>" + animator +
                       "</animators></st></states></object></objects>";
    mScene->GetObjects().Clear();
    LoadObjects(text.c_str());
    mObject = Find("o");
    TAnimators& list = mObject->GetCurrentState()->mAnimators;
    return list.empty() ? nullptr : list.at(0);
  }
  // The XML and binary forms of the animator, read back into new ones of its kind.
  void ExpectRecordsRoundTrip(TAnimator* animator)
  {
    TXmlNode node("animator");
    animator->StoreToXML(&node);
    TAnimator* fromXml = TAnimatorFactory::Instance()->Create(animator->getDynamicAnimatorID());
    ASSERT_TRUE(fromXml->LoadFromXML(&node));
    TXmlNode again("animator");
    fromXml->StoreToXML(&again);
    EXPECT_EQ(node.AsString(), again.AsString());
    delete fromXml;

    TBinaryBuffer written;
    animator->Store(&written);
    TAnimator* fromRecord = TAnimatorFactory::Instance()->Create(animator->getDynamicAnimatorID());
    ASSERT_TRUE(LoadWritten(written, [&](TBinaryBuffer* b) { return fromRecord->Load(b); }));
    TBinaryBuffer rewritten;
    fromRecord->Store(&rewritten);
    EXPECT_EQ(BufferBytes(written), BufferBytes(rewritten));
    delete fromRecord;
  }
  void Tick(unsigned ms) { mObject->OnTick(ms, true); }

  TSceneObject* mObject = nullptr;
};

} // namespace

TEST_F(AnimatorKindTest, PositionMovesLinearlyAndRestsOnTheLastKey)
{
  Animate("<animator type='TPositionAnimator' delay='1000' key='0,0,100,50'/>", "TImageObject", "p='7,7'");
  EXPECT_EQ(TVec2(0, 0), mObject->GetPosition()) << "entering the state places it on the first key";
  Tick(250);
  EXPECT_EQ(TVec2(25, 12.5f), mObject->GetPosition());
  Tick(5000);
  EXPECT_EQ(TVec2(100, 50), mObject->GetPosition());
}

TEST_F(AnimatorKindTest, FinishedMovementRestsOnWholePixelsUnlessItLoops)
{
  Animate("<animator type='TPositionAnimator' delay='100' key='0,0,-3.7,2.9'/>");
  Tick(150);
  EXPECT_EQ(TVec2(-3, 2), mObject->GetPosition());
  Animate("<animator type='TPositionAnimator' delay='100' key='5,5,-3.7,2.9' loop='1'/>");
  Tick(100);
  EXPECT_EQ(TVec2(5, 5), mObject->GetPosition()) << "a loop starts again on the first key";
}

TEST_F(AnimatorKindTest, RelativePositionMovesAboutWhereTheObjectStood)
{
  TAnimator* animator =
      Animate("<animator type='TRelativePosAnimator' delay='100' key='10,0,20,10'/>", "TImageObject", "p='100,200'");
  EXPECT_EQ(TVec2(110, 200), mObject->GetPosition());
  Tick(50);
  EXPECT_EQ(TVec2(115, 205), mObject->GetPosition());
  Tick(50);
  EXPECT_EQ(TVec2(120, 210), mObject->GetPosition());
  ExpectRecordsRoundTrip(animator);
}

TEST_F(AnimatorKindTest, FrameShowsEachKeyForOneDelay)
{
  TAnimator* animator = Animate("<animator type='TFrameAnimator' delay='100' key='3,4,5'/>");
  Tick(0);
  EXPECT_EQ(3, mObject->GetFrame());
  Tick(99);
  EXPECT_EQ(3, mObject->GetFrame());
  Tick(1);
  EXPECT_EQ(4, mObject->GetFrame());
  Tick(100);
  EXPECT_EQ(5, mObject->GetFrame());
  Tick(1000);
  EXPECT_EQ(5, mObject->GetFrame());
  EXPECT_TRUE(animator->IsFinished());
  ExpectRecordsRoundTrip(animator);
}

TEST_F(AnimatorKindTest, TextNumberWritesOnlyChangedNumbers)
{
  TAnimator* animator =
      Animate("<animator type='TTextNumberAnimator' delay='1000' key='0,10'/>", "TTextObject", "f='box' txt='label'");
  TTextObject* text = static_cast<TTextObject*>(mObject);
  EXPECT_EQ(str("label"), text->GetText());
  mObject->setState("s");
  EXPECT_EQ(str("0 "), text->GetText()) << "entering the state writes the first key";
  size_t rendered = mRenderer.mTexts.size();
  Tick(50);
  EXPECT_EQ(rendered, mRenderer.mTexts.size()) << "0 was already shown";
  Tick(200);
  EXPECT_EQ(str("2 "), text->GetText());
  EXPECT_EQ(rendered + 1, mRenderer.mTexts.size());
  Tick(5000);
  EXPECT_EQ(str("10 "), text->GetText());
  ExpectRecordsRoundTrip(animator);
}

TEST_F(AnimatorKindTest, TextNumberLeavesOtherObjectsAlone)
{
  Animate("<animator type='TTextNumberAnimator' delay='100' key='-5,5'/>");
  Tick(50);
  EXPECT_EQ(TVec2(0, 0), mObject->GetPosition());
}

TEST_F(AnimatorKindTest, FreeFlightFallsBackToItsStartHeight)
{
  TAnimator* animator = Animate("<animator type='TFreeFlyAnimator' delay='1000' vy='-100' ay='200' vx='10'/>",
                                "TImageObject", "p='5,300'");
  Tick(500);
  EXPECT_FLOAT_EQ(300 - 50 + 25, mObject->GetPosition().y);
  Tick(500);
  EXPECT_FLOAT_EQ(300, mObject->GetPosition().y);
  EXPECT_FLOAT_EQ(15, mObject->GetPosition().x);
  ExpectRecordsRoundTrip(animator);
}

TEST_F(AnimatorKindTest, FrictionSlowsTheSpinTickByTick)
{
  TAnimator* animator =
      Animate("<animator type='TFrictionRotAnimator' delay='1000' key='10,99'/>", "TImageObject", "r='100'");
  Tick(20);
  EXPECT_NEAR(100 - 9.8f, mObject->GetRotation(), 1e-4);
  Tick(20);
  EXPECT_NEAR(100 - 9.8f - 9.6f, mObject->GetRotation(), 1e-4);
  float before = mObject->GetRotation();
  Tick(5000);
  EXPECT_FLOAT_EQ(before, mObject->GetRotation()) << "the last call turns by nothing";
  ExpectRecordsRoundTrip(animator);
}

TEST_F(AnimatorKindTest, RotateAlphaScaleAndRangeInterpolate)
{
  TAnimator* rotate = Animate("<animator type='TRotateAnimator' delay='100' key='0,1,3'/>");
  Tick(150);
  EXPECT_FLOAT_EQ(2, mObject->GetRotation());
  ExpectRecordsRoundTrip(rotate);
  TAnimator* alpha = Animate("<animator type='TAlphaAnimator' delay='200' key='1,0'/>");
  Tick(50);
  EXPECT_FLOAT_EQ(0.75f, mObject->GetAlpha());
  ExpectRecordsRoundTrip(alpha);
  TAnimator* scale = Animate("<animator type='TScaleAnimator' delay='300' key='1,1,1.5,2.5'/>");
  Tick(150);
  EXPECT_EQ(TVec2(1.25f, 1.75f), mObject->GetScale());
  ExpectRecordsRoundTrip(scale);
  TAnimator* range =
      Animate("<animator type='TWRangeAnimator' delay='100' key='0,1,0.5,1'/>", "TImageObject", "f='half'");
  Tick(100);
  EXPECT_EQ(TVec2(0.5f, 1), mObject->GetWidthRange());
  EXPECT_TRUE(RectIs(mObject->GetDrawSpec().mSrcRect, 4, 0, 8, 8));
  ExpectRecordsRoundTrip(range);
}

TEST_F(AnimatorKindTest, OddNumberOfPointKeysDropsTheLastOne)
{
  TKeyAnimator<TVec2>* scale =
      static_cast<TKeyAnimator<TVec2>*>(Animate("<animator type='TScaleAnimator' delay='10' key='1,2,3,4,5'/>"));
  ASSERT_EQ(2, scale->mKeys.Count());
  EXPECT_EQ(TVec2(3, 4), scale->mKeys.mKeys[1]);
  EXPECT_EQ(nullptr, Animate("<animator type='TScaleAnimator' delay='10' key='1,2,3'/>"))
      << "a single point is no movement";
}

TEST_F(AnimatorKindTest, ClosedSplineComesBackToItsFirstKnot)
{
  TAnimator* animator = Animate("<animator type='TSplinePosAnimator' delay='3000' key='0,0,100,0,100,100'/>");
  EXPECT_EQ(TVec2(0, 0), mObject->GetPosition());
  Tick(1000);
  EXPECT_EQ(TVec2(100, 0), mObject->GetPosition());
  Tick(2000);
  EXPECT_EQ(TVec2(0, 0), mObject->GetPosition());
  ExpectRecordsRoundTrip(animator);
}

TEST_F(AnimatorKindTest, OpenSplineEndsOnItsLastKnot)
{
  TAnimator* animator = Animate("<animator type='TBreakedSplinePosAnimator' delay='2000' key='0,0,100,0,100,100'/>");
  Tick(1000);
  EXPECT_EQ(TVec2(100, 0), mObject->GetPosition());
  Tick(1000);
  EXPECT_EQ(TVec2(100, 100), mObject->GetPosition());
  ExpectRecordsRoundTrip(animator);
  Animate("<animator type='TBreakedSplinePosAnimator' delay='500' key='40,60'/>");
  Tick(200);
  EXPECT_EQ(TVec2(40, 60), mObject->GetPosition());
  Tick(300);
  EXPECT_EQ(TVec2(40, 60), mObject->GetPosition());
}

TEST_F(AnimatorKindTest, SplineReadTwiceKeepsOnlyTheSecondKnots)
{
  TSplinePosAnimator animator;
  auto first = ParseElement("<animator delay='10' key='1,2,3,4,5,6'/>");
  auto second = ParseElement("<animator delay='10' key='7,8'/>");
  animator.LoadFromXML(FirstChild(first.get()));
  animator.LoadFromXML(FirstChild(second.get()));
  ASSERT_EQ(1, animator.GetSpline()->GetCount());
  EXPECT_EQ(7, animator.GetSpline()->getKnot(0)->mX);
  TBinaryBuffer written;
  animator.Store(&written);
  ASSERT_TRUE(LoadWritten(written, [&](TBinaryBuffer* b) { return animator.Load(b); }));
  EXPECT_EQ(1, animator.GetSpline()->GetCount());
}

TEST_F(AnimatorKindTest, KeyRecordsWithAbsurdCountsFail)
{
  TBinaryBuffer written;
  TFrameAnimator frames;
  frames.SetDelay(10);
  frames.TAnimator::Store(&written);
  written.WriteU32(0x40000000);
  std::string log;
  TFrameAnimator loaded;
  EXPECT_FALSE(LoadWritten(
      written, [&](TBinaryBuffer* b) { return loaded.Load(b); }, &log));
  EXPECT_NE(std::string::npos, log.find("ERROR:")) << log;
  EXPECT_TRUE(loaded.mKeys.mKeys.empty());
}

TEST_F(AnimatorKindTest, KeysReadAndWriteWithAPointUnderACommaLocale)
{
  TCommaLocale locale;
  TAnimator* alpha = Animate("<animator type='TAlphaAnimator' delay='100' key='0.5,0.25'/>");
  ASSERT_NE(nullptr, alpha);
  Tick(50);
  EXPECT_FLOAT_EQ(0.375f, mObject->GetAlpha());
  TXmlNode node("animator");
  alpha->StoreToXML(&node);
  EXPECT_EQ(str("0.500000,0.250000"), node.GetAttribute("key"));
  TAnimator* fly = Animate("<animator type='TFreeFlyAnimator' delay='100' vx='1.5'/>");
  TXmlNode flight("animator");
  fly->StoreToXML(&flight);
  EXPECT_EQ(str("1.500000"), flight.GetAttribute("vx"));
}
