// Tests of layered windows: children listed per layer, one layer shown at a time, and
// layer numbers outside the window's range ignored.
#include "core/window/layeredwindow.h"

#include <gtest/gtest.h>

#include "support/windowtestutil.h"

namespace {

class LayeredTest : public ::testing::Test
{
protected:
  TWindow* Add(int layer)
  {
    window.SetCurrentLayer(layer);
    TWindow* child = new TWindow;
    window.AdoptChild(child);
    return child;
  }
  TLayeredWindow window{3};
};

TEST_F(LayeredTest, SelectingALayerShowsOnlyItsChildren)
{
  TWindow* a = Add(0);
  TWindow* b = Add(1);
  TWindow* c = Add(2);
  EXPECT_EQ(window.GetCurrentLayer(), 2);
  EXPECT_TRUE(c->IsVisible());
  window.SetCurrentLayer(0);
  window.SetCurrentLayer(2);
  EXPECT_FALSE(a->IsVisible());
  EXPECT_FALSE(b->IsVisible());
  EXPECT_TRUE(c->IsVisible());
}

TEST_F(LayeredTest, AChildOfEveryLayerStaysVisible)
{
  TWindow* always = Add(-1);
  TWindow* only = Add(1);
  EXPECT_EQ(window.GetLayer(0).size(), 1u);
  EXPECT_EQ(window.GetLayer(2).front(), always);
  for (int layer : {0, 1, 2, -1}) {
    window.SetCurrentLayer(layer);
    EXPECT_TRUE(always->IsVisible()) << layer;
  }
  window.SetCurrentLayer(2);
  EXPECT_FALSE(only->IsVisible());
}

TEST_F(LayeredTest, OutOfRangeLayersAreIgnored)
{
  TWindow* b = Add(1);
  window.SetCurrentLayer(3);
  window.SetCurrentLayer(-2);
  window.SetCurrentLayer(1000000);
  EXPECT_EQ(window.GetCurrentLayer(), 1);
  EXPECT_TRUE(b->IsVisible());
}

TEST_F(LayeredTest, OrphaningRemovesTheChildFromEveryLayer)
{
  TWindow* always = Add(-1);
  window.OrphanChild(always);
  for (unsigned layer = 0; layer < window.GetLayerCount(); ++layer) {
    EXPECT_TRUE(window.GetLayer(layer).empty());
  }
  delete always;
}

} // namespace
