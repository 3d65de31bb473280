// movieview: which web view the cinematic host plays in; by default the none view, as
// there is no movie player on this system.
#include "platform/cinema/movieview.h"

namespace {

TNoneView gNoneView;
IWebMovieView* gMovieView = nullptr;

} // namespace

void SetMovieView(IWebMovieView* view)
{
  gMovieView = view;
}

IWebMovieView* GetMovieView()
{
  return gMovieView ? gMovieView : &gNoneView;
}
