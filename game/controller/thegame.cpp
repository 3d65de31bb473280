// thegame: the game controller's core: the singleton, the event queue of the state machine,
// the screens it owns and switches, input routing, scores and the configuration it reads.
#include "controller/thegame.h"
#include "scene/scenerenderer.h"

#include <algorithm>

#include "core/app/gamestate.h"
#include "core/foundation/file.h"
#include "core/foundation/prefsdb.h"
#include "core/foundation/xmlnode.h"
#include "core/script/luabind.h"
#include "screenbase/configuredscreen.h"
#include "story/gameround.h"
#include "story/venues.h"
#include "controller/mapscreen.h"
#include "controller/overlayscreen.h"
#include "screenbase/scenescreen.h"
#include "controller/gamewindow.h"
#include "controller/screenfactory.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "core/foundation/debug.h"
#include "media/musicmanager.h"
#include "scene/particlesmanager.h"

TTheGame* TTheGame::sInstance = nullptr;

namespace {

const char kRoundsConfig[] = "configs/rounds_config.xml";
const char kGameRules[] = "configs/game_rules.xml";
const char kMapConfig[] = "configs/map_config.xml";
// The current player's tutorials seen, comma-separated.
const char kTutorialsKey[] = "tutorials_shown";
const char* const kLuaNames[] = {"PostGameEvent", "HasSavedStory", "SetTimedPlay"};
// Events one post may lead to before the controller calls it a loop.
const int kMaxEventsPerPost = 64;
// How long past its own time a journal fade may take before the controller ends it.
const double kJournalFadeGrace = 1000;

void SetAnalytics(const char* name, int value)
{
  if (TGameState* state = TGameState::GetInstance()) {
    state->SetState(name, value);
  }
}

str AttributeOf(TXmlNode* parent, const char* child, const char* attribute)
{
  TXmlNode* node = parent ? parent->GetChild(child) : nullptr;
  return node ? node->GetAttribute(attribute) : str();
}

} // namespace

TTheGame* TTheGame::GetInstance()
{
  if (!sInstance) {
    sInstance = new TTheGame;
  }
  return sInstance;
}

TTheGame* TTheGame::Peek()
{
  return sInstance;
}

void TTheGame::DestroyInstance()
{
  delete sInstance;
  sInstance = nullptr;
}

TTheGame::TTheGame() : mFreePlay(this)
{
  // Set before anything below may reach GetInstance.
  sInstance = this;
  RegisterGameScreens();
  setStartScore();
  RegisterLua();
  TInfoWindow::SetScoreSource(this);
  TFlashManager::SetListener(this);
  // Particles aimed at "the target" fly to the map's chosen location.
  GParticlesManager::SetParticleTarget(mParticleTarget);
}

TTheGame::~TTheGame()
{
  if (mGameWindow) {
    mGameWindow->ForgetGame();
  }
  TInfoWindow::SetScoreSource(nullptr);
  TFlashManager::SetListener(nullptr);
  GParticlesManager::SetParticleTarget(nullptr);
  UnregisterLua();
  ReleaseAll();
}

void TTheGame::RegisterLua()
{
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "PostGameEvent", this, &TTheGame::PostEvent);
    LuaBind(L, "HasSavedStory", this, &TTheGame::HasSavedStory);
    LuaBind(L, "SetTimedPlay", this, &TTheGame::SetTimedPlay);
  }
}

void TTheGame::UnregisterLua()
{
  UnbindLuaFrom(this, kLuaNames, sizeof kLuaNames / sizeof kLuaNames[0]);
}

void TTheGame::Init()
{
  LoadRoundsConfig();
  LoadGameRules();
  PostEvent(evGameStarted);
}

bool TTheGame::LoadRoundsConfig()
{
  TXmlNode document;
  if (!document.ParseFile(kRoundsConfig)) {
    // Half a round would be played with whatever the cut left of it.
    WriteDbg("ERROR: %s cannot be read; the story has no rounds", kRoundsConfig);
    return false;
  }
  TXmlNode* rounds = document.GetChild("rounds");
  if (!rounds) {
    WriteDbg("ERROR: %s has no \"rounds\"", kRoundsConfig);
    return false;
  }
  str tag;
  TXmlNode* element = nullptr;
  rounds->ResetChildren();
  while (rounds->GetNextChild(&tag, &element)) {
    mRounds.emplace_back(new TGameRound(this));
    mRounds.back()->LoadFromXml(element);
  }
  return true;
}

void TTheGame::LoadGameRules()
{
  TXmlNode rulesDocument;
  rulesDocument.ParseFile(kGameRules);
  TXmlNode* rules = rulesDocument.GetChild("game_rules");
  if (!rules) {
    WriteDbg("ERROR: %s has no \"game_rules\"; the defaults hold", kGameRules);
  }
  auto number = [rules](const char* child, const char* attribute, unsigned fallback) {
    const str text = AttributeOf(rules, child, attribute);
    const int value = text.to_int();
    return text.empty() || value < 0 ? fallback : unsigned(value);
  };
  mObjectPoints = number("scores", "object_found", mObjectPoints);
  mPuzzlePoints = number("scores", "puzzle", mPuzzlePoints);
  mTimeBonusPoints = number("scores", "time_bonus", mTimeBonusPoints);
  const unsigned seconds = number("freeplay", "time", mFreePlayTime / 1000);
  mFreePlayTime = seconds > 86400 ? 86400000 : seconds * 1000;
  mEndCinema = AttributeOf(rules, "story", "end_cinema");
  mSceneFiles["title"] = AttributeOf(rules, "scenes", "title");
  mSceneFiles["tutorial"] = AttributeOf(rules, "scenes", "tutorial");
  CheckSceneNamed(kGameRules, "title");
  CheckSceneNamed(kGameRules, "tutorial");

  TXmlNode mapDocument;
  mapDocument.ParseFile(kMapConfig);
  TXmlNode* map = mapDocument.GetChild("map_config");
  if (!map) {
    WriteDbg("ERROR: %s has no \"map_config\"", kMapConfig);
  }
  mSceneFiles["map"] = AttributeOf(map, "map", "scene");
  mSceneFiles["freeplay_map"] = AttributeOf(map, "freeplay_map", "scene");
  CheckSceneNamed(kMapConfig, "map");
  CheckSceneNamed(kMapConfig, "freeplay_map");
}

void TTheGame::CheckSceneNamed(const char* config, const char* screen) const
{
  // The scene's own load names only the scene; a wrong name is the configuration's fault.
  const str& file = GetSceneFile(screen);
  if (!file.empty() && !TFile::Exists(file)) {
    WriteDbg("ERROR: %s names %s as the %s scene, which does not exist", config, file.c_str(), screen);
  }
}

const str& TTheGame::GetSceneFile(const str& screen) const
{
  static const str none;
  auto found = mSceneFiles.find(screen);
  return found == mSceneFiles.end() ? none : found->second;
}

// ---- The state machine -------------------------------------------------------------------

void TTheGame::PostEvent(int event)
{
  mPendingEvents.push_back(event);
  if (mInTransition) {
    return;
  }
  mInTransition = true;
  ++mDispatchDepth;
  int handled = 0;
  while (!mPendingEvents.empty()) {
    const int next = mPendingEvents.front();
    mPendingEvents.pop_front();
    if (++handled > kMaxEventsPerPost) {
      WriteDbg("ERROR: TTheGame - events keep posting each other; %u dropped", unsigned(mPendingEvents.size() + 1));
      mPendingEvents.clear();
      break;
    }
    RunEvent(next);
  }
  mInTransition = false;
  LeaveDispatch();
}

void TTheGame::RunEvent(int event)
{
  WriteDbg("TTheGame - PostEvent: %s", GetEventName(event).c_str());
  unsigned count = 0;
  const TTransition* rows = GetTransitions(&count);
  for (unsigned i = 0; i < count; ++i) {
    const TTransition& row = rows[i];
    if (row.state != mState || row.event != event) {
      continue;
    }
    WriteDbg("TTheGame - Changing state from %s to %s, event: %s", GetStateName(mState).c_str(),
             GetStateName(row.next).c_str(), GetEventName(event).c_str());
    mPreviousState = mState;
    mState = row.next;
    mLastEvent = event;
    if (row.action) {
      (this->*row.action)();
    }
    return;
  }
}

// ---- Screens ------------------------------------------------------------------------------

TSceneScreen* TTheGame::AddScreen(const str& className)
{
  TSceneScreen* screen = gScreenFactory.Create(className);
  if (screen) {
    screen->SetControl(this);
    mScreens.push_back(screen);
  }
  return screen;
}

TTheGame* ControllerOf(const TSceneScreen* screen)
{
  return screen ? dynamic_cast<TTheGame*>(screen->GetControl()) : nullptr;
}

bool TTheGame::OwnsScreen(const TSceneScreen* screen) const
{
  return screen && std::find(mScreens.begin(), mScreens.end(), screen) != mScreens.end();
}

void TTheGame::DeleteScreen(TSceneScreen* screen)
{
  if (!screen) {
    return;
  }
  auto owned = std::find(mScreens.begin(), mScreens.end(), screen);
  if (owned == mScreens.end()) {
    WriteDbg("ERROR: TTheGame - DeleteScreen of a screen it does not own");
    return;
  }
  mScreens.erase(owned);
  for (TSceneScreen** kept : {&mCurrentScreen, &mFadingScreen, &mJournal, &mTitle, &mLoading, &mTutorial}) {
    if (*kept == screen) {
      *kept = nullptr;
    }
  }
  if ((TSceneScreen*)mOverlay == screen) {
    mOverlay = nullptr;
  }
  if ((TSceneScreen*)mMap == screen) {
    mMap = nullptr;
  }
  if ((TSceneScreen*)mFreePlayMap == screen) {
    mFreePlayMap = nullptr;
  }
  if (!mJournal) {
    mJournalShown = false;
  }
  // A screen may be deleted from inside its own tick or input handler: it goes once the
  // controller's call that reached it returns.
  if (mDispatchDepth > 0) {
    mDeadScreens.push_back(screen);
  } else {
    delete screen;
  }
}

void TTheGame::LeaveDispatch()
{
  if (--mDispatchDepth > 0) {
    return;
  }
  std::vector<TSceneScreen*> dead;
  dead.swap(mDeadScreens);
  for (TSceneScreen* screen : dead) {
    delete screen;
  }
}

void TTheGame::SwitchToScreen(TSceneScreen* screen, unsigned ms)
{
  if (!screen) {
    return;
  }
  if (screen == mCurrentScreen) {
    if (!screen->IsActive()) {
      screen->Activate();
    }
    return;
  }
  if (mFadingScreen && mFadingScreen != screen) {
    mFadingScreen->Deactivate();
  }
  mFadingScreen = nullptr;
  TSceneScreen* old = mCurrentScreen;
  if (old) {
    if (ms) {
      old->StartFading(ms, false);
      mFadingScreen = old;
    } else {
      old->Deactivate();
    }
  }
  screen->Activate();
  // Shown at once, a screen ends any fade it was in: it may be the one still fading out.
  screen->StartFading(ms, true);
  mCurrentScreen = screen;
}

bool TTheGame::IsInputBlocked() const
{
  return (mCurrentScreen && mCurrentScreen->IsFading()) || mFadingScreen || mJournalFading;
}

void TTheGame::ReleaseAll()
{
  mFreePlay.DeleteScreens();
  // Cases give their screens back while the controller still exists.
  mRounds.clear();
  mCurrentRound = -1;
  std::vector<TSceneScreen*> screens;
  screens.swap(mScreens);
  mCurrentScreen = mFadingScreen = mJournal = mTitle = mLoading = mTutorial = nullptr;
  mOverlay = nullptr;
  mMap = mFreePlayMap = nullptr;
  mJournalShown = mJournalFading = false;
  for (TSceneScreen* screen : screens) {
    delete screen;
  }
  std::vector<TSceneScreen*> dead;
  dead.swap(mDeadScreens);
  for (TSceneScreen* screen : dead) {
    delete screen;
  }
  mPendingEvents.clear();
}

void TTheGame::FreeResources()
{
  SaveGame();
  ReleaseAll();
  mState = mPreviousState = stNone;
}

// ---- Ticks, drawing and input -------------------------------------------------------------

std::vector<TSceneScreen*> TTheGame::TickedScreens() const
{
  std::vector<TSceneScreen*> ticked;
  for (TSceneScreen* screen :
       {mFadingScreen, mCurrentScreen, mJournalShown ? mJournal : nullptr, (TSceneScreen*)mOverlay, mTutorial}) {
    if (screen && screen->IsActive() && std::find(ticked.begin(), ticked.end(), screen) == ticked.end()) {
      ticked.push_back(screen);
    }
  }
  return ticked;
}

bool TTheGame::IsAnimating() const
{
  if (IsInputBlocked()) {
    return true;
  }
  for (TSceneScreen* screen : TickedScreens()) {
    if (screen->IsAnimating()) {
      return true;
    }
  }
  return false;
}

void TTheGame::OnTick(double ms)
{
  ++mDispatchDepth;
  const std::vector<TSceneScreen*> ticked = TickedScreens();
  for (TSceneScreen* screen : ticked) {
    // An earlier screen's tick may have deleted it.
    if (OwnsScreen(screen)) {
      screen->OnTick(ms);
    }
  }
  if (mFadingScreen && !mFadingScreen->IsFading()) {
    mFadingScreen->Deactivate();
    mFadingScreen = nullptr;
  }
  RunRoundClock(ms);
  if (mJournalFading) {
    mJournalFadeLeft -= ms;
    if (mJournalFadeLeft <= 0) {
      WriteDbg("ERROR: The journal did not report the end of its fade; the game ends it");
      if (mJournalFadingIn) {
        JournalFadingInCompleted();
      } else {
        JournalFadingCompleted();
      }
    }
  }
  LeaveDispatch();
}

void TTheGame::Draw()
{
  Draw(*TSceneRenderer::Get());
}

void TTheGame::Draw(TSceneRenderer& renderer)
{
  ++mDispatchDepth;
  if (mFadingScreen) {
    mFadingScreen->Draw(renderer);
  }
  if (mCurrentScreen) {
    mCurrentScreen->Draw(renderer);
  }
  for (TSceneScreen* layer : {mJournalShown ? mJournal : nullptr, (TSceneScreen*)mOverlay, mTutorial}) {
    if (layer && layer->IsActive()) {
      layer->Draw(renderer);
    }
  }
  LeaveDispatch();
}

TSceneScreen* TTheGame::GetInputScreen() const
{
  if (IsInputBlocked()) {
    return nullptr;
  }
  if (mTutorial && mTutorial->IsActive()) {
    return mTutorial;
  }
  if (mOverlay && mOverlay->IsActive()) {
    return mOverlay;
  }
  if (mJournal && mJournalShown) {
    return mJournal;
  }
  return mCurrentScreen;
}

template <typename Handler>
bool TTheGame::RouteInput(Handler handler)
{
  if (IsInputBlocked()) {
    return true;
  }
  ++mDispatchDepth;
  bool used = false;
  if (mTutorial && mTutorial->IsActive() && handler(mTutorial)) {
    used = true;
  } else if (mOverlay && mOverlay->IsActive() && handler(mOverlay)) {
    used = true;
  } else if (mJournal && mJournalShown) {
    used = handler(mJournal);
  } else if (mCurrentScreen) {
    used = handler(mCurrentScreen);
  }
  LeaveDispatch();
  return used;
}

bool TTheGame::OnMouseDown(const TPoint& point)
{
  return RouteInput([&point](TSceneScreen* screen) { return screen->OnMouseDown(point); });
}

bool TTheGame::OnMouseUp(const TPoint& point)
{
  return RouteInput([&point](TSceneScreen* screen) { return screen->OnMouseUp(point); });
}

bool TTheGame::OnMouseMove(const TPoint& point)
{
  return RouteInput([&point](TSceneScreen* screen) { return screen->OnMouseMove(point); });
}

bool TTheGame::OnKeyDown(char key, unsigned modifiers)
{
  return RouteInput([key, modifiers](TSceneScreen* screen) { return screen->OnKeyDown(key, modifiers); });
}

// ---- Callbacks ----------------------------------------------------------------------------

void TTheGame::FlashMovieStooped()
{
  if (mState == stCinema) {
    SetAnalytics("ComicScreenTime", 0);
    PostEvent(evCinemaCompleted);
  } else if (mState == stTheEndCinema) {
    PostEvent(evBackToMainMenu);
  }
}

bool TTheGame::ShowOverlayDialog(const str& name, bool modal)
{
  if (!mOverlay) {
    return false;
  }
  mOverlay->ShowDialog(name, modal);
  return true;
}

bool TTheGame::ReloadOverlayScene(const str& file)
{
  if (!mOverlay) {
    return false;
  }
  mOverlay->ReloadMainScene(file);
  return true;
}

void TTheGame::ActivateMapLocation(const str& locationId)
{
  if (mMap) {
    mMap->ActivateLocation(locationId);
  }
}

GMusicManager* TTheGame::GetMusic()
{
  return GMusicManager::Instance();
}

void TTheGame::PlayMovie(const str& name)
{
  TFlashManager::GetInstance()->PlayMovie(name);
}

void TTheGame::OpenJournalLayer()
{
  if (!mJournal) {
    WriteDbg("ERROR: TTheGame - there is no journal to open");
    return;
  }
  mJournal->Activate();
  mJournalShown = true;
  mJournalFading = true;
  mJournalFadingIn = true;
  mJournalFadeLeft = kJournalFade + kJournalFadeGrace;
  mJournal->StartFading(kJournalFade, true);
}

void TTheGame::HideJournal()
{
  if (!mJournal || !mJournalShown) {
    return;
  }
  mJournalFading = true;
  mJournalFadingIn = false;
  mJournalFadeLeft = kJournalFade + kJournalFadeGrace;
  mJournal->StartFading(kJournalFade, false);
}

void TTheGame::JournalFadingCompleted()
{
  mJournalFading = false;
  WriteDbg("TTheGame - Journal closed");
  if (mJournal && mJournalShown) {
    mJournal->Deactivate();
  }
  mJournalShown = false;
}

void TTheGame::JournalFadingInCompleted()
{
  mJournalFading = false;
  WriteDbg("TTheGame - Journal open");
  // Each tip only while it tells the player what to do next.
  TCase* current = GetCurrentCase();
  const int state = current ? current->GetState() : TCase::kNotOpened;
  if (state == TCase::kIntroShown || state == TCase::kSearching) {
    ShowTutorial("journal_search_tutorial");
  }
  if (state == TCase::kSequenceStage) {
    ShowTutorial("identify_the_suspect_tutorial");
  }
}

void TTheGame::ShowTutorial(const str& name)
{
  if (WasTutorialShown(name)) {
    return;
  }
  MarkTutorialShown(name);
  WriteDbg("TTheGame - Tutorial: %s", name.c_str());
  if (ITutorialLayer* layer = dynamic_cast<ITutorialLayer*>(mTutorial)) {
    layer->ShowTutorial(name);
  }
}

TSettings* TTheGame::Settings()
{
  return TSettings::GetInstance();
}

TPrefsDB* TTheGame::PlayerPrefs(int* player) const
{
  TSettings* settings = Settings();
  *player = settings ? settings->GetCurrentUser() : TSettings::kGlobalUser;
  return settings && *player >= 0 ? settings->mPrefs : nullptr;
}

bool TTheGame::WasTutorialShown(const str& name)
{
  int player = TSettings::kGlobalUser;
  TPrefsDB* prefs = PlayerPrefs(&player);
  if (!prefs) {
    return mTutorialsShown.count(name) != 0;
  }
  const std::vector<str> seen = SplitNames(prefs->GetStr(kTutorialsKey, str(), player));
  return std::find(seen.begin(), seen.end(), name) != seen.end();
}

void TTheGame::MarkTutorialShown(const str& name)
{
  mTutorialsShown.insert(name);
  int player = TSettings::kGlobalUser;
  if (TPrefsDB* prefs = PlayerPrefs(&player)) {
    const str seen = prefs->GetStr(kTutorialsKey, str(), player);
    prefs->SetStr(kTutorialsKey, seen.empty() ? name : seen + "," + name, player, true);
  }
}

// ---- Scores and model ---------------------------------------------------------------------

void TTheGame::setStartScore()
{
  for (const char* category : tableScore) {
    mScores[category] = 0;
  }
}

uint32_t TTheGame::GetScore(const str& category)
{
  auto found = mScores.find(category);
  return found == mScores.end() ? 0 : found->second;
}

void TTheGame::SetScore(const str& category, uint32_t points)
{
  mScores[category] = points;
}

void TTheGame::AddScore(const str& category, uint32_t points)
{
  mScores[category] += points;
}

TGameRound* TTheGame::GetCurrentRound() const
{
  return mCurrentRound >= 0 && mCurrentRound < int(mRounds.size()) ? mRounds[mCurrentRound].get() : nullptr;
}

TCase* TTheGame::GetCurrentCase() const
{
  TGameRound* round = GetCurrentRound();
  return round ? round->getCurrentCase() : nullptr;
}

void TTheGame::ChooseLocation(const str& locationId)
{
  if (mGameMode == kControllerFreePlay) {
    if (!mFreePlay.GetLocations().count(locationId)) {
      WriteDbg("ERROR: Free play has no location %s", locationId.c_str());
      return;
    }
  } else {
    TGameRound* round = GetCurrentRound();
    if (!round || !round->getCase(locationId)) {
      WriteDbg("ERROR: The round has no case at %s", locationId.c_str());
      return;
    }
  }
  mChosenLocation = locationId;
  PostEvent(evLocationChosen);
}

int getCurrentCaseVenue()
{
  TTheGame* game = TTheGame::Peek();
  TCase* current = game ? game->GetCurrentCase() : nullptr;
  return current ? GetVenue(current->mLocationId) : 0;
}

int getCurrentCaseVenueType()
{
  TTheGame* game = TTheGame::Peek();
  TCase* current = game ? game->GetCurrentCase() : nullptr;
  return current ? GetVenueType(current->mLocationId) : 0;
}
