// xsellwindow: the cross-sell window: fills a dialog's description texts and buttons
// from "xsell/xsell.xml" and opens the games' links; reached from Lua as "SetupXSell" and "LaunchGameLink".
#pragma once

#include <functional>

#include "core/window/window.h"

extern const char DEFAULT_XSELL_CONFIG[];

class TXSellWindow : public TWindow
{
public:
  static constexpr int kGameCount = 7;

  // Binds "SetupXSell" and "LaunchGameLink" in the window script to this window.
  TXSellWindow();
  // Takes the two names back when they still point at this window.
  ~TXSellWindow() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TXSellWindow"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  // "config" (default "xsell/xsell.xml") and "autoexpand".
  void Init(TWindowStyle& style) override;

  void SetupXSell();
  // 0 opens the site link, 1 to 7 a game's link.
  void LaunchGameLink(int index);

  const str& GetGameLink(int index) const;
  const str& GetSiteLink() const { return mSiteLink; }
  const str& GetConfigFile() const { return mConfigFile; }
  bool GetAutoExpand() const { return mAutoExpand; }

  // How links are opened; without one, the platform's browser launcher.
  static void SetBrowserOpener(std::function<void(const str& url)> opener);

private:
  str mGameLinks[kGameCount];
  str mSiteLink;
  str mConfigFile;
  bool mAutoExpand = false;
  // The buttons and logos are centred on their places once, however often the list is filled.
  bool mCentred = false;
};

TWindow* TXSellWindowDynamicCreate();
