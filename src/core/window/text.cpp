// text: the window that shows a block of rich text from a style's label and font; its
// links act for buttons of the same dialog. Talks to the text layout and the window manager.
#include "core/window/text.h"

#include <boost/shared_ptr.hpp>

#include "core/graphics/renderer.h"
#include "core/graphics/textgraphic.h"
#include "core/graphics/texture.h"
#include "core/script/luatable.h"
#include "core/window/modalwindow.h"
#include "core/window/button.h"
#include "core/window/windowmanager.h"
#include "core/window/windowstyle.h"
#include "core/foundation/debug.h"

namespace {

void InvalidateScreen()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->InvalidateScreen();
  }
}

TWindowScript* WindowScript()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  return manager ? dynamic_cast<TWindowScript*>(manager->GetScript()) : nullptr;
}

bool IsNumberLabel(const str& label)
{
  for (unsigned i = 0; i < label.length(); ++i) {
    const char c = label[i];
    if (!((c >= '0' && c <= '9') || c == '.')) {
      return false;
    }
  }
  return true;
}

} // namespace

TWindow* TTextDynamicCreate()
{
  return new TText(false);
}

intptr_t TText::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TTextDynamicCreate);
  return id;
}

TText::TText(bool captureDraw) : mTextGraphic(nullptr), mScale(1.0f), mAlpha(1.0f), mSpacing(0), mScrollTerm(0.5f)
{
  if (captureDraw) {
    mFlags |= kCaptureDraw;
  }
}

TText::~TText()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->RemoveMouseListener(this);
  }
  if (mTextGraphic) {
    mTextGraphic->Destroy();
  }
}

void TText::Init(TWindowStyle& style)
{
  str fontName = "__DEFAULT";
  double size = 16;
  TColor colour(0.0f, 1.0f, 0.0f, 1.0f);
  if (boost::shared_ptr<TLuaTable> font = style.GetTable("font")) {
    fontName = font->GetString(1, fontName);
    size = font->GetNumber(2, size);
    colour = font->GetColor(3, colour);
  }
  if (int(size) == 0) {
    size = 12;
  }
  const str name = style.GetString("name", "");
  str label = style.GetString("label", "");

  TWindowScript* script = WindowScript();
  if (script && script->IsStringTableEnabled() && !label.empty()) {
    if (label[0] == '#') {
      label = label.substr(1);
    } else if (!IsNumberLabel(label)) {
      label = script->GetString(label, "", "", "", "", "");
    }
  }

  const int defaultFlags = style.GetInt("defflags", 0);
  const int flags = style.GetInt("flags", defaultFlags);
  const int padding = style.GetInt("padding", 0);
  const float rotation = float(style.GetNumber("rotation", 0));
  int originX = style.GetInt("rotationOriginX", 0);
  int originY = style.GetInt("rotationOriginY", 0);
  const int rotationAlign = style.GetInt("rotationAlign", 0);

  TWindow::Init(style);

  // A negative size would reach the layout as a huge box.
  const int width = GetWindowWidth();
  const int height = GetWindowHeight();
  if (width > 0 && height > 0) {
    mSpacing = padding;
    Create(label, unsigned(width), unsigned(height), unsigned(flags), fontName.c_str(), unsigned(size), colour);
    if (rotation != 0.0f) {
      int extentX = width;
      int extentY = height;
      FixSize(&originX, &extentX, &TWindow::GetWindowWidth, (rotationAlign & 1) != 0, (rotationAlign & 2) != 0, false);
      FixSize(&originY, &extentY, &TWindow::GetWindowHeight, (rotationAlign & 4) != 0, (rotationAlign & 8) != 0, false);
      mTextGraphic->SetRotation(rotation, unsigned(originX), unsigned(originY));
    }
  } else {
    WriteDbg("ERROR: Attempting to create text window of size(0,0): named '%s', label '%s'", name.c_str(),
             label.c_str());
  }
}

bool TText::Create(str text, unsigned width, unsigned height, unsigned flags, char const* font, unsigned size,
                   TColor const& colour)
{
  if (width == 0 || height == 0) {
    return false;
  }
  if (mTextGraphic) {
    mTextGraphic->Destroy();
  }
  mTextGraphic = TTextGraphic::Create("", width, height, flags, font, size, colour);
  SetWindowSize(width, height);
  SetText(text);
  return true;
}

void TText::GetTextBounds(TRect* rect)
{
  if (mTextGraphic) {
    mTextGraphic->GetTextBounds(rect, 1.0f);
  } else if (rect) {
    *rect = TRect();
  }
}

void TText::SetText(str text)
{
  if (!mTextGraphic || text == mTextGraphic->GetText()) {
    return;
  }
  // Every change is redrawn, also the first text of an empty label.
  InvalidateScreen();
  mTextGraphic->SetText(text);
}

str TText::GetText()
{
  return mTextGraphic ? mTextGraphic->GetText() : str();
}

void TText::Draw()
{
  DrawText(0);
}

void TText::DrawText(int inset)
{
  if (!mTextGraphic) {
    return;
  }
  TBegin2d twoD;
  TRect client;
  GetClientRect(&client);
  mTextGraphic->Draw(TVec2(float(client.left + inset), float(client.top)), unsigned(client.bottom - client.top), mScale,
                     mSpacing, mAlpha, boost::shared_ptr<TTexture>());
}

void TText::SetScroll(float position, float)
{
  if (!mTextGraphic) {
    return;
  }
  mTextGraphic->SetScroll((float(mTextGraphic->GetMaxScroll(mScale, mSpacing)) + mScrollTerm) * position);
  InvalidateScreen();
}

bool TText::OnMouseDown(const TPoint& point)
{
  if (!mTextGraphic) {
    return false;
  }
  mPressedLink = mTextGraphic->Pick(point, mSpacing);
  return !mPressedLink.empty();
}

bool TText::OnMouseUp(const TPoint& point)
{
  if (mPressedLink.empty()) {
    return false;
  }
  if (mTextGraphic && mTextGraphic->Pick(point, mSpacing) == mPressedLink) {
    TModalWindow* modal = FindParentModal();
    TWindow* target = modal ? modal->GetChildWindow(mPressedLink, -1) : nullptr;
    if (!target) {
      WriteDbg("ERROR: Command window %s not found", mPressedLink.c_str());
    } else if (TButton* button = target->GetCast<TButton>()) {
      button->DoCommand();
    } else {
      WriteDbg("ERROR: Command window %s not a derived class of TButton", mPressedLink.c_str());
    }
  }
  mPressedLink = str();
  return true;
}

bool TText::OnMouseMove(const TPoint& point)
{
  if (!mTextGraphic || !mTextGraphic->Rollover(&point, mSpacing)) {
    return false;
  }
  InvalidateScreen();
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->AddMouseListener(this);
  }
  return true;
}

bool TText::OnMouseLeave()
{
  if (mTextGraphic) {
    mTextGraphic->Rollover(nullptr, 0);
    InvalidateScreen();
  }
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->RemoveMouseListener(this);
  }
  return true;
}
