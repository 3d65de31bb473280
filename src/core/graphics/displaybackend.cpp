// displaybackend: what the renderer and the textures need of the drawing back end (frames,
// viewports, draw state, vertex drawing, fills, render targets, texture data).
#include "core/graphics/displaybackend.h"

#include "core/graphics/nulldisplaybackend.h"

namespace {

TDisplayBackend::TFactory gFactory = nullptr;

} // namespace

void TDisplayBackend::SetFactory(TFactory factory)
{
  gFactory = factory;
}

TDisplayBackend::TFactory TDisplayBackend::GetFactory()
{
  return gFactory;
}

TDisplayBackend* TDisplayBackend::Create()
{
  TDisplayBackend* backend = gFactory ? gFactory() : nullptr;
  return backend ? backend : new TNullDisplayBackend();
}
