// flashwindow: the movie window: takes the focus of its layer, starts the cinematic host for
// the flash manager's movie and, when it plays, switches to the comic music.
#include "shell/flashwindow.h"

#include "core/window/modalwindow.h"
#include "shell/flashmanager.h"
#include "media/musicmanager.h"
#include "core/foundation/services.h"
#include "core/window/windowscript.h"

TWindow* TFlashWindowDynamicCreate()
{
  return new TFlashWindow;
}

intptr_t TFlashWindow::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TFlashWindowDynamicCreate);
  return id;
}

TFlashWindow::~TFlashWindow()
{
  StopMovie();
}

void TFlashWindow::Init(TWindowStyle& style)
{
  TWindow::Init(style);
  if (TModalWindow* layer = FindParentModal()) {
    layer->SetDefaultFocus(this);
  }
}

void TFlashWindow::PostChildrenInit(TWindowStyle& style)
{
  TWindow::PostChildrenInit(style);
  StopMovie();
  IMoviePlayer* movies = TServices::Get().movies;
  mHost = movies ? movies->NewMovieHost(TFlashManager::GetInstance()->GetMovieName()) : nullptr;
  // The comic music goes with a movie that plays; a movie nothing can show leaves the music
  // as it is, for the next screen to cross-fade from.
  if (mHost && mHost->Start(false, true, true)) {
    GMusicManager* music = GMusicManager::Instance();
    music->StopMusic();
    music->PlayMusic(kMusic, false, true, "");
  }
}

void TFlashWindow::StopMovie()
{
  if (mHost) {
    mHost->Stop();
    delete mHost;
    mHost = nullptr;
  }
}
