// Tests of text objects: their private texture, how often property sets render the text,
// label lookup in the string table, and their XML and binary records.
#include <string>

#include <gtest/gtest.h>

#include "scene/initparam.h"
#include "scene/textobject.h"
#include "scene/texturemanager.h"
#include "support/apptestutil.h"
#include "support/scenetestutil.h"

namespace {

class TextObjectTest : public SceneTest
{
protected:
  void SetUp() override
  {
    SceneTest::SetUp();
    LoadResources("<resources><empties><image id='far' x='30' y='10' w='40' h='20' px='5'/>"
                  "</empties></resources>");
  }
  TTextObject* Text(const char* id) { return static_cast<TTextObject*>(Find(id)); }
  TInitParam Params(const char* element)
  {
    auto document = ParseElement(element);
    TInitParam params;
    params.LoadFromXML(FirstChild(document.get()));
    return params;
  }
};

} // namespace

TEST_F(TextObjectTest, LoadingRendersIntoATextureOfTheFramesSize)
{
  LoadObjects("<objects><object type='TTextObject' id='t' f='box' txt='Hi' fs='12' "
              "fc='1,0,0,1' fh='2' tal='rb' fn='fonts/x.mvec'/></objects>");
  ASSERT_EQ(1u, mRenderer.mCreated.size());
  EXPECT_EQ(std::make_pair(40u, 20u), mRenderer.mCreated[0]);
  ASSERT_FALSE(mRenderer.mTexts.empty());
  const TRecordingSceneRenderer::TText& last = mRenderer.mTexts.back();
  EXPECT_EQ("Hi", last.mText);
  EXPECT_EQ(10u, last.mAlignment);
  EXPECT_EQ(12, last.mFont.mSize);
  EXPECT_EQ(2, last.mFont.mReserved);
  EXPECT_EQ(1.0f, last.mFont.mColor.r);
  EXPECT_EQ(str("fonts/x.mvec"), last.mFont.mFace);
  EXPECT_EQ(40, last.mRect.right);
  EXPECT_EQ(TRect(1, 2, 3, 4).bottom, Text("t")->GetTextBounds().bottom);
}

TEST_F(TextObjectTest, DefaultsWhenAttributesAreMissing)
{
  LoadObjects("<objects><object type='TTextObject' id='t' f='box' tal='zz'/></objects>");
  TTextObject* text = Text("t");
  EXPECT_EQ(5u, text->GetAlignment());
  EXPECT_EQ(10, text->GetFont().mSize);
  EXPECT_EQ(str("fonts/arial.mvec"), text->GetFont().mFace);
  EXPECT_EQ(1.0f, text->GetFont().mColor.a);
  EXPECT_EQ(0.0f, text->GetFont().mColor.r);
}

TEST_F(TextObjectTest, FrameAwayFromTheOriginStillShowsTheWholeText)
{
  LoadObjects("<objects><object type='TTextObject' id='t' f='far' txt='x'/></objects>");
  const TDrawSpec& spec = Find("t")->GetDrawSpec();
  EXPECT_TRUE(RectIs(spec.mSrcRect, 0, 0, 40, 20));
  EXPECT_EQ(5.0f, spec.mCenter.x);
  EXPECT_EQ(TRect(0, 0, 40, 20).right, mRenderer.mTexts.back().mRect.right);
}

TEST_F(TextObjectTest, SetsRenderOncePerGroupOfKeys)
{
  LoadObjects("<objects><object type='TTextObject' id='t' f='box' txt='a'/></objects>");
  mRenderer.mTexts.clear();
  Find("t")->set_set_params(Params("<set txt='b'/>"));
  EXPECT_EQ(1u, mRenderer.mTexts.size());
  mRenderer.mTexts.clear();
  Find("t")->set_set_params(Params("<set fs='30' tal='lt' txt='c'/>"));
  ASSERT_EQ(3u, mRenderer.mTexts.size());
  EXPECT_EQ("c", mRenderer.mTexts[2].mText);
  EXPECT_EQ(30, mRenderer.mTexts[2].mFont.mSize);
  EXPECT_EQ(0u, mRenderer.mTexts[2].mAlignment);
  mRenderer.mTexts.clear();
  Find("t")->set_set_params(Params("<set f='half' a='0.5'/>"));
  EXPECT_TRUE(mRenderer.mTexts.empty());
  EXPECT_EQ(3, Find("t")->GetFrame());
}

TEST_F(TextObjectTest, WithoutAFrameNothingIsRendered)
{
  LoadObjects("<objects><object type='TTextObject' id='t' txt='a'/></objects>");
  EXPECT_TRUE(mRenderer.mTexts.empty());
  EXPECT_TRUE(mRenderer.mCreated.empty());
  Text("t")->setText("b");
  EXPECT_TRUE(mRenderer.mTexts.empty());
  Find("t")->Draw();
  EXPECT_TRUE(mRenderer.mSprites.empty());
}

TEST_F(TextObjectTest, LoadedWhileLoadsAreDeferredItRendersWhenFirstDrawnOrMeasured)
{
  {
    TTextureManager::TDeferLoads deferred;
    LoadObjects("<objects><object type='TTextObject' id='t' f='box' txt='a'/>"
                "<object type='TTextObject' id='hidden' f='box' v='0' txt='b'/>"
                "<object type='TTextObject' id='measured' f='box' txt='c'/></objects>");
    Text("t")->setText("Hi");
  }
  EXPECT_TRUE(mRenderer.mCreated.empty());
  EXPECT_TRUE(mRenderer.mTexts.empty());
  Find("t")->Draw();
  Find("hidden")->Draw();
  ASSERT_EQ(1u, mRenderer.mTexts.size());
  EXPECT_EQ("Hi", mRenderer.mTexts[0].mText);
  EXPECT_EQ(1u, mRenderer.mCreated.size());
  EXPECT_EQ(1u, mRenderer.mSprites.size());
  Find("t")->Draw();
  EXPECT_EQ(1u, mRenderer.mTexts.size()) << "rendered once";
  EXPECT_EQ(TRect(1, 2, 3, 4).bottom, Text("measured")->GetTextBounds().bottom);
  EXPECT_EQ("c", mRenderer.mTexts.back().mText);
}

TEST_F(TextObjectTest, KnownLabelsAreLocalisedAndUnknownOnesShownAsWritten)
{
  TAppSandbox sandbox;
  sandbox.WriteFile("assets/strings.xml", StringTableXml({{"BACK_LABEL", "Back"}}));
  sandbox.Start();
  LoadObjects("<objects><object type='TTextObject' id='t' f='box' txt='BACK_LABEL'/></objects>");
  EXPECT_EQ("Back", mRenderer.mTexts.back().mText);
  testing::internal::CaptureStderr();
  Text("t")->setText("NOT_A_LABEL");
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ("NOT_A_LABEL", mRenderer.mTexts.back().mText);
  EXPECT_EQ(std::string::npos, log.find("#####")) << log;
}

TEST_F(TextObjectTest, XmlWritesOnlyWhatDiffersFromTheDefaults)
{
  LoadObjects("<objects><object type='TTextObject' id='t' f='box' txt='Hi' fs='12' "
              "fc='1,0,0,1' tal='rb'/><object type='TTextObject' id='u' f='box'/></objects>");
  TXmlNode node("object");
  Find("t")->StoreToXML(&node);
  EXPECT_EQ(str("12"), node.GetAttribute("fs"));
  EXPECT_EQ(str("1.000000,0.000000,0.000000,1.000000"), node.GetAttribute("fc"));
  EXPECT_EQ(str("rb"), node.GetAttribute("tal"));
  EXPECT_EQ(str("Hi"), node.GetAttribute("txt"));
  TXmlNode plain("object");
  Find("u")->StoreToXML(&plain);
  for (const char* key : {"fs", "fh", "fc", "fn", "tal", "txt"})
    EXPECT_EQ(str(""), plain.GetAttribute(key)) << key;
}

TEST_F(TextObjectTest, BinaryRecordRestoresFontAndText)
{
  LoadObjects("<objects><object type='TTextObject' id='t' f='box' txt='Hi' fs='12' fh='3' "
              "fc='1,0.5,0,1' tal='cb' fn='fonts/y.mvec'/></objects>");
  TBinaryBuffer out;
  mScene->GetObjects().Store(&out);
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  std::unique_ptr<TScene> copy = CopyOfImages();
  mRenderer.mTexts.clear();
  ASSERT_TRUE(copy->GetObjects().Load(&in, copy.get(), nullptr));
  TTextObject* text = static_cast<TTextObject*>(copy->FindObject("t"));
  EXPECT_EQ(str("Hi"), text->GetText());
  EXPECT_EQ(9u, text->GetAlignment());
  EXPECT_EQ(3, text->GetFont().mReserved);
  EXPECT_EQ(0.5f, text->GetFont().mColor.g);
  EXPECT_EQ(str("fonts/y.mvec"), text->GetFont().mFace);
  EXPECT_EQ("Hi", mRenderer.mTexts.back().mText);
  TBinaryBuffer again;
  copy->GetObjects().Store(&again);
  EXPECT_EQ(BufferBytes(out), BufferBytes(again));
}
