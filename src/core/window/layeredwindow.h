// layeredwindow: a window whose children belong to numbered layers, one layer shown at a
// time (or all of them); buttons build their state graphics on it.
#pragma once

#include <list>
#include <vector>

#include "core/window/window.h"

class TLayeredWindow : public TWindow
{
public:
  explicit TLayeredWindow(unsigned count);

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TLayeredWindow"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  bool AdoptChild(TWindow* child, bool init = true) override;
  void OrphanChild(TWindow* child) override;

  // -1 shows every layer; an index outside -1..count-1 is ignored.
  void SetCurrentLayer(int layer);
  int GetCurrentLayer() const { return mCurrentLayer; }
  unsigned GetLayerCount() const { return unsigned(mLayers.size()); }
  const std::list<TWindow*>& GetLayer(unsigned layer) const { return mLayers[layer]; }

private:
  int mCurrentLayer = 0;
  std::vector<std::list<TWindow*>> mLayers;
};
