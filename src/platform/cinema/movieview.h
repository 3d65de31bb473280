// movieview: the web view a cinematic plays in (a page with the player movie laid over
// the game window); this system has no movie player, so its view reports none.
#pragma once

#include <string>

class IWebMovieView
{
public:
  virtual ~IWebMovieView() {}
  // False when no player can show movies; a host is then never ready.
  virtual bool IsAvailable() = 0;
  // Lays the view over the game window, blank.
  virtual void Show() = 0;
  // Takes the view away and loads the blank page.
  virtual void Hide() = 0;
  // Keeps the view over the game window while the application is active.
  virtual void Update() = 0;
  virtual void LoadHTML(const std::string& html) = 0;
  // The page's current address (location.href).
  virtual std::string Location() = 0;
};

// The view of this system: no player.
class TNoneView : public IWebMovieView
{
public:
  bool IsAvailable() override { return false; }
  void Show() override {}
  void Hide() override {}
  void Update() override {}
  void LoadHTML(const std::string&) override {}
  std::string Location() override { return std::string(); }
};

// The view every host uses (not owned); null restores the none view.
void SetMovieView(IWebMovieView* view);
IWebMovieView* GetMovieView();
