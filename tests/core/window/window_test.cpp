// Tests of the window base class: class identity, the tree, flags, hit testing, drawing,
// event and message bubbling, opaque bookkeeping and window animation.
#include "core/window/window.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/window/dialog.h"
#include "core/window/layeredwindow.h"
#include "core/window/windowscript.h"
#include "support/faketimer.h"
#include "support/windowtestutil.h"

namespace {

class TRefusingWindow : public TWindow
{
public:
  bool OnNewParent() override { return false; }
};

class WindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    manager.SetRenderer(&renderer);
    screen = new TScreen;
    manager.SetScreen(screen);
  }
  void TearDown() override { TPlatform::SetConfig(TPlatform::kOverlayWindowMouseEvents, "0"); }

  // Declared before the manager, which outlives the windows that write to them.
  std::vector<std::string> log;
  TRecordingRenderer renderer;
  TFakeTimer timer{1000};
  TWindowManager manager;
  TScreen* screen = nullptr;
};

TEST_F(WindowTest, ClassIds_CreateOnlyCreatableClasses)
{
  TWindow* made = TWindow::CreateFromId(TWindow::ClassId());
  ASSERT_NE(made, nullptr);
  EXPECT_STREQ(made->GetTypeName(), "TWindow");
  delete made;
  EXPECT_EQ(TWindow::CreateFromId(TModalWindow::ClassId()), nullptr);
  EXPECT_EQ(TWindow::CreateFromId(TScreen::ClassId()), nullptr);
  EXPECT_EQ(TWindow::CreateFromId(TDialog::ClassId()), nullptr);
  EXPECT_EQ(TWindow::CreateFromId(TLayeredWindow::ClassId()), nullptr);
  // An id nobody registered is never called.
  EXPECT_EQ(TWindow::CreateFromId(intptr_t(0x1234)), nullptr);
  EXPECT_EQ(TWindow::CreateFromId(0), nullptr);

  EXPECT_TRUE(screen->IsKindOf(TScreen::ClassId()));
  EXPECT_TRUE(screen->IsKindOf(TModalWindow::ClassId()));
  EXPECT_TRUE(screen->IsKindOf(TWindow::ClassId()));
  EXPECT_FALSE(screen->IsKindOf(TDialog::ClassId()));
  EXPECT_EQ(screen->GetCast<TModalWindow>(), screen);
  EXPECT_EQ(screen->GetCast<TDialog>(), nullptr);
  EXPECT_EQ(TWindow::GetCast<TScreen>(nullptr), nullptr);
  EXPECT_NE(TModalWindow::ClassId(), TScreen::ClassId());
}

TEST_F(WindowTest, AdoptChild_PutsTheChildInFrontOnce)
{
  TWindow* a = new TWindow;
  TWindow* b = new TWindow;
  screen->AdoptChild(a);
  screen->AdoptChild(b);
  screen->AdoptChild(a);
  ASSERT_EQ(screen->GetChildren().size(), 2u);
  EXPECT_EQ(screen->GetChildren().front(), b);
  EXPECT_EQ(a->GetParent(), screen);
}

TEST_F(WindowTest, AdoptChild_UndoneWhenTheChildRefuses)
{
  TRefusingWindow refusing;
  EXPECT_FALSE(screen->AdoptChild(&refusing, true));
  EXPECT_EQ(refusing.GetParent(), nullptr);
  EXPECT_TRUE(screen->GetChildren().empty());
  EXPECT_TRUE(screen->AdoptChild(&refusing, false));
  screen->OrphanChild(&refusing);
}

TEST_F(WindowTest, SetFlags_KeepsClassBitsAndReplacesUserBits)
{
  TWindow window;
  const unsigned classBits = screen->GetFlags() & 0xFFu;
  screen->SetFlags(0xFFFF0000u | TWindow::kVisible);
  EXPECT_EQ(screen->GetFlags(), classBits | TWindow::kVisible);
  window.SetFlags(0xFFFFFFFFu);
  EXPECT_EQ(window.GetFlags(), 0xFF00u);
  manager.DrawStack();
  EXPECT_FALSE(manager.IsScreenInvalid());
  window.SetFlags(0);
  EXPECT_TRUE(manager.IsScreenInvalid());
}

TEST_F(WindowTest, HitTesting_SkipsHiddenWindowsAndTheirChildren)
{
  TProbeWindow* parent = new TProbeWindow("parent", &log, 10, 10, 110, 110);
  TProbeWindow* child = new TProbeWindow("child", &log, 0, 0, 50, 50);
  screen->AdoptChild(parent);
  parent->AdoptChild(child);
  EXPECT_EQ(screen->ChildWindowFromPoint(TPoint(15, 15), -1), child);
  EXPECT_EQ(screen->ChildWindowFromPoint(TPoint(70, 70), -1), parent);
  EXPECT_EQ(screen->ChildWindowFromPoint(TPoint(500, 500), -1), screen);
  // Depth runs out while a child is still hit.
  EXPECT_EQ(screen->ChildWindowFromPoint(TPoint(15, 15), 1), nullptr);
  EXPECT_EQ(screen->ChildWindowFromPoint(TPoint(15, 15), 0), nullptr);
  // Right and bottom edges are outside.
  EXPECT_EQ(screen->ChildWindowFromPoint(TPoint(110, 50), -1), screen);
  parent->SetFlags(0);
  EXPECT_EQ(screen->ChildWindowFromPoint(TPoint(15, 15), -1), screen);
}

TEST_F(WindowTest, GetChildWindow_DepthLimitsTheSearch)
{
  TWindow* a = new TWindow;
  a->SetName("a");
  TWindow* b = new TWindow;
  b->SetName("b");
  screen->AdoptChild(a);
  a->AdoptChild(b);
  EXPECT_EQ(screen->GetChildWindow("b", 0), nullptr);
  EXPECT_EQ(screen->GetChildWindow("b", 1), nullptr);
  EXPECT_EQ(screen->GetChildWindow("b", 2), b);
  EXPECT_EQ(screen->GetChildWindow("b", -1), b);
  EXPECT_EQ(a->GetChildWindow("a", 0), a);
  EXPECT_EQ(TWindow::GetControl<TWindow>("b"), b);
  EXPECT_EQ(TWindow::GetControl<TModalWindow>("b"), nullptr);
  EXPECT_EQ(TWindow::GetControl<TWindow>("b", b), b);
}

TEST_F(WindowTest, GetWindowRect_AddsTheParentsOffsets)
{
  TWindow* a = new TWindow;
  a->SetWindowPos(10, 20);
  a->SetWindowSize(100, 100);
  TWindow* b = new TWindow;
  b->SetWindowPos(5, 6);
  b->SetWindowSize(7, 8);
  screen->AdoptChild(a);
  a->AdoptChild(b);
  TRect rect;
  b->GetWindowRect(&rect);
  EXPECT_EQ(rect.left, 15);
  EXPECT_EQ(rect.top, 26);
  EXPECT_EQ(rect.right, 22);
  EXPECT_EQ(rect.bottom, 34);
  TPoint p(20, 30);
  b->ScreenToClient(&p);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 4);
}

TEST_F(WindowTest, DoDraw_BackToFrontInsideBalancedViewportAndClip)
{
  TProbeWindow* lower = new TProbeWindow("lower", &log, 0, 0, 100, 100);
  TProbeWindow* upper = new TProbeWindow("upper", &log, 50, 50, 900, 150);
  screen->AdoptChild(lower);
  screen->AdoptChild(upper);
  renderer.log.clear();
  EXPECT_TRUE(screen->DoDraw(TWindow::kDrawNormal));
  const std::vector<std::string> draws = renderer.Lines("draw");
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0], "draw lower");
  EXPECT_EQ(draws[1], "draw upper");
  EXPECT_TRUE(renderer.viewports.empty());
  EXPECT_TRUE(renderer.clips.empty());
  EXPECT_EQ(renderer.Lines("viewport").size(), renderer.Lines("popviewport").size());
  // The upper window is clipped to the screen.
  const std::vector<std::string> clips = renderer.Lines("clip");
  EXPECT_EQ(clips.back(), "clip 50,50,800,150");
}

TEST_F(WindowTest, DoDraw_HiddenDrawsNothingAndModalChildrenAreLeftToTheManager)
{
  TProbeWindow* hidden = new TProbeWindow("hidden", &log, 0, 0, 100, 100);
  TProbeWindow* inside = new TProbeWindow("inside", &log, 0, 0, 10, 10);
  screen->AdoptChild(hidden);
  hidden->AdoptChild(inside);
  hidden->SetFlags(0);
  TProbeLayer* layer = new TProbeLayer("layer", &log);
  manager.PushModal(layer);
  renderer.log.clear();
  screen->DoDraw(TWindow::kDrawNormal);
  EXPECT_TRUE(renderer.Lines("draw hidden").empty());
  EXPECT_TRUE(renderer.Lines("draw inside").empty());
  EXPECT_TRUE(renderer.Lines("draw layer").empty());
}

TEST_F(WindowTest, DoDraw_OutsideTheClipDrawsNothingButSucceeds)
{
  TProbeWindow* away = new TProbeWindow("away", &log, 900, 900, 950, 950);
  screen->AdoptChild(away);
  EXPECT_TRUE(away->DoDraw(TWindow::kDrawNormal));
  EXPECT_TRUE(renderer.Lines("draw away").empty());
}

TEST_F(WindowTest, DoDraw_CapturePassTakesOnlyCaptureWindowsBelowACapturedParent)
{
  TProbeWindow* text = new TProbeWindow("text", &log, 0, 0, 100, 100);
  TProbeWindow* plain = new TProbeWindow("plain", &log, 0, 0, 100, 100);
  TProbeWindow* nested = new TProbeWindow("nested", &log, 0, 0, 10, 10);
  text->MakeCaptureDraw();
  nested->MakeCaptureDraw();
  screen->AdoptChild(text);
  screen->AdoptChild(plain);
  plain->AdoptChild(nested);
  renderer.log.clear();
  // The screen is the root: it starts the capture although it has no parent.
  EXPECT_TRUE(screen->DoDraw(TWindow::kDrawCapture));
  EXPECT_EQ(renderer.Lines("draw"), std::vector<std::string>{"draw text"});
  EXPECT_TRUE(screen->GetFlags() & TWindow::kCaptured);
  EXPECT_TRUE(text->GetFlags() & TWindow::kCaptured);
  EXPECT_FALSE(plain->GetFlags() & TWindow::kCaptured);
  EXPECT_FALSE(nested->GetFlags() & TWindow::kCaptured);

  // Over the capture, what it holds is skipped, the rest is drawn.
  renderer.log.clear();
  EXPECT_TRUE(plain->DoDraw(TWindow::kDrawOverCapture));
  EXPECT_FALSE(text->DoDraw(TWindow::kDrawOverCapture));
  const std::vector<std::string> expected{"draw plain", "draw nested"};
  EXPECT_EQ(renderer.Lines("draw"), expected);
  EXPECT_TRUE(renderer.viewports.empty());
  EXPECT_TRUE(renderer.clips.empty());
}

TEST_F(WindowTest, DoDraw_CapturePassSkipsWindowsWithoutTheCaptureFlag)
{
  TProbeWindow* root = new TProbeWindow("root", &log, 0, 0, 100, 100);
  EXPECT_FALSE(root->DoDraw(TWindow::kDrawCapture));
  EXPECT_FALSE(root->GetFlags() & TWindow::kCaptured);
  EXPECT_TRUE(renderer.Lines("draw").empty());
  delete root;
}

TEST_F(WindowTest, HandleEvent_UnhandledClickGoesToALowerSiblingBeforeTheParent)
{
  TProbeWindow* lower = new TProbeWindow("lower", &log, 0, 0, 100, 100);
  TProbeWindow* upper = new TProbeWindow("upper", &log, 50, 50, 150, 150);
  TProbeWindow* parentless = new TProbeWindow("far", &log, 300, 300, 310, 310);
  screen->AdoptChild(lower);
  screen->AdoptChild(upper);
  screen->AdoptChild(parentless);
  lower->consumeMouse = true;
  TEvent click(TEvent::kMouseDown, 0, 10, 20, 0);
  EXPECT_TRUE(upper->HandleEvent(&click, false));
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "upper down 10,20");
  EXPECT_EQ(log[1], "lower down 60,70");

  log.clear();
  lower->consumeMouse = false;
  EXPECT_FALSE(upper->HandleEvent(&click, false));
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(WindowTest, HandleEvent_KeysGoToTheParentNotToSiblings)
{
  TProbeWindow* panel = new TProbeWindow("panel", &log, 0, 0, 200, 200);
  TProbeWindow* lower = new TProbeWindow("lower", &log, 0, 0, 100, 100);
  TProbeWindow* upper = new TProbeWindow("upper", &log, 0, 0, 100, 100);
  screen->AdoptChild(panel);
  panel->AdoptChild(lower);
  panel->AdoptChild(upper);
  TEvent key(TEvent::kKeyDown, 'K', 5, 5, 0);
  upper->HandleEvent(&key, false);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "upper key K");
  EXPECT_EQ(log[1], "panel key K");
}

TEST_F(WindowTest, HandleEvent_ModalPostsMouseUpAndRawKeyOnlyWithoutOverlayMouse)
{
  TRecordingScript script;
  manager.AttachWindowScript(&script);
  TProbeWindow* child = new TProbeWindow("child", &log, 0, 0, 100, 100);
  screen->AdoptChild(child);
  TEvent up(TEvent::kMouseUp, 0, 5, 5, 0);
  TEvent key(TEvent::kKeyDown, 'X', 0, 0, 0);
  TPlatform::SetConfig(TPlatform::kOverlayWindowMouseEvents, "0");
  child->HandleEvent(&up, false);
  child->HandleEvent(&key, false);
  manager.DispatchMessages();
  ASSERT_EQ(script.names.size(), 2u);
  EXPECT_EQ(script.names[0], "mouse:up");
  EXPECT_EQ(script.names[1], "raw:X");

  TPlatform::SetConfig(TPlatform::kOverlayWindowMouseEvents, "1");
  child->HandleEvent(&up, false);
  manager.DispatchMessages();
  EXPECT_EQ(script.names.size(), 2u);
  manager.AttachWindowScript(nullptr);
}

TEST_F(WindowTest, HandleEvent_MouseDownFocusesTheNearestFocusableWindow)
{
  TProbeWindow* field = new TProbeWindow("field", &log, 0, 0, 100, 100);
  TProbeWindow* inner = new TProbeWindow("inner", &log, 0, 0, 10, 10);
  field->MakeFocusable();
  screen->AdoptChild(field);
  field->AdoptChild(inner);
  TEvent click(TEvent::kMouseDown, 0, 1, 1, 0);
  inner->HandleEvent(&click, false);
  EXPECT_EQ(manager.GetFocus(), field);
}

TEST_F(WindowTest, HandleEvent_ClickOnWhatTakesNoFocusLeavesItWhereItWas)
{
  TProbeWindow* field = new TProbeWindow("field", &log, 0, 0, 100, 100);
  field->MakeFocusable();
  screen->AdoptChild(field);
  manager.SetFocus(field);
  // A button: nothing between it and its layer takes the focus.
  TProbeWindow* button = new TProbeWindow("button", &log, 200, 200, 300, 300);
  screen->AdoptChild(button);
  TEvent click(TEvent::kMouseDown, 0, 1, 1, 0);
  button->HandleEvent(&click, false);
  EXPECT_EQ(manager.GetFocus(), field);

  // A focusable window that refuses the focus for now is passed over the same way.
  TProbeWindow* disabled = new TProbeWindow("disabled", &log, 400, 0, 500, 100);
  disabled->MakeFocusable();
  disabled->acceptsFocus = false;
  screen->AdoptChild(disabled);
  disabled->HandleEvent(&click, false);
  EXPECT_EQ(manager.GetFocus(), field);

  // With no focus at all, the click gives it to the layer, which hands it on to the
  // window of the layer that had it last.
  manager.SetFocus(nullptr);
  button->HandleEvent(&click, false);
  EXPECT_EQ(manager.GetFocus(), field);
}

TEST_F(WindowTest, HandleEvent_IgnoreNextCharSwallowsOneCharacter)
{
  TProbeWindow* w = new TProbeWindow("w", &log, 0, 0, 10, 10);
  w->consumeKeys = true;
  screen->AdoptChild(w);
  gIgnoreNextChar = true;
  TEvent c(TEvent::kChar, 'q', 0, 0, 0);
  EXPECT_TRUE(w->HandleEvent(&c, false));
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(gIgnoreNextChar);
  EXPECT_TRUE(w->HandleEvent(&c, false));
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(WindowTest, HandleEvent_Utf8CharFallsBackToOnCharForOneByte)
{
  TProbeWindow* w = new TProbeWindow("w", &log, 0, 0, 10, 10);
  w->consumeKeys = true;
  screen->AdoptChild(w);
  TEvent ascii(TEvent::kUTF8Char, 'a', 0, 0, 0);
  EXPECT_TRUE(w->HandleEvent(&ascii, false));
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "w utf8 a");
  EXPECT_EQ(log[1], "w char a");
  log.clear();
  TEvent accent(TEvent::kUTF8Char, 0xE9, 0, 0, 0);
  w->HandleEvent(&accent, false);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "w utf8 \xC3\xA9");
}

TEST_F(WindowTest, SendWindowMessage_ClimbsToTheLayerThenDefaultFocusThenScript)
{
  TRecordingScript script;
  manager.AttachWindowScript(&script);
  TProbeLayer* layer = new TProbeLayer("layer", &log);
  manager.PushModal(layer);
  TProbeWindow* panel = new TProbeWindow("panel", &log, 0, 0, 10, 10);
  TProbeWindow* button = new TProbeWindow("button", &log, 0, 0, 10, 10);
  TProbeWindow* focus = new TProbeWindow("focus", &log, 0, 0, 10, 10);
  layer->AdoptChild(panel);
  panel->AdoptChild(button);
  layer->AdoptChild(focus);
  layer->SetDefaultFocus(focus);
  log.clear();
  button->SendWindowMessage(new TMessage(TMessage::kButtonPress, "m1"));
  EXPECT_EQ(log, (std::vector<std::string>{"button msg m1", "panel msg m1", "layer msg m1", "focus msg m1"}));
  EXPECT_EQ(script.names, std::vector<std::string>{"m1"});

  log.clear();
  panel->consumeMessages = true;
  button->SendWindowMessage(new TMessage(TMessage::kButtonPress, "m2"));
  EXPECT_EQ(log, (std::vector<std::string>{"button msg m2", "panel msg m2"}));
  EXPECT_EQ(script.names.size(), 1u);
  manager.AttachWindowScript(nullptr);
}

TEST_F(WindowTest, Opaque_FullSizeOpaqueChildMakesItsLayerOpaque)
{
  TProbeLayer* layer = new TProbeLayer("layer", &log);
  manager.PushModal(layer);
  EXPECT_EQ(layer->GetWindowWidth(), 800);
  TWindow* cover = new TWindow;
  layer->AdoptChild(cover);
  cover->SetFlags(cover->GetFlags() | TWindow::kOpaque);
  EXPECT_FALSE(layer->GetFlags() & TWindow::kOpaque);
  cover->SetWindowSize(800, 600);
  EXPECT_TRUE(layer->GetFlags() & TWindow::kOpaque);
  cover->SetWindowSize(400, 600);
  EXPECT_FALSE(layer->GetFlags() & TWindow::kOpaque);
  // SetFlags compares with the layer's size.
  layer->SetWindowSize(400, 600);
  cover->SetFlags(cover->GetFlags());
  EXPECT_TRUE(layer->GetFlags() & TWindow::kOpaque);
  layer->OrphanChild(cover);
  EXPECT_FALSE(layer->GetFlags() & TWindow::kOpaque);
  delete cover;
}

TEST_F(WindowTest, Animation_RunsOnTheLayerClockAndPausesWhileCovered)
{
  TProbeLayer* layer = new TProbeLayer("layer", &log);
  manager.PushModal(layer);
  TProbeWindow* spinner = new TProbeWindow("spinner", &log, 0, 0, 10, 10);
  layer->AdoptChild(spinner);
  spinner->StartWindowAnimation(100, false, true, false);
  timer.Advance(60);
  TProbeLayer* cover = new TProbeLayer("cover", &log);
  manager.PushModal(cover);
  timer.Advance(5000);
  manager.PopModal("cover");
  layer->DoModalProcess(TTask::eEventLoop);
  EXPECT_EQ(spinner->animations, 0);
  timer.Advance(40);
  layer->DoModalProcess(TTask::eEventLoop);
  EXPECT_EQ(spinner->animations, 1);
}

TEST_F(WindowTest, Animation_OutsideEveryLayerIsRefused)
{
  TWindow loose;
  EXPECT_EQ(loose.GetWindowAnim(), nullptr);
  loose.StartWindowAnimation(10, true, true, false);
}

TEST_F(WindowTest, Animation_DestroyingEitherSideUnlinksTheOther)
{
  TProbeWindow* spinner = new TProbeWindow("spinner", &log, 0, 0, 10, 10);
  screen->AdoptChild(spinner);
  TWindowAnim* anim = spinner->GetWindowAnim();
  ASSERT_NE(anim, nullptr);
  EXPECT_EQ(anim->GetWindow(), spinner);
  screen->OrphanChild(spinner);
  delete spinner;
  EXPECT_EQ(anim->GetWindow(), nullptr);
  // The orphaned task ends at its next run.
  timer.Advance(1);
  anim->SetDelay(0, false, true, false);
  screen->DoModalProcess(TTask::eEventLoop);
  EXPECT_TRUE(screen->GetTaskList()->IsEmpty());
}

TEST_F(WindowTest, Delete_WhileStillListedLeavesNoDanglingChildOrLayer)
{
  TWindow* w = new TWindow;
  screen->AdoptChild(w);
  testing::internal::CaptureStderr();
  delete w;
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ERROR: "), std::string::npos);
  EXPECT_TRUE(screen->GetChildren().empty());

  TProbeLayer* layer = new TProbeLayer("layer", &log);
  manager.PushModal(layer);
  testing::internal::CaptureStderr();
  delete layer;
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ERROR: "), std::string::npos);
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
}

TEST_F(WindowTest, IdString_IsEightSpacePaddedHexDigits)
{
  TWindow w;
  const str id = w.GetIdString();
  EXPECT_EQ(id.length(), 8u);
  EXPECT_EQ(id, str::getFormatted("%8x", unsigned(w.GetId())));
  TWindow next;
  EXPECT_EQ(next.GetId(), w.GetId() + 1);
}

} // namespace
