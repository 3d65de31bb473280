// Tests of object property sets: which keys XML sets and clears, the text written back,
// and the binary record with its size and its checks.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"
#include "scene/initparam.h"
#include "support/scenetestutil.h"

namespace {

TInitParam FromXml(const char* element)
{
  auto document = ParseElement(element);
  TInitParam params;
  params.LoadFromXML(FirstChild(document.get()));
  return params;
}

str ToXml(const TInitParam& params)
{
  TXmlNode node("set");
  params.StoreToXML(&node);
  return node.AsString();
}

} // namespace

TEST(InitParam, ElementWithoutAttributesHasNoKeys)
{
  EXPECT_EQ(0u, FromXml("<set/>").mMask);
}

TEST(InitParam, EachKeySetsItsBit)
{
  TInitParam params = FromXml("<set a='0.5' r='1' p='1,2' wr='0,0.5' s='2,2' v='1' wm='1' hm='0' bl='a' c='1' pr='fx' "
                              "ht='0' z='3' fs='12' fc='1,0,0,1' fh='2' fn='f.mvec' tal='rb' txt='T' f='img' st='on' "
                              "t='7' snd_n='s.ogg' snd_p='1' snd_l='1' snd_v='0.25'/>");
  EXPECT_EQ(0x0FFFFEF7u, params.mMask);
  EXPECT_EQ(TVec2(1, 2), params.mPosition);
  EXPECT_EQ(TRenderer::kBlendAdditiveAlpha, params.mBlend);
  EXPECT_EQ(10, params.mTextAlignment);
  EXPECT_EQ(1.0f, params.mFontColor.r);
  EXPECT_EQ(str("on"), params.mState);
  EXPECT_EQ(0.25f, params.mSoundVolume);
}

TEST(InitParam, RelativePositionNeedsTrueAndIsWrittenOnlyWithAPosition)
{
  EXPECT_FALSE(FromXml("<set rp='0' p='1,1'/>").Has(TInitParam::kRelativePosition));
  TInitParam alone = FromXml("<set rp='1'/>");
  EXPECT_TRUE(alone.Has(TInitParam::kRelativePosition));
  EXPECT_EQ(str("<set>\n</set>\n"), ToXml(alone));
  TInitParam both = FromXml("<set rp='1' p='10,0'/>");
  EXPECT_EQ(str("<set\n    rp=\"1\"\n    p=\"10.000000,0.000000\">\n</set>\n"), ToXml(both));
}

TEST(InitParam, UnknownAlignmentAndEmptyAlignmentClearTheBit)
{
  TInitParam unknown = FromXml("<set tal='xx'/>");
  EXPECT_FALSE(unknown.Has(TInitParam::kTextAlignment));
  EXPECT_FALSE(FromXml("<set tal=''/>").Has(TInitParam::kTextAlignment));
  EXPECT_TRUE(FromXml("<set tal='lt'/>").Has(TInitParam::kTextAlignment));
}

TEST(InitParam, BlendLettersReadAndWrite)
{
  EXPECT_EQ(TRenderer::kBlendNormal, FromXml("<set bl='o'/>").mBlend);
  EXPECT_TRUE(FromXml("<set bl='o'/>").Has(TInitParam::kBlend));
  EXPECT_EQ(TRenderer::kBlendSubtractive, FromXml("<set bl='s'/>").mBlend);
  EXPECT_EQ(TRenderer::kBlendMultiplicative, FromXml("<set bl='m'/>").mBlend);
  TInitParam opaque;
  opaque.Set(TInitParam::kBlend, true);
  opaque.mBlend = TRenderer::kBlendOpaque;
  EXPECT_EQ(str("<set\n    bl=\"n\">\n</set>\n"), ToXml(opaque));
  TRenderer::EBlendMode mode = TRenderer::kBlendSubtractive;
  TXmlNode none("x");
  EXPECT_FALSE(TInitParam::ReadBlending(&none, mode));
  EXPECT_EQ(TRenderer::kBlendSubtractive, mode);
}

TEST(InitParam, FalseContourIsAppliedButNotWritten)
{
  TInitParam params = FromXml("<set c='0'/>");
  EXPECT_TRUE(params.Has(TInitParam::kContour));
  EXPECT_FALSE(params.mContour);
  EXPECT_EQ(str("<set>\n</set>\n"), ToXml(params));
}

TEST(InitParam, WriterTextInItsOrder)
{
  TInitParam params =
      FromXml("<set t='7' st='on' f='img' txt='T' tal='cc' fn='f' fh='2' fc='1,0,0.5,1' fs='12' z='3' "
              "ht='0' pr='fx' c='1' bl='m' hm='1' wm='0' v='1' s='2,2' wr='0,0.5' p='1,2' r='1' a='0.5' "
              "snd_n='s.ogg' snd_v='1'/>");
  EXPECT_EQ(str("<set\n    a=\"0.500000\"\n    r=\"1.000000\"\n    p=\"1.000000,2.000000\"\n"
                "    wr=\"0.000000,0.500000\"\n    s=\"2.000000,2.000000\"\n    v=\"1\"\n"
                "    wm=\"0\"\n    hm=\"1\"\n    bl=\"m\"\n    c=\"1\"\n    pr=\"fx\"\n"
                "    ht=\"0\"\n    z=\"3.000000\"\n    fs=\"12\"\n"
                "    fc=\"1.000000,0.000000,0.500000,1.000000\"\n    fh=\"2\"\n    fn=\"f\"\n"
                "    tal=\"cc\"\n    txt=\"T\"\n    f=\"img\"\n    st=\"on\"\n    t=\"7\">\n"
                "</set>\n"),
            ToXml(params));
}

TEST(InitParam, EmptyRecordIs111Bytes)
{
  TBinaryBuffer out;
  TInitParam().Store(&out);
  EXPECT_EQ(111u, out.mSize);
}

TEST(InitParam, BinaryRecordKeepsEveryFieldIncludingSound)
{
  TInitParam params = FromXml("<set a='0.5' p='1,2' tal='rb' txt='T' f='img' st='on' t='-7' snd_n='s.ogg' snd_p='1' "
                              "snd_l='1' snd_v='0.25' fc='0.1,0.2,0.3,0.4' bl='s'/>");
  TBinaryBuffer out;
  params.Store(&out);
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  TInitParam loaded;
  ASSERT_TRUE(loaded.Load(&in));
  EXPECT_EQ(params.mMask, loaded.mMask);
  EXPECT_EQ(str("s.ogg"), loaded.mSound);
  EXPECT_TRUE(loaded.mSoundPlaying && loaded.mSoundLoop);
  EXPECT_EQ(0.25f, loaded.mSoundVolume);
  EXPECT_EQ(-7, loaded.mTag);
  EXPECT_EQ(0.3f, loaded.mFontColor.b);
  EXPECT_EQ(TRenderer::kBlendSubtractive, loaded.mBlend);
  TBinaryBuffer again;
  loaded.Store(&again);
  ASSERT_EQ(out.mSize, again.mSize);
  EXPECT_EQ(0, std::memcmp(out.mData, again.mData, out.mSize));
  // XML carries no sound keys.
  EXPECT_EQ(std::string::npos, std::string(ToXml(loaded).c_str()).find("snd"));
}

TEST(InitParam, DamagedRecordsFailTheLoad)
{
  TInitParam params;
  params.mText = "hello";
  TBinaryBuffer out;
  params.Store(&out);
  ExpectEveryCutFails(out, 7, [](TBinaryBuffer* in) {
    TInitParam loaded;
    return loaded.Load(in);
  });
  // A blend mode the renderer does not know comes back as normal.
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  in.mData[4 + 8 + 24 + 3] = 200;
  TInitParam loaded;
  ASSERT_TRUE(loaded.Load(&in));
  EXPECT_EQ(TRenderer::kBlendNormal, loaded.mBlend);
}
