// flashmanager: plays the story's cinematics: opens the movie dialog through the window
// scripts, polls it every 250 ms, closes the dialogs down to the game's layer when the movie
// ends or is skipped, and tells its listener (the game controller).
#pragma once

#include "core/foundation/str.h"
#include "core/foundation/task.h"

class TFlashManager;
class TFlashWindow;

// Told when a movie has ended or was skipped: the game controller, whose story goes on.
class TMovieListener
{
public:
  virtual ~TMovieListener() {}
  virtual void FlashMovieStooped() = 0;
};

// The poll task; the platform's task list owns it. A task the manager no longer uses
// (a newer movie, or a stop) ends at its next run.
class TFlashTimer : public TAnimTask
{
public:
  explicit TFlashTimer(TFlashManager* manager) : mManager(manager) {}
  ~TFlashTimer() override;
  bool Animate() override;
  void Detach() { mManager = nullptr; }

private:
  TFlashManager* mManager;
};

class TFlashManager
{
public:
  static const unsigned kPollInterval = 250;
  static constexpr char kDialogFile[] = "scripts/flashwindow.lua";
  static constexpr char kDialogScript[] = "DoModal('scripts/flashwindow.lua');";
  static constexpr char kWindowName[] = "flashwindow";
  static constexpr char kGameLayerName[] = "maingamewindow";

  static TFlashManager* GetInstance();
  // The listener told of every movie's end (not owned); null tells no one.
  static void SetListener(TMovieListener* listener);

  void PlayMovie(const str& name);
  // One poll; false ends the timer task.
  bool OnTimer(TFlashTimer* timer);
  // Also the Lua function "StopFlashMovie".
  void StopMovie();
  // Ends the poll task and forgets the movie (the platform is going).
  void Shutdown();

  const str& GetMovieName() const { return mMovieName; }
  bool IsPending() const { return mPending; }
  // True from PlayMovie until the movie is stopped.
  bool IsActive() const { return mTimer != nullptr; }
  void OnTimerDeleted(TFlashTimer* timer);

private:
  TFlashManager();
  ~TFlashManager();
  TFlashManager(const TFlashManager&) = delete;
  TFlashManager& operator=(const TFlashManager&) = delete;

  void RegisterLua();
  void EndTimer();
  static TFlashWindow* FindFlashWindow();
  static bool CanOpenDialog();
  static bool IsWindowInStack();
  static void PopToGameLayer();
  void Skip(const char* reason);

  str mMovieName;
  bool mPending = false;
  TFlashTimer* mTimer = nullptr;
  int mMissingPolls = 0;
};
