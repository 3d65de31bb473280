// scenetestutil: stand-ins for the scene engine's back ends (a renderer that records what
// is drawn, textures as pixel arrays) and a fixture with a scene built from XML text.
#pragma once

#include <clocale>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/foundation/xmlnode.h"
#include "core/graphics/texture.h"
#include "core/graphics/vertexset.h"
#include "scene/binarybuffer.h"
#include "scene/scene.h"
#include "scene/scenerenderer.h"
#include "scene/sceneobject.h"
#include "scene/texturemanager.h"

// Lets test failures show the text of engine strings.
inline void PrintTo(const str& text, std::ostream* out)
{
  *out << '"' << text.c_str() << '"';
}

// Records every drawing call; makes no textures.
class TRecordingSceneRenderer : public TSceneRenderer
{
public:
  struct TSprite
  {
    TTexture* mTexture;
    TDrawSpec mSpec;
  };
  struct TText
  {
    std::string mText;
    TRect mRect;
    unsigned mAlignment;
    TFont mFont;
  };

  TRecordingSceneRenderer() { mPrevious = TSceneRenderer::Install(this); }
  ~TRecordingSceneRenderer() override { TSceneRenderer::Install(mPrevious); }

  void DrawSprite(const boost::shared_ptr<TTexture>& texture, const TDrawSpec& spec) override
  {
    mSprites.push_back({texture.get(), spec});
  }
  void DrawStrip(TTransformedLitVert* vertices, unsigned count, TMaterial* material) override
  {
    mStrips.emplace_back(vertices, vertices + count);
    mMaterial = material;
  }
  boost::shared_ptr<TTexture> CreateTexture(unsigned width, unsigned height) override
  {
    mCreated.emplace_back(width, height);
    return boost::shared_ptr<TTexture>();
  }
  void RenderText(const boost::shared_ptr<TTexture>&, const str& text, const TRect& rect, unsigned alignment,
                  const TFont& font, TRect* bounds) override
  {
    mTexts.push_back({text.c_str(), rect, alignment, font});
    *bounds = TRect(1, 2, 3, 4);
  }

  std::vector<TSprite> mSprites;
  std::vector<std::vector<TTransformedLitVert>> mStrips;
  TMaterial* mMaterial = nullptr;
  std::vector<std::pair<unsigned, unsigned>> mCreated;
  std::vector<TText> mTexts;

private:
  TSceneRenderer* mPrevious;
};

// Textures as pixel arrays: each file name has an image given as alpha(x, y).
class TPixelTextureSource : public TTextureSource
{
public:
  void Add(const std::string& name, unsigned width, unsigned height,
           const std::function<unsigned(unsigned, unsigned)>& alpha)
  {
    std::vector<TColor32>& pixels = mImages[name].mPixels;
    mImages[name].mWidth = width;
    mImages[name].mHeight = height;
    pixels.resize(size_t(width) * height);
    for (unsigned y = 0; y < height; ++y)
      for (unsigned x = 0; x < width; ++x)
        pixels[size_t(y) * width + x] = TColor32(0x00FF0000u | (alpha(x, y) & 0xFF) << 24);
  }
  boost::shared_ptr<TTexture> GetTexture(const str&) override { return {}; }
  TTextureWrapper* NewWrapper(const str& name, const boost::shared_ptr<TTexture>&) override
  {
    auto found = mImages.find(name.c_str());
    if (found == mImages.end())
      return nullptr;
    const TImage& image = found->second;
    return new TTextureWrapper(boost::shared_ptr<TTexture>(), image.mPixels.data(), image.mWidth, image.mHeight,
                               image.mWidth);
  }

private:
  struct TImage
  {
    unsigned mWidth = 0, mHeight = 0;
    std::vector<TColor32> mPixels;
  };
  std::map<std::string, TImage> mImages;
};

// Attribute values in single quotes, for legibility; scene files use double quotes.
// Quotes in element content (scripts) are left alone.
inline std::string DoubleQuoted(const char* text)
{
  std::string quoted(text);
  bool inTag = false;
  for (char& c : quoted) {
    if (c == '<')
      inTag = true;
    else if (c == '>')
      inTag = false;
    else if (c == '\'' && inTag)
      c = '"';
  }
  return quoted;
}

// The first element of an XML text (single-quoted attributes allowed).
inline std::unique_ptr<TXmlNode> ParseElement(const char* text)
{
  std::unique_ptr<TXmlNode> document(new TXmlNode);
  document->ParseString(DoubleQuoted(text).c_str());
  return document;
}
inline TXmlNode* FirstChild(TXmlNode* document)
{
  str name;
  TXmlNode* child = nullptr;
  document->ResetChildren();
  return document->GetNextChild(&name, &child) ? child : nullptr;
}

// Switches the whole process to a comma-decimal locale for one scope, if one is installed.
class TCommaLocale
{
public:
  TCommaLocale() : mPrevious(std::setlocale(LC_ALL, nullptr))
  {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
      if (!mSwitched && std::setlocale(LC_ALL, name))
        mSwitched = true;
  }
  ~TCommaLocale() { std::setlocale(LC_ALL, mPrevious.c_str()); }
  bool Switched() const { return mSwitched; }

private:
  std::string mPrevious;
  bool mSwitched = false;
};

// Copies what one buffer wrote into another that reads it from the start.
inline void ReloadBuffer(TBinaryBuffer& written, TBinaryBuffer* reader)
{
  unsigned size = 0;
  void* data = written.getData(&size);
  reader->PreAlloc(size);
  if (size)
    std::memcpy(reader->getData(nullptr), data, size);
  reader->mSize = size;
}
// Loads what was written, cut to size bytes, through load(reader); the debug lines the
// load wrote go to *log.
template <typename Load>
bool LoadWritten(TBinaryBuffer& written, Load load, std::string* log = nullptr, unsigned size = 0xFFFFFFFFu)
{
  TBinaryBuffer reader;
  ReloadBuffer(written, &reader);
  if (size < reader.mSize)
    reader.mSize = size;
  testing::internal::CaptureStderr();
  bool loaded = load(&reader);
  std::string lines = testing::internal::GetCapturedStderr();
  if (log)
    *log = lines;
  return loaded;
}
// Every cut of what was written (every step bytes) must fail to load with an error line.
template <typename Load>
void ExpectEveryCutFails(TBinaryBuffer& written, unsigned step, Load load)
{
  for (unsigned cut = 0; cut < written.mSize; cut += step) {
    std::string log;
    EXPECT_FALSE(LoadWritten(written, load, &log, cut)) << "cut at " << cut;
    EXPECT_NE(std::string::npos, log.find("ERROR: Binary record")) << "cut at " << cut << log;
  }
}
// What a load made of these words (a count, say) alone.
template <typename Load>
bool LoadWords(std::initializer_list<uint32_t> words, Load load)
{
  TBinaryBuffer written;
  for (uint32_t word : words)
    written.WriteU32(word);
  return LoadWritten(written, load);
}
inline ::testing::AssertionResult RectIs(const TRect& rect, int left, int top, int right, int bottom)
{
  if (rect.left == left && rect.top == top && rect.right == right && rect.bottom == bottom)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom
                                       << ")";
}
inline std::string BufferBytes(TBinaryBuffer& buffer)
{
  unsigned size = 0;
  const char* data = static_cast<const char*>(buffer.getData(&size));
  return std::string(data ? data : "", size);
}

// A scene with an image resource, a texture manager over pixel arrays and a recording
// renderer: "half.png" (8 x 8, left half solid) and "solid.png" (4 x 4, all solid).
class SceneTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mSource.Add("half.png", 8, 8, [](unsigned x, unsigned) { return x < 4 ? 255u : 0u; });
    mSource.Add("solid.png", 4, 4, [](unsigned, unsigned) { return 255u; });
    TTextureManager::Create()->SetSource(&mSource);
    LoadResources("<resources><textures><texture id='half' file='half.png'/>"
                  "<texture id='solid' file='solid.png'/></textures>"
                  "<images><image id='half' texture='half' x='0' y='0' w='8' h='8'/>"
                  "<image id='solid' texture='solid' x='0' y='0' w='4' h='4'/>"
                  "<image id='pivoted' texture='half' x='0' y='0' w='8' h='8' px='4' py='4'/></images>"
                  "<empties><image id='box' x='0' y='0' w='40' h='20'/></empties></resources>");
  }
  void TearDown() override
  {
    mScene.reset();
    TTextureManager::Destroy();
  }

  void LoadResources(const char* text)
  {
    auto document = ParseElement(text);
    mScene->GetImageResource().LoadFromXML(FirstChild(document.get()));
  }
  // Appends the objects of an "objects" element to the scene's top level.
  void LoadObjects(const char* text)
  {
    auto document = ParseElement(text);
    mScene->GetObjects().LoadFromXML(FirstChild(document.get()), mScene.get(), nullptr);
  }
  TSceneObject* Find(const char* id) { return mScene->FindObject(id); }
  // A new scene holding this scene's images, as a saved game restores them.
  std::unique_ptr<TScene> CopyOfImages()
  {
    std::unique_ptr<TScene> copy(new TScene);
    TBinaryBuffer written;
    mScene->GetImageResource().Store(&written);
    TBinaryBuffer reader;
    ReloadBuffer(written, &reader);
    EXPECT_TRUE(copy->GetImageResource().Load(&reader));
    return copy;
  }
  // The number run by the scene's Lua global of that name.
  double LuaNumber(const char* name)
  {
    lua_State* L = mScene->GetScript().GetState();
    lua_getglobal(L, name);
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
  }
  std::string LuaText(const char* name)
  {
    lua_State* L = mScene->GetScript().GetState();
    lua_getglobal(L, name);
    const char* text = lua_tostring(L, -1);
    std::string value = text ? text : "";
    lua_pop(L, 1);
    return value;
  }

  TRecordingSceneRenderer mRenderer;
  TPixelTextureSource mSource;
  std::unique_ptr<TScene> mScene{new TScene};
};
