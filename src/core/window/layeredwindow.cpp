// layeredwindow: a window whose children belong to numbered layers, one layer shown at a
// time (or all of them); buttons build their state graphics on it.
#include "core/window/layeredwindow.h"

#include "core/window/windowmanager.h"

TLayeredWindow::TLayeredWindow(unsigned count) : mLayers(count) {}

intptr_t TLayeredWindow::ClassId()
{
  return reinterpret_cast<intptr_t>(&TLayeredWindow::ClassId);
}

bool TLayeredWindow::AdoptChild(TWindow* child, bool init)
{
  if (!TWindow::AdoptChild(child, init)) {
    return false;
  }
  auto addTo = [child](std::list<TWindow*>& layer) {
    layer.remove(child);
    layer.push_front(child);
  };
  if (mCurrentLayer == -1) {
    for (std::list<TWindow*>& layer : mLayers) {
      addTo(layer);
    }
  } else if (mCurrentLayer >= 0 && unsigned(mCurrentLayer) < mLayers.size()) {
    addTo(mLayers[unsigned(mCurrentLayer)]);
  }
  return true;
}

void TLayeredWindow::OrphanChild(TWindow* child)
{
  TWindow::OrphanChild(child);
  for (std::list<TWindow*>& layer : mLayers) {
    layer.remove(child);
  }
}

void TLayeredWindow::SetCurrentLayer(int layer)
{
  // Scripts reach this with any number; the lists exist for 0..count-1 only.
  if (layer < -1 || (layer >= 0 && unsigned(layer) >= mLayers.size())) {
    return;
  }
  if (layer == mCurrentLayer) {
    return;
  }
  mCurrentLayer = layer;
  TWindowClearFlags hide(~unsigned(kVisible), false);
  ForEachChild(&hide);
  const unsigned shown = layer == -1 ? 0u : unsigned(layer);
  if (shown < mLayers.size()) {
    for (TWindow* child : mLayers[shown]) {
      child->SetFlags(child->GetFlags() | kVisible);
    }
  }
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->InvalidateScreen();
  }
}
