// windowscript_test: building windows from style tables, the message bridge to the dialog
// coroutine (queues, commands, waits, injection) and the window-script commands.
#include "core/window/windowscript.h"

#include "core/foundation/file.h"
#include "core/window/dialog.h"
#include "core/window/button.h"
#include "core/window/image.h"
#include "core/window/text.h"
#include "support/scripttestutil.h"

namespace {

using WindowScriptTest = ScriptWindowTest;

TEST_F(WindowScriptTest, Build_ParentsBeforeChildrenAndPostInitAfterThem)
{
  Run("MakeDialog{ Probe{ name = 'a', w = 100, h = 50, "
      "  Probe{ name = 'a1', w = 10, h = 12 }, function() seenW = gDialogWidth; seenH = gDialogHeight end, "
      "  Probe{ name = 'a2', w = 20, h = 20 } }, "
      "Probe{ name = 'b', w = 30, h = 30 } }");
  std::vector<std::string> expected = {"init a",  "init a1", "post a1", "init a2",
                                       "post a2", "post a",  "init b",  "post b"};
  EXPECT_EQ(TLogWindow::Log(), expected);
  TWindow* a = screen->GetChildWindow("a", 1);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(screen->GetChildWindow("a1", -1)->GetParent(), a);
  EXPECT_EQ(screen->GetChildWindow("a2", -1)->GetParent(), a);
  EXPECT_EQ(screen->GetChildWindow("b", -1)->GetParent(), screen);
  // A sibling's size, not the parent's.
  EXPECT_EQ(Global("seenW"), "10");
  EXPECT_EQ(Global("seenH"), "12");
  EXPECT_EQ(Global("gDialogWidth"), "30");
  Run("joined = gDialogWidth .. 'x' .. gDialogHeight");
  EXPECT_EQ(Global("joined"), "30x30");
  EXPECT_EQ(script.GetStackDepth(), 1u);
  EXPECT_EQ(script.GetBuildWindow(), screen);
}

TEST_F(WindowScriptTest, Build_PopWindowKeepsTheBottomAndGroupsMakeNoWindow)
{
  Run("PopWindow(); PopWindow()");
  EXPECT_EQ(script.GetBuildWindow(), screen);
  Run("MakeDialog{ Group{ Probe{ name = 'grouped' } } }");
  EXPECT_EQ(TLogWindow::Log(), (std::vector<std::string>{"init grouped", "post grouped"}));
  EXPECT_EQ(screen->GetName(), "_screen_");

  // A later registration of a name keeps one constructor and the later class.
  manager.AddWindowType("Probe", TTestText::ClassId());
  Run("MakeDialog{ Probe{ name = 'now text' } }");
  EXPECT_NE(TWindow::GetCast<TTestText>(screen->GetChildWindow("now text", -1)), nullptr);
}

TEST_F(WindowScriptTest, Build_AWindowNotMadeLeavesItsParentAlone)
{
  manager.AddWindowType("Ghost", 0);
  Run("MakeDialog{ Probe{ name = 'p', w = 100, h = 100, "
      "  Ghost{ name = 'ghost', Probe{ name = 'kid' } }, "
      "  Refuser{ name = 'refused' }, "
      "  Probe{ name = 'sibling' } } }");
  TWindow* parent = screen->GetChildWindow("p", 1);
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->GetName(), "p");
  EXPECT_EQ(screen->GetChildWindow("kid", -1)->GetParent(), parent);
  EXPECT_EQ(screen->GetChildWindow("sibling", -1)->GetParent(), parent);
  EXPECT_EQ(screen->GetChildWindow("refused", -1), nullptr);
  EXPECT_EQ(std::count(TLogWindow::Log().begin(), TLogWindow::Log().end(), "post p"), 1);
  EXPECT_EQ(script.GetWindowType("Unlisted"), 0);
}

TEST_F(WindowScriptTest, Messages_QueuedWhileNobodyWaitsComeOutNewestFirst)
{
  for (char const* name : {"m1", "m2", "m3"})
    script.OnMessage(new TMessage(TMessage::kGeneric, name), nullptr);
  Run("return function() a = WaitForMessage().name; b = WaitForMessage().name; c = WaitForMessage().name end");
  EXPECT_EQ(Global("a") + Global("b") + Global("c"), "m3m2m1");
}

TEST_F(WindowScriptTest, Messages_ACommandAloneArrivesAsCommandOnlyAndRunsFirst)
{
  Run("function cmd() ran = true; return 'answer' end");
  Run("return function() local m = WaitForMessage(); kind = m.type; name = m.name; ranFirst = ran end");
  ASSERT_TRUE(script.IsWaitingForMessage());
  lua_getglobal(L, "cmd");
  script.OnMessage(nullptr, new TLuaFunction(L));
  EXPECT_EQ(Global("kind"), "8");
  EXPECT_EQ(Global("name"), "");
  EXPECT_TRUE(Truth("ranFirst"));
  EXPECT_EQ(Global("gYieldResult"), "answer");
  EXPECT_FALSE(script.CoroutineActive());
}

TEST_F(WindowScriptTest, Messages_ALuaMessageComesBackAsTheSameValue)
{
  Run("return function() mine = CreateNamedMessage( kUserMessageBase + 1, 'mine' ); PostMessage( mine ); "
      "got = WaitForMessage(); same = got == mine; kind = got.type end");
  manager.DispatchMessages();
  EXPECT_TRUE(Truth("same"));
  EXPECT_EQ(Global("kind"), "1001");
}

TEST_F(WindowScriptTest, Messages_WaitsTimeOutOnTheTaskClock)
{
  Run("return function() first = WaitForMessage( 250 ); one = true; second = WaitForMessage(); two = true end");
  Tick(249);
  EXPECT_FALSE(Truth("one"));
  Tick(1);
  EXPECT_TRUE(Truth("one"));
  EXPECT_EQ(Global("first"), "");
  EXPECT_FALSE(Truth("two"));
  Tick(0);
  EXPECT_TRUE(Truth("two"));
}

TEST_F(WindowScriptTest, Messages_AMessageDuringAPlainYieldIsKeptNotLost)
{
  Run("return function() WaitForMessage(); Yield(); local m = WaitForMessage(); name = m.name end");
  script.OnMessage(new TMessage(TMessage::kGeneric, "first"), nullptr);
  EXPECT_TRUE(script.CoroutineActive());
  EXPECT_FALSE(script.IsWaitingForMessage());
  script.OnMessage(new TMessage(TMessage::kGeneric, "second"), nullptr);
  EXPECT_EQ(Global("name"), "");
  Tick(0);
  EXPECT_EQ(Global("name"), "second");
}

TEST_F(WindowScriptTest, Messages_CallsWhileADialogWaitsAreInjectedAndAnswer)
{
  Run("function twice( x ) return x * 2 end");
  Run("return function() while true do local m = WaitForMessage(); wakes = ( wakes or 0 ) + 1; "
      "if m == nil then nils = ( nils or 0 ) + 1 end end end");
  lua_getglobal(L, "twice");
  lua_pushnumber(L, 21);
  EXPECT_EQ(script.RunFunction(1, 1), 0);
  ASSERT_EQ(lua_gettop(L), 1);
  EXPECT_EQ(script.PopString(), "42");
  EXPECT_EQ(Global("wakes"), "1");
  EXPECT_EQ(Global("nils"), "1");
  EXPECT_TRUE(script.IsWaitingForMessage());

  script.DoLuaString("injected = 'yes'");
  EXPECT_EQ(Global("injected"), "yes");
  EXPECT_EQ(Global("wakes"), "2");
  EXPECT_EQ(lua_gettop(L), 0);

  // A close request resumes the wait without a message.
  TEvent close(TEvent::kClose, 0, 0, 0, 0);
  manager.HandleEvent(&close);
  EXPECT_EQ(Global("nils"), "3");
}

TEST_F(WindowScriptTest, Commands_HotKeysAreTaggedAndStripped)
{
  Run("a = TagHotKey( 'x', 'Exit', '' ); b = TagHotKey( 'q', 'Exit', '' ); c = TagHotKey( 'ctrl-E', 'exit', '' ); "
      "d = TagHotKey( '\xc3\xa9', 'Caf\xc3\xa9', '' ); e = TagHotKey( '', 'Exit', '' )");
  EXPECT_EQ(Global("a"), "E<u>x</u>it");
  EXPECT_EQ(Global("b"), "Exit");
  EXPECT_EQ(Global("c"), "<u>e</u>xit");
  EXPECT_EQ(Global("d"), "Caf<u>\xc3\xa9</u>");
  EXPECT_EQ(Global("e"), "Exit");

  Run("l1, k1 = StripKeyFromLabel( '&Options' ); l2, k2 = StripKeyFromLabel( 'Save' ); "
      "l3, k3 = StripKeyFromLabel( 'Caf&\xc3\xa9' ); l4, k4 = StripKeyFromLabel( 'End&' )");
  EXPECT_EQ(Global("l1") + "|" + Global("k1"), "Options|@O");
  EXPECT_EQ(Global("l2") + "|" + Global("k2"), "Save|");
  EXPECT_EQ(Global("l3") + "|" + Global("k3"), "Caf\xc3\xa9|");
  EXPECT_EQ(Global("l4") + "|" + Global("k4"), "End|");

  Run("id = PushModal( 'keys' ); RegisterHotkey( 'ctrl-s', 'save' )");
  EXPECT_EQ(manager.GetTopModalWindow()->GetHotkey("ctrl-S"), "save");
}

TEST_F(WindowScriptTest, Commands_LayersDepthAndIds)
{
  EXPECT_EQ(script.GetWindowDepth(), 1);
  Run("id = PushModal( 'layer' ); depth = GetWindowDepth(); close = CreateCloseMessage().name");
  TModalWindow* layer = manager.GetTopModalWindow();
  EXPECT_EQ(layer->GetName(), "layer");
  EXPECT_EQ(Global("id"), layer->GetIdString());
  EXPECT_EQ(Global("id").length(), 8u);
  EXPECT_EQ(Global("close"), layer->GetIdString());
  EXPECT_EQ(Global("depth"), "2");
  EXPECT_EQ(script.GetBuildWindow(), layer);
  Run("DoPopModal( id )");
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
  EXPECT_EQ(script.GetBuildWindow(), screen);
}

TEST_F(WindowScriptTest, Commands_LabelsTogglesAndEnabling)
{
  Run("MakeDialog{ Text{ name = 'title' }, Button{ name = 'ok', label = 'OK' }, Probe{ name = 'plain' } }");
  Run("SetLabel( 'title', 'Hello' ); t = GetLabel( 'title' ); b = GetLabel( 'ok' ); "
      "p = GetLabel( 'plain' ); n = GetLabel( 'none' )");
  EXPECT_EQ(Global("t"), "Hello");
  EXPECT_EQ(Global("b"), "OK");
  EXPECT_EQ(Global("p"), "plain_is_not_a_TText_window_or_TButton");
  EXPECT_EQ(Global("n"), "none_is_not_found");

  Run("SetButtonToggleState( 'ok', true ); on = GetButtonToggleState( 'ok' ); "
      "textOn = GetButtonToggleState( 'title' )");
  EXPECT_TRUE(Truth("on"));
  EXPECT_FALSE(Truth("textOn"));

  // Found through the layer beneath the top one.
  Run("PushModal( 'over' ); hid = EnableWindow( 'ok', false ); missing = EnableWindow( 'nothing', false )");
  TTestButton* ok = TWindow::GetCast<TTestButton>(screen->GetChildWindow("ok", -1));
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(Truth("hid"));
  EXPECT_FALSE(Truth("missing"));
  EXPECT_FALSE(ok->IsVisible());
  EXPECT_EQ(ok->leaves, 1);
  Run("EnableWindow( 'ok', true )");
  EXPECT_TRUE(ok->IsVisible());
}

TEST_F(WindowScriptTest, Commands_PositionsFocusImagesAndDestruction)
{
  Run("MakeDialog{ Probe{ name = 'box', w = 100, h = 40 }, Bitmap{ name = 'pic' }, Probe{ name = 'gone' } }");
  Run("SetPosition( 'box', kCenter, kMax - 50 )");
  TWindow* box = screen->GetChildWindow("box", -1);
  EXPECT_EQ(box->GetRect().left, 350);
  EXPECT_EQ(box->GetRect().top, 550);
  // The screen has no parent: the position is taken as given.
  Run("SetPosition( '_screen_', 0, 0 )");
  EXPECT_EQ(screen->GetRect().left, 0);

  Run("before = ImageLoaded( 'pic' ); SetBitmap( 'pic', 'images/a.png' ); after = ImageLoaded( 'pic' )");
  EXPECT_FALSE(Truth("before"));
  EXPECT_TRUE(Truth("after"));
  EXPECT_FLOAT_EQ(TWindow::GetCast<TTestImage>(screen->GetChildWindow("pic", -1))->scale, 1);

  Run("SetFocus( 'box' )");
  EXPECT_EQ(manager.GetFocus(), box);
  Run("DestroyWindow( 'gone' )");
  EXPECT_EQ(screen->GetChildWindow("gone", -1), nullptr);

  Run("PushModal( 'filled' ); MakeDialog{ Probe{ name = 'inside' } }; ClearModalChildren()");
  EXPECT_EQ(manager.GetTopModalWindow()->GetChildWindow("inside", -1), nullptr);
  EXPECT_EQ(manager.GetTopModalWindow()->GetWindowWidth(), 0);
}

TEST_F(WindowScriptTest, Commands_FillRectIsClampedToTheScreen)
{
  renderer.log.clear();
  Run("FillRect( { -5, 10, 900, 20 }, { 1, 0, 0, 1 } ); FillRect( { 30, 40 }, {} )");
  std::vector<std::string> expected = {"clip 0,10,800,20", "fill 0,10,800,20", "popclip",
                                       "clip 0,0,30,40",   "fill 0,0,30,40",   "popclip"};
  EXPECT_EQ(renderer.log, expected);
}

TEST_F(WindowScriptTest, Commands_StringsTimerConfigAndPlatformServices)
{
  timer.Set(5000);
  TPlatform::SetConfig("scriptflag", "1");
  Run("s = _GetString( '#Literal text', '', '', '', '', '' ); missing = GetString( 'NoTable' ); t = GetTimer(); "
      "c = GetConfig( 'absentkey', 'fallback' ); e = IsEnabled( 'scriptflag' ); clip = StringToClipboard( 'x' ); "
      "movie = StartMovie( 'intro.swf', false, false ); playing = IsMoviePlaying(); StopMovie()");
  EXPECT_EQ(Global("s"), "Literal text");
  EXPECT_EQ(Global("missing"), "#####");
  EXPECT_EQ(Global("t"), "5000");
  EXPECT_EQ(Global("c"), "fallback");
  EXPECT_TRUE(Truth("e"));
  EXPECT_FALSE(Truth("clip"));
  EXPECT_FALSE(Truth("movie"));
  EXPECT_FALSE(Truth("playing"));
  TPlatform::SetConfig("scriptflag", "0");
}

class TFakeMovie : public IMovieHost
{
public:
  static int alive;
  TFakeMovie() { ++alive; }
  ~TFakeMovie() override { --alive; }
  bool Start(bool, bool, bool) override { return true; }
  bool IsPlaying() override { return true; }
  void Stop() override {}
};
int TFakeMovie::alive = 0;

TEST_F(WindowScriptTest, Commands_MoviesGoThroughTheMovieHost)
{
  TWindowScript::SetMovieHostFactory([](const str& file) -> IMovieHost* { return new TFakeMovie; });
  Run("empty = StartMovie( '', false, false ); movie = StartMovie( 'intro.swf', true, false ); playing = "
      "IsMoviePlaying()");
  EXPECT_FALSE(Truth("empty"));
  EXPECT_TRUE(Truth("movie"));
  EXPECT_TRUE(Truth("playing"));
  EXPECT_EQ(TFakeMovie::alive, 1);
  manager.OnCloseRequested();
  EXPECT_EQ(TFakeMovie::alive, 0);
  Run("playing = IsMoviePlaying()");
  EXPECT_FALSE(Truth("playing"));
  TWindowScript::SetMovieHostFactory(nullptr);
}

TEST_F(WindowScriptTest, Dialogs_BodyAndTitleReachLuaAsValues)
{
  sandbox.WriteFile("assets/scripts/note.lua", "seenBody = gDialogTable.body; seenTitle = gDialogTable.title\n");
  TFile::ScanForResources();
  TDialog* dialog = manager.DisplayDialog("scripts/note.lua", "a ]] b; os = nil --[[", "T]]itle", "note");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Global("seenBody"), "a ]] b; os = nil --[[");
  EXPECT_EQ(Global("seenTitle"), "T]]itle");
  // Nobody waits yet: the wait for the dialog's close is kept for the next wait.
  Run("queued = #gCommandQueue");
  EXPECT_EQ(Global("queued"), "1");
  lua_getglobal(L, "gDialogFunction");
  EXPECT_TRUE(lua_isfunction(L, -1));
  lua_pop(L, 1);
}

TEST_F(WindowScriptTest, Types_OnlyIdentifiersBecomeConstructors)
{
  testing::internal::CaptureStderr();
  manager.AddWindowType("bad name(", TWindow::ClassId());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ERROR: window type name"), std::string::npos);
  EXPECT_EQ(script.GetWindowType("bad name("), 0);
  // The engine's own widgets, and the cross-sell window that the manager's attach added.
  TWindowScript fresh;
  EXPECT_EQ(fresh.GetWindowType("Text"), TText::ClassId());
  EXPECT_EQ(fresh.GetWindowType("Bitmap"), TImage::ClassId());
  EXPECT_EQ(fresh.GetWindowType("Button"), TButton::ClassId());
  EXPECT_EQ(fresh.GetWindowType("Window"), TWindow::ClassId());
  EXPECT_NE(script.GetWindowType("XSellWindow"), 0);
}

} // namespace

namespace {

TEST(WindowScriptPlatformTest, AttachingJoinsTheIdleTasksThatThenOwnTheScript)
{
  TFakeTimer timer(1000);
  TPlatform platform;
  TWindowManager manager;
  TWindowScript* script = new TWindowScript;
  manager.AttachWindowScript(script);
  ASSERT_TRUE(platform.GetTaskList()->Contains(script));
  script->DoLuaString("return function() WaitForMessage( 10 ); woke = true end");
  timer.Advance(10);
  platform.GetTaskList()->DoAll(TTask::eEventLoop);
  lua_getglobal(script->GetState(), "woke");
  EXPECT_TRUE(lua_toboolean(script->GetState(), -1));
  lua_pop(script->GetState(), 1);
  // Strings and the clipboard come from the platform.
  script->DoLuaString("s = GetString( 'NoSuchLabel' ); c = StringToClipboard( 'x' )");
  lua_getglobal(script->GetState(), "s");
  EXPECT_EQ(script->PopString(), "#####");
}

} // namespace
