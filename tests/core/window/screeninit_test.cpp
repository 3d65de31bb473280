// screeninit_test: the embedded window-script library: constants and helpers, the modal
// dialog run by DoModal with its buttons clicked through events, waits, pauses and splashes.
#include "core/window/screeninit.h"

#include <algorithm>
#include <string>

#include "core/foundation/file.h"
#include "support/scripttestutil.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

using ScreenInitTest = ScriptWindowTest;

TEST_F(ScreenInitTest, Library_ConstantsAndHelpers)
{
  // Numbers reach text through tostring, which writes them as the scripts expect.
  Run("function join( t ) local s = ''; for i = 1, 4 do s = s .. tostring( t[ i ] ) .. ',' end; return s end; "
      "c = Color( 255, 0, 0 ); f = FColor( 0.5, 0.5, 0.5 ); ca = Color( 0, 0, 0, 51 ); "
      "text = join( c ) .. ';' .. join( f ) .. ';' .. tostring( ca[ 4 ] )");
  EXPECT_EQ(Global("text"), "1,0,0,1,;0.5,0.5,0.5,1,;0.2");
  Run("consts = kCenter .. ',' .. kMax .. ',' .. kDefault .. ',' .. kPushButtonAlignment .. ',' .. "
      "kRadioButtonAlignment .. ',' .. kModalClosed .. ',' .. kSliderPageDown .. ',' .. kUserMessageBase .. ',' .. "
      "kMute .. ',' .. kHiscoreAnonymous .. ',' .. gCurID");
  EXPECT_EQ(Global("consts"), "80000,160000,128,5,4,6,12,1000,mute,hiscoreanon,100");

  Run("gDialogWidth = 400; gDialogHeight = 90; x = DistributeX( 3 ); y = DistributeY( 2 ); "
      "xs = tostring( x[ 1 ] ) .. ',' .. tostring( x[ 2 ] ) .. ',' .. tostring( x[ 3 ] ) .. ';' .. "
      "tostring( d[ 3 ] ) .. ';' .. tostring( divisor ) .. ';' .. tostring( y[ 1 ] ) .. ',' .. tostring( y[ 2 ] )");
  EXPECT_EQ(Global("xs"), "100,200,300;300;4;30,60");

  Run("function _SetState( k, v ) got = k .. '=' .. v end; SetState( kMute, true ); a = got; "
      "SetState( 'score', 10 / 2 ); b = got; SetState( kPause, false ); c = got");
  EXPECT_EQ(Global("a"), "mute=1");
  EXPECT_EQ(Global("b"), "score=5");
  EXPECT_EQ(Global("c"), "pause=0");

  Run("function DebugOut( t ) said = t end; r = DisplayDialog( { '' } )");
  EXPECT_EQ(Global("said"), "DisplayDialog called with empty script; aborting");
}

TEST_F(ScreenInitTest, Library_DefinesEveryFunctionScriptsUse)
{
  Run("missing = ''; for _, name in ipairs{ 'Color', 'FColor', 'Push', 'Pop', 'DoWindow', 'DoDialogCommand', "
      "'MakeDialog', 'Creating', 'SetBeginGroup', 'BeginGroup', 'GetTag', 'SetDefaultStyle', 'SetStyle', "
      "'AppendStyle', 'SetFocus', 'SetDefault', 'DistributeX', 'DistributeY', 'WaitForCloseMessage', 'DoModal', "
      "'DoMainWindow', 'ModalReturn', 'DisplaySplash', 'FlushMessages', 'WaitForMessage', 'Yield', 'ReadFile', "
      "'CloseWindow', 'CustomCreator', 'GetString', 'SetBitmap', 'PopModal', 'SwapToModal', 'DisplayDialog', "
      "'SelectLayer', 'Group', 'FitToChildren', 'Pause', 'SetState', 'RegisterHotkey' } do "
      "if type( _G[ name ] ) ~= 'function' then missing = missing .. name .. ' ' end end");
  EXPECT_EQ(Global("missing"), "");
  Run("tables = type( idtable ) .. type( gParent ) .. type( gCurrentDefaultStyle ) .. type( gClosedWindows ) .. "
      "type( gCommandQueue ) .. type( gMessageQueue ) .. type( gDialogTable ) .. tostring( gBeginGroup )");
  EXPECT_EQ(Global("tables"), "tabletabletabletabletabletabletable0");

  // BeginGroup marks the next window built, and only that one.
  Run("first = { name = 'first' }; second = { name = 'second' }; "
      "MakeDialog{ BeginGroup(), Probe( first ), Probe( second ) }; marks = first.beginGroup .. second.beginGroup");
  EXPECT_EQ(Global("marks"), "10");
}

TEST_F(ScreenInitTest, DoMainWindow_RunsUntilItsLayerIsGone)
{
  sandbox.WriteFile("assets/scripts/main.lua", "MakeDialog{ Probe{ name = 'menu', w = 50, h = 50 } }\n");
  TFile::ScanForResources();
  Run("return function() DoMainWindow( 'scripts/main.lua' ); ended = true end");
  ASSERT_NE(manager.GetTopModalWindow(), screen);
  EXPECT_NE(manager.GetTopModalWindow()->GetChildWindow("menu", -1), nullptr);
  for (int i = 0; i < 5; ++i)
    Tick();
  EXPECT_FALSE(Truth("ended"));
  manager.PopModal("scripts/main.lua");
  for (int i = 0; i < 3 && !Truth("ended"); ++i)
    Tick();
  EXPECT_TRUE(Truth("ended"));
}

TEST_F(ScreenInitTest, Library_StylesFollowParentsAndSurviveCycles)
{
  Run("base = { font = 'serif' }; own = { size = 3 }; AppendStyle( base )(); AppendStyle( own )(); "
      "a = GetTag( {}, 'font' ); b = GetTag( { font = 'mine' }, 'font' ); "
      "AppendStyle( own )(); c = GetTag( {}, 'missing' ); d = GetTag( {}, 'size' )");
  EXPECT_EQ(Global("a"), "serif");
  EXPECT_EQ(Global("b"), "mine");
  EXPECT_EQ(Global("c"), ""); // own.parent is own now: the lookup ends
  EXPECT_EQ(Global("d"), "3");

  // Style changes last until the end of the table that made them.
  Run("SetDefaultStyle( {} ); MakeDialog{ SetStyle( { tag = 1 } ), function() inside = GetTag( {}, 'tag' ) end }; "
      "outside = GetTag( {}, 'tag' )");
  EXPECT_EQ(Global("inside"), "1");
  EXPECT_EQ(Global("outside"), "");
}

TEST_F(ScreenInitTest, DoModal_ButtonsClickedThroughEventsDeliverTheReturnValue)
{
  sandbox.WriteFile("assets/scripts/test_dialog.lua",
                    "MakeDialog{ Probe{ name = 'body', x = 100, y = 100, w = 300, h = 200, "
                    "  Button{ name = 'ok', x = 10, y = 10, w = 80, h = 30 }, "
                    "  Button{ name = 'cancel', x = 110, y = 10, w = 80, h = 30 } } }\n"
                    "SetCommand( 'ok', function() CloseWindow( 'pressed ok' ) end )\n"
                    "SetCommand( 'cancel', function() CloseWindow( 'pressed cancel' ) end )\n");
  TFile::ScanForResources();
  Run("return function() result = DoModal( 'scripts/test_dialog.lua' ); afterReturn = gReturnValue; done = true end");
  ASSERT_TRUE(script.CoroutineActive());
  TModalWindow* dialog = manager.GetTopModalWindow();
  ASSERT_NE(dialog, screen);
  EXPECT_EQ(dialog->GetName(), "scripts/test_dialog.lua");

  TWindow* ok = dialog->GetChildWindow("ok", -1);
  ASSERT_NE(ok, nullptr);
  Click(ok);
  for (int i = 0; i < 5 && !Truth("done"); ++i)
    Tick();
  EXPECT_TRUE(Truth("done"));
  EXPECT_EQ(Global("result"), "pressed ok");
  EXPECT_EQ(Global("afterReturn"), "");
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
  EXPECT_FALSE(script.CoroutineActive());
}

TEST_F(ScreenInitTest, RunHandler_AHandlerOutOfMemoryWithoutEndOrCatchingItsStopIsReportedOnceAndTheWaitGoesOn)
{
  sandbox.WriteFile("assets/scripts/handlers.lua",
                    "function Greedy()\n  big = string.rep( 'x', 300 * 1024 * 1024 )\nend\n"
                    "function Endless()\n  while true do end\nend\n"
                    "function Catching()\n  while true do pcall( Endless ) end\nend\n");
  TFile::ScanForResources();
  ASSERT_TRUE(script.RunScript("scripts/handlers.lua"));
  Run("return function() while true do WaitForMessage(); waits = ( waits or 0 ) + 1 end end");
  ASSERT_TRUE(script.CoroutineActive());
  // The last catches its stop and loops again: it is stopped all the same, once.
  for (const char* handler : {"Greedy", "Endless", "Catching"}) {
    TScript::StartRunBudget();
    lua_getglobal(L, handler);
    CaptureStderr();
    manager.OnScriptMessage(nullptr, new TLuaFunction(L));
    const std::string log = GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(log.rfind(std::string("ERROR: scripts/handlers.lua:") +
                            (handler[0] == 'G' ? "1: not enough memory" : "5: stopped: "),
                        0),
              0u)
        << log;
    EXPECT_TRUE(script.CoroutineActive()) << handler;
  }
  Tick();
  EXPECT_GE(std::stoi(Global("waits").c_str()), 4);
}

TEST_F(ScreenInitTest, DoModal_AnEmptyOrCutDialogScriptFailsLikeAFailingOne)
{
  // Empty, and cut short after its definitions: both run without an error and build nothing.
  sandbox.WriteFile("assets/scripts/empty.lua", "");
  sandbox.WriteFile("assets/scripts/cut.lua", "local function Accept() CloseWindow() end\n");
  TFile::ScanForResources();
  for (const char* name : {"scripts/empty.lua", "scripts/cut.lua"}) {
    str failure;
    script.SetFailureHook([&failure](const str& message) { failure = message; });
    testing::internal::CaptureStderr();
    Run((std::string("return function() DoModal( '") + name + "' ); done = true end").c_str());
    const std::string log = testing::internal::GetCapturedStderr();
    const std::string expected = std::string(name) + " built no window: the script is empty or cut short";
    EXPECT_NE(std::string::npos, std::string(failure.c_str()).find(expected)) << failure.c_str();
    EXPECT_NE(std::string::npos, log.find(expected)) << log;
    EXPECT_EQ(0u, log.find("ERROR: ")) << log;
    EXPECT_FALSE(Truth("done")) << name;
    EXPECT_FALSE(script.CoroutineActive()) << name;
    // Its empty layer is gone with it.
    EXPECT_EQ(manager.GetTopModalWindow(), screen) << name;
  }
}

TEST_F(ScreenInitTest, DoModal_WithoutAButtonPressTheDialogKeepsWaiting)
{
  sandbox.WriteFile("assets/scripts/wait.lua", "MakeDialog{ Button{ name = 'go', w = 10, h = 10 } }\n");
  TFile::ScanForResources();
  Run("return function() result = DoModal( 'scripts/wait.lua' ); done = true end");
  for (int i = 0; i < 20; ++i)
    Tick(16);
  EXPECT_FALSE(Truth("done"));
  EXPECT_TRUE(script.CoroutineActive());
  // Closing from native code ends the wait with no value.
  manager.PopModal("scripts/wait.lua");
  for (int i = 0; i < 5 && !Truth("done"); ++i)
    Tick();
  EXPECT_TRUE(Truth("done"));
  EXPECT_EQ(Global("result"), "");
}

TEST_F(ScreenInitTest, WaitForCloseMessage_RemembersADialogThatClosedEarly)
{
  Run("return function() WaitForCloseMessage( 'A' ); aDone = true; earlyB = gClosedWindows.B; "
      "WaitForCloseMessage( 'B' ); bDone = true end");
  script.OnMessage(new TMessage(TMessage::kModalClosed, "B"), nullptr);
  EXPECT_FALSE(Truth("aDone"));
  script.OnMessage(new TMessage(TMessage::kModalClosed, "A"), nullptr);
  EXPECT_TRUE(Truth("aDone"));
  EXPECT_TRUE(Truth("earlyB"));
  Tick(0);
  EXPECT_TRUE(Truth("bDone"));
  Run("left = gClosedWindows.B");
  EXPECT_EQ(Global("left"), "");
}

TEST_F(ScreenInitTest, Pause_EndsOnAKeyAndKeepsOtherMessages)
{
  Run("return function() Pause( 500, true ); paused = true; "
      "first = WaitForMessage().name; second = WaitForMessage().name end");
  Tick(100);
  script.OnMessage(new TMessage(TMessage::kGeneric, "early"), nullptr);
  script.OnMessage(new TMessage(TMessage::kGeneric, "later"), nullptr);
  EXPECT_FALSE(Truth("paused"));
  script.OnMessage(new TMessage(TMessage::kPressAnyKey, "key"), nullptr);
  EXPECT_TRUE(Truth("paused"));
  EXPECT_EQ(Global("first"), "later");
  EXPECT_EQ(Global("second"), "early");
}

TEST_F(ScreenInitTest, Pause_RunsOutOnTheClock)
{
  Run("return function() Pause( 200 ); paused = true end");
  Tick(150);
  EXPECT_FALSE(Truth("paused"));
  Tick(50);
  Tick(0);
  EXPECT_TRUE(Truth("paused"));
}

TEST_F(ScreenInitTest, DisplaySplash_WithoutMovieOrPictureReturnsAtOnce)
{
  Run("return function() DisplaySplash( nil, nil, 1000 ); depth = GetWindowDepth(); splashed = true end");
  EXPECT_TRUE(Truth("splashed"));
  EXPECT_EQ(Global("depth"), "1");
  EXPECT_FALSE(Truth("inMovie"));
  Tick();
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
}

TEST_F(ScreenInitTest, DisplaySplash_ShowsThePictureUntilItsTimeRunsOut)
{
  Run("return function() DisplaySplash( 'intro.swf', 'images/splash.png', 300 ); splashed = true end");
  TModalWindow* splash = manager.GetTopModalWindow();
  ASSERT_EQ(splash->GetName(), "DisplaySplash");
  TTestImage* picture = TWindow::GetCast<TTestImage>(splash->GetChildWindow("splashimage", -1));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->image, "images/splash.png");
  for (int i = 0; i < 30 && !Truth("splashed"); ++i)
    Tick(16);
  EXPECT_TRUE(Truth("splashed"));
  Tick();
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
}

TEST_F(ScreenInitTest, FlushMessages_EmptiesBothQueues)
{
  script.OnMessage(new TMessage(TMessage::kGeneric, "stale"), nullptr);
  Run("return function() FlushMessages(); flushed = #gMessageQueue + #gCommandQueue end");
  for (int i = 0; i < 3; ++i)
    Tick();
  EXPECT_EQ(Global("flushed"), "0");
}

} // namespace
