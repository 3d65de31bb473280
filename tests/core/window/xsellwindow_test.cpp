// xsellwindow_test: the cross-sell window built from a dialog script: the list read from
// XML fixtures with 0, 3 and 8 games, the link markup, hidden slots, re-centring and links.
#include "core/window/xsellwindow.h"

#include "core/foundation/file.h"
#include "support/scripttestutil.h"

namespace {

class XSellWindowTest : public ScriptWindowTest
{
protected:
  void SetUp() override
  {
    ScriptWindowTest::SetUp();
    TXSellWindow::SetBrowserOpener([this](const str& url) { opened.push_back(url.c_str()); });
  }
  void TearDown() override { TXSellWindow::SetBrowserOpener(nullptr); }

  static std::string GameInfos(int count)
  {
    std::string games;
    for (int i = 1; i <= count; ++i) {
      std::string n = std::to_string(i);
      games += "<gameinfo description=\"Game " + n + "\" linktext=\"Get " + n + "\" link=\"http://g" + n + "\"/>";
    }
    return games;
  }

  // The dialog: texts and buttons 1 to 7, the site button and logos, the centre texts.
  TXSellWindow* Build(const std::string& file, char const* extra = "")
  {
    str script = str::getFormatted("MakeDialog{ XSellWindow{ name = 'xsell', w = 800, h = 600, %s", extra);
    for (int i = 1; i <= 7; ++i)
      script += str::getFormatted("Text{ name = 'descrip%d', w = 10, h = 10 }, "
                                  "Button{ name = 'xsellbutton%d', x = %d, y = 200, w = 100, h = 40 }, ",
                                  i, i, 100 * i);
    script += "Button{ name = 'gamesite', x = 20, y = 20, w = 10, h = 10 }, Probe{ name = 'sitelogo', x = 50, y = 60, "
              "w = 20, h = 10 }, "
              "Text{ name = 'centertext1' }, Text{ name = 'centertext2' } } }";
    if (!file.empty()) {
      sandbox.WriteFile("assets/xsell/xsell.xml", file);
      TFile::ScanForResources();
    }
    Run(script.c_str());
    return TWindow::GetCast<TXSellWindow>(screen->GetChildWindow("xsell", -1));
  }
  TTestText* Text(char const* name) { return TWindow::GetCast<TTestText>(screen->GetChildWindow(name, -1)); }
  TWindow* Find(char const* name) { return screen->GetChildWindow(name, -1); }

  std::vector<std::string> opened;
};

TEST_F(XSellWindowTest, ThreeGames_FillTheirSlotsAndHideTheRest)
{
  TXSellWindow* xsell = Build("<xsell>" + GameInfos(3) +
                              "<sitelink link=\"http://site\"/>"
                              "<centertext text1=\"One\" text2=\"Two\"/></xsell>");
  ASSERT_NE(xsell, nullptr);
  EXPECT_STREQ(xsell->GetTypeName(), "TXSellWindow");
  Run("SetupXSell()");
  EXPECT_EQ(Text("descrip1")->text, "Game 1 <u><font color=\"003cff\"><a id='xsellbutton1'>Get 1</a></font></u>");
  EXPECT_EQ(Text("descrip3")->text, "Game 3 <u><font color=\"003cff\"><a id='xsellbutton3'>Get 3</a></font></u>");
  for (int i = 1; i <= 3; ++i) {
    EXPECT_TRUE(Find(str::getFormatted("descrip%d", i).c_str())->IsVisible());
    EXPECT_TRUE(Find(str::getFormatted("xsellbutton%d", i).c_str())->IsVisible());
  }
  for (int i = 4; i <= 7; ++i) {
    EXPECT_FALSE(Find(str::getFormatted("descrip%d", i).c_str())->IsVisible()) << i;
    EXPECT_FALSE(Find(str::getFormatted("xsellbutton%d", i).c_str())->IsVisible()) << i;
  }
  EXPECT_TRUE(Find("gamesite")->IsVisible());
  EXPECT_EQ(Text("centertext1")->text, "One");
  EXPECT_EQ(Text("centertext2")->text, "Two");

  Run("LaunchGameLink( 2 ); LaunchGameLink( 0 ); LaunchGameLink( 9 )");
  EXPECT_EQ(opened, (std::vector<std::string>{"http://g2", "http://site"}));
}

TEST_F(XSellWindowTest, Buttons_AreCentredOnTheirPlacesOnce)
{
  Build("<xsell>" + GameInfos(3) + "</xsell>");
  Run("SetupXSell()");
  TRect place = Find("xsellbutton3")->GetRect();
  EXPECT_EQ(place.left, 250);
  EXPECT_EQ(place.top, 180);
  EXPECT_EQ(Find("sitelogo")->GetRect().left, 40);
  EXPECT_EQ(Find("sitelogo")->GetRect().top, 55);
  Run("SetupXSell()");
  EXPECT_EQ(Find("xsellbutton3")->GetRect().left, 250);
}

TEST_F(XSellWindowTest, NoGames_HidesEverySlotAndTheSiteWithoutSitelink)
{
  Build("<xsell></xsell>");
  Run("SetupXSell()");
  for (int i = 1; i <= 7; ++i)
    EXPECT_FALSE(Find(str::getFormatted("descrip%d", i).c_str())->IsVisible());
  EXPECT_FALSE(Find("gamesite")->IsVisible());
  Run("LaunchGameLink( 0 )");
  EXPECT_EQ(opened, std::vector<std::string>{""});
}

TEST_F(XSellWindowTest, EightGames_FillSevenLinksAndShowAllSlots)
{
  Build("<xsell>" + GameInfos(8) + "<other/><sitelink link=\"s\"/></xsell>");
  Run("SetupXSell()");
  for (int i = 1; i <= 7; ++i)
    EXPECT_TRUE(Find(str::getFormatted("descrip%d", i).c_str())->IsVisible());
  Run("LaunchGameLink( 7 )");
  EXPECT_EQ(opened, std::vector<std::string>{"http://g7"});
}

TEST_F(XSellWindowTest, MissingFileOrPlainEntries)
{
  TXSellWindow* xsell = Build("");
  Run("SetupXSell()");
  EXPECT_FALSE(Find("descrip1")->IsVisible());
  // The site button stays: without the list nothing is known about the site.
  EXPECT_TRUE(Find("gamesite")->IsVisible());
  EXPECT_EQ(xsell->GetConfigFile(), DEFAULT_XSELL_CONFIG);

  sandbox.WriteFile("assets/other.xml", "<xsell><gameinfo description=\"Plain\" link=\"L\"/></xsell>");
  TFile::ScanForResources();
  Run("MakeDialog{ XSellWindow{ name = 'second', config = 'other.xml', autoexpand = true, "
      "Text{ name = 'descrip1' } } }; SetupXSell()");
  TXSellWindow* second = TWindow::GetCast<TXSellWindow>(Find("second"));
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->GetAutoExpand());
  // The later window took the names over.
  EXPECT_EQ(TWindow::GetCast<TTestText>(second->GetChildWindow("descrip1", -1))->text, "Plain");
  EXPECT_EQ(second->GetGameLink(1), "L");
}

TEST_F(XSellWindowTest, ADestroyedWindowTakesItsLuaNamesBack)
{
  Build("<xsell>" + GameInfos(1) + "</xsell>");
  Run("DestroyWindow( 'xsell' )");
  Tick();
  Run("gone = SetupXSell == nil and LaunchGameLink == nil");
  EXPECT_TRUE(Truth("gone"));
}

} // namespace
