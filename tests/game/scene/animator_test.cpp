// Tests of the animator framework: the tick's ends of a run (finish, next state, loop and
// the overflow), the registry, refused animators, and the XML and binary lists.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scene/animator.h"
#include "scene/frameanimator.h"
#include "scene/objectstate.h"
#include "support/scenetestutil.h"

namespace {

// Three steps; records what the framework calls.
class TProbeAnimator : public TAnimator
{
public:
  TProbeAnimator(unsigned delay, bool loop)
  {
    mDelay = delay;
    mLoop = loop;
  }
  int getStepCount() const override { return 3; }
  void ObjectAnimate(int step, unsigned ms) override { mCalls.push_back({step, ms}); }
  void OnLoopEnd() override { ++mLoopEnds; }
  void OnAnimationEnd() override { ++mAnimationEnds; }

  std::vector<std::pair<int, unsigned>> mCalls;
  int mLoopEnds = 0;
  int mAnimationEnds = 0;
};

class AnimatorTest : public SceneTest
{
protected:
  // An object in state "run" (next state "after"), which times its states.
  TSceneObject* Runner()
  {
    LoadObjects("<objects><object id='o' st='run'><states><st id='run' sn='after'/>"
                "<st id='after'/><st id='stop'/></states></object></objects>");
    return Find("o");
  }
  // Adds the probe to the object's current state, optionally as its main animator.
  TProbeAnimator* Attach(TSceneObject* object, unsigned delay, bool loop, bool main)
  {
    TProbeAnimator* probe = new TProbeAnimator(delay, loop);
    probe->SetObject(object);
    TSceneObjectState* state = object->GetCurrentState();
    state->mAnimators.Append(probe);
    if (main)
      state->mMainAnimator = probe;
    return probe;
  }
  std::string LoadAnimators(const char* text, TAnimators* list)
  {
    auto document = ParseElement(text);
    testing::internal::CaptureStderr();
    list->LoadFromXML(FirstChild(document.get()), nullptr);
    return testing::internal::GetCapturedStderr();
  }
};

} // namespace

TEST_F(AnimatorTest, RunOutFinishesOnTheLastValue)
{
  TSceneObject* object = Runner();
  TProbeAnimator* probe = Attach(object, 300, false, false);
  EXPECT_TRUE(probe->OnTick(1000));
  ASSERT_EQ(1u, probe->mCalls.size());
  EXPECT_EQ(std::make_pair(2, 300u), probe->mCalls[0]);
  EXPECT_EQ(1, probe->mLoopEnds);
  EXPECT_EQ(1, probe->mAnimationEnds);
  EXPECT_TRUE(probe->IsFinished());
  EXPECT_TRUE(probe->OnTick(500));
  EXPECT_EQ(1u, probe->mCalls.size());
  EXPECT_EQ(str("run"), object->GetCurrentStateName());
}

TEST_F(AnimatorTest, StepsAndTimeInsideTheStep)
{
  TSceneObject* object = Runner();
  TProbeAnimator* probe = Attach(object, 300, false, false);
  probe->OnTick(0);
  probe->OnTick(299);
  probe->OnTick(1);
  probe->OnTick(350);
  std::vector<std::pair<int, unsigned>> expected = {{0, 0}, {0, 299}, {1, 0}, {2, 50}};
  EXPECT_EQ(expected, probe->mCalls);
}

TEST_F(AnimatorTest, MainAnimatorMovesToTheNextStateWithTheOverflow)
{
  TSceneObject* object = Runner();
  TProbeAnimator* probe = Attach(object, 300, false, true);
  EXPECT_FALSE(probe->OnTick(1000));
  EXPECT_EQ(str("after"), object->GetCurrentStateName());
  EXPECT_EQ(100u, object->GetTimeInState()) << "the new state starts with the time left over";
  EXPECT_EQ(1, probe->mAnimationEnds);
}

TEST_F(AnimatorTest, MainAnimatorWithoutNextStateKeepsTheStateAndEnds)
{
  TSceneObject* object = Runner();
  object->setState("stop");
  TProbeAnimator* probe = Attach(object, 100, true, true);
  EXPECT_TRUE(probe->OnTick(450));
  EXPECT_EQ(str("stop"), object->GetCurrentStateName());
  EXPECT_TRUE(probe->IsFinished());
  EXPECT_TRUE(probe->OnTick(100));
  EXPECT_EQ(1u, probe->mCalls.size());
}

TEST_F(AnimatorTest, LoopRestartsAndRetickesTheObjectWithTheOverflow)
{
  TSceneObject* object = Runner();
  TProbeAnimator* probe = Attach(object, 100, true, false);
  EXPECT_TRUE(probe->OnTick(350));
  EXPECT_EQ(1, probe->mLoopEnds);
  EXPECT_EQ(0, probe->mAnimationEnds);
  EXPECT_FALSE(probe->IsFinished());
  EXPECT_EQ(50u, probe->GetElapsed());
  ASSERT_EQ(2u, probe->mCalls.size());
  EXPECT_EQ(std::make_pair(2, 100u), probe->mCalls[0]);
  EXPECT_EQ(std::make_pair(0, 50u), probe->mCalls[1]);
  EXPECT_EQ(50u, object->GetTimeInState()) << "the whole object is ticked again";
}

TEST_F(AnimatorTest, HugeTickOfATinyLoopIsBounded)
{
  LoadObjects("<objects><object id='o' f='solid' st='s'><states><st id='s'><animators>"
              "<animator type='TFrameAnimator' delay='1' loop='1' key='0'/></animators></st>"
              "</states></object></objects>");
  mScene->OnTick(50000000);
  EXPECT_EQ(0, Find("o")->GetFrame());
}

TEST_F(AnimatorTest, HugeTickOfSeveralTinyLoopsEndsWithBoundedWork)
{
  // Every loop's end re-ticks the whole object, where the others end too: without a budget
  // the calls grow as a power of the number of loops.
  TSceneObject* object = Runner();
  std::vector<TProbeAnimator*> probes;
  for (int i = 0; i < 4; ++i)
    probes.push_back(Attach(object, 1, true, false));
  object->OnTick(50000000, true);
  size_t calls = 0;
  for (TProbeAnimator* probe : probes)
    calls += probe->mCalls.size();
  EXPECT_LT(calls, 20000u);
  mScene->OnTick(7);
  for (TProbeAnimator* probe : probes)
    EXPECT_FALSE(probe->IsFinished()) << "the loops go on afterwards";
}

TEST_F(AnimatorTest, StatesMainAnimatorsChainThroughTheirNextStates)
{
  LoadObjects("<objects><object id='o' st='a'><states>"
              "<st id='a' sn='b' sc='TAlphaAnimator'><animators>"
              "<animator type='TAlphaAnimator' delay='100' key='0,1'/></animators></st>"
              "<st id='b' sn='a' sc='TAlphaAnimator'><animators>"
              "<animator type='TAlphaAnimator' delay='100' key='1,0.5'/></animators></st>"
              "</states></object></objects>");
  TSceneObject* object = Find("o");
  mScene->OnTick(150);
  EXPECT_EQ(str("b"), object->GetCurrentStateName());
  EXPECT_FLOAT_EQ(0.75f, object->GetAlpha());
  mScene->OnTick(100);
  EXPECT_EQ(str("a"), object->GetCurrentStateName());
  EXPECT_FLOAT_EQ(0.5f, object->GetAlpha());
}

TEST_F(AnimatorTest, RegistryMakesTheTwelveKindsByName)
{
  const char* kinds[] = {"TFrameAnimator",   "TPositionAnimator",    "TRelativePosAnimator",
                         "TFreeFlyAnimator", "TSplinePosAnimator",   "TBreakedSplinePosAnimator",
                         "TRotateAnimator",  "TFrictionRotAnimator", "TAlphaAnimator",
                         "TScaleAnimator",   "TWRangeAnimator",      "TTextNumberAnimator"};
  for (const char* kind : kinds) {
    TAnimator* made = TAnimatorFactory::Instance()->Create(kind);
    ASSERT_NE(nullptr, made) << kind;
    EXPECT_STREQ(kind, made->getDynamicAnimatorID());
    delete made;
  }
  EXPECT_EQ(nullptr, TAnimatorFactory::Instance()->Create("TAnimator"));
  EXPECT_EQ(nullptr, TAnimatorFactory::Instance()->Create("tframeanimator"));
}

TEST_F(AnimatorTest, EarliestRegistrationOfANameWins)
{
  TAnimFactory factory;
  EXPECT_TRUE(factory.Register("A", &TFrameAnimator::Create));
  EXPECT_TRUE(factory.Register("A", &TTextNumberAnimator::Create));
  TAnimator* made = factory.Create("A");
  EXPECT_STREQ("TFrameAnimator", made->getDynamicAnimatorID());
  delete made;
}

TEST_F(AnimatorTest, XmlLeavesOutUnknownAndUnrunnableAnimatorsWithErrorLines)
{
  TAnimators list;
  std::string log = LoadAnimators("<animators>"
                                  "<animator type='TNoSuch' delay='10' key='1,2'/>"
                                  "<animator type='TAlphaAnimator' delay='0' key='0,1'/>"
                                  "<animator type='TAlphaAnimator' delay='10' key='1'/>"
                                  "<animator type='TFrameAnimator' delay='10'/>"
                                  "<animator type='TSplinePosAnimator' delay='10' key='5'/>"
                                  "<animator type='TFrictionRotAnimator' delay='10'/>"
                                  "<other type='TAlphaAnimator' delay='10' key='0,1'/>"
                                  "<animator type='TFrameAnimator' delay='10' key='7'/>"
                                  "<animator type='TAlphaAnimator' delay='10' key='0,1' loop='2'/>"
                                  "<animator type='TAlphaAnimator' delay='10' key='0,1' loop='0'/>"
                                  "</animators>",
                                  &list);
  ASSERT_EQ(3u, list.size());
  EXPECT_STREQ("TFrameAnimator", list.at(0)->getDynamicAnimatorID());
  EXPECT_FALSE(list.at(0)->GetLoop());
  EXPECT_TRUE(list.at(1)->GetLoop());
  EXPECT_FALSE(list.at(2)->GetLoop());
  EXPECT_NE(std::string::npos, log.find("ERROR: Animator type 'TNoSuch' of object '' is unknown")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: Animator TAlphaAnimator of object '' has no delay")) << log;
  size_t errors = 0;
  for (size_t at = log.find("ERROR:"); at != std::string::npos; at = log.find("ERROR:", at + 1))
    ++errors;
  EXPECT_EQ(6u, errors) << log;
}

TEST_F(AnimatorTest, XmlWritesTypeDelayAndLoopOnlyWhenSet)
{
  TAnimators list;
  LoadAnimators("<animators><animator type='TFrameAnimator' delay='40' key='1,2'/>"
                "<animator type='TFrameAnimator' delay='5' loop='3' key='1'/></animators>",
                &list);
  TXmlNode node("animators");
  list.StoreToXML(&node);
  str name;
  TXmlNode* child = nullptr;
  std::vector<std::string> written;
  node.ResetChildren();
  while (node.GetNextChild(&name, &child)) {
    bool loop = false;
    child->GetAttribute("loop", &loop);
    written.push_back(std::string(name.c_str()) + " " + child->GetAttribute("type").c_str() + " " +
                      child->GetAttribute("delay").c_str() + " " + (loop ? child->GetAttribute("loop").c_str() : "-") +
                      " " + child->GetAttribute("key").c_str());
  }
  std::vector<std::string> expected = {"animator TFrameAnimator 40 - 1,2", "animator TFrameAnimator 5 1 1"};
  EXPECT_EQ(expected, written);
}

TEST_F(AnimatorTest, BinaryListResumesElapsedAndFinished)
{
  TSceneObject* object = Runner();
  TAnimators& list = object->GetCurrentState()->mAnimators;
  auto document = ParseElement("<animators>"
                               "<animator type='TFrameAnimator' delay='40' key='1,2,3' loop='1'/>"
                               "<animator type='TFrameAnimator' delay='10' key='0'/></animators>");
  list.LoadFromXML(FirstChild(document.get()), object);
  list.OnTick(70, false);
  TBinaryBuffer written;
  list.Store(&written);
  TAnimators copy;
  ASSERT_TRUE(LoadWritten(written, [&](TBinaryBuffer* b) { return copy.Load(b, object); }));
  ASSERT_EQ(2u, copy.size());
  EXPECT_EQ(70u, copy.at(0)->GetElapsed());
  EXPECT_TRUE(copy.at(0)->GetLoop());
  EXPECT_TRUE(copy.at(1)->IsFinished());
  EXPECT_EQ(object, copy.at(0)->GetObject());
  copy.at(0)->OnTick(10);
  EXPECT_EQ(3, object->GetFrame()) << "the third key shows from 80 ms";
  ExpectEveryCutFails(written, 3, [&](TBinaryBuffer* b) {
    TAnimators list;
    return list.Load(b, object);
  });
}

TEST_F(AnimatorTest, BinaryListRefusesUnknownClassesAndUnrunnableRecords)
{
  TBinaryBuffer unknown;
  unknown.WriteU32(1);
  unknown.WriteString("TNoSuchAnimator");
  std::string log;
  TAnimators list;
  EXPECT_FALSE(LoadWritten(
      unknown, [&](TBinaryBuffer* b) { return list.Load(b, nullptr); }, &log));
  EXPECT_NE(std::string::npos, log.find("TNoSuchAnimator")) << log;

  TBinaryBuffer noDelay;
  noDelay.WriteU32(1);
  noDelay.WriteString("TFrameAnimator");
  TFrameAnimator frames;
  frames.mKeys.mKeys = {1, 2};
  frames.Store(&noDelay);
  TAnimators second;
  EXPECT_FALSE(LoadWritten(
      noDelay, [&](TBinaryBuffer* b) { return second.Load(b, nullptr); }, &log));
  EXPECT_NE(std::string::npos, log.find("has no delay")) << log;

  EXPECT_FALSE(LoadWords({1, 14}, [](TBinaryBuffer* b) {
    TAnimators list;
    return list.Load(b, nullptr);
  }));
  EXPECT_FALSE(LoadWords({0x7FFFFFFF}, [](TBinaryBuffer* b) {
    TAnimators list;
    return list.Load(b, nullptr);
  }));
}
