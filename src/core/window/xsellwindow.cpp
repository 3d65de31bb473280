// xsellwindow: reads the cross-sell list (TXmlNode), fills the dialog's child windows
// through the script-widget interface and binds its two Lua functions in the window script.
#include "core/window/xsellwindow.h"

#include "core/foundation/services.h"
#include "core/foundation/xmlnode.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "core/window/windowstyle.h"

const char DEFAULT_XSELL_CONFIG[] = "xsell/xsell.xml";

namespace {

std::function<void(const str&)>& BrowserOpener()
{
  static std::function<void(const str&)> opener;
  return opener;
}

lua_State* ScriptState()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  TScript* script = manager ? dynamic_cast<TScript*>(manager->GetScript()) : nullptr;
  return script ? script->GetState() : nullptr;
}

void Hide(TWindow* window)
{
  if (window)
    window->SetFlags(window->GetFlags() & ~unsigned(TWindow::kVisible));
}

void SetText(TWindow* window, const str& text)
{
  IScriptWidget* widget = window ? dynamic_cast<IScriptWidget*>(window) : nullptr;
  if (widget && widget->GetScriptKind() == IScriptWidget::kScriptText)
    widget->SetScriptLabel(text);
}

} // namespace

TWindow* TXSellWindowDynamicCreate()
{
  return new TXSellWindow;
}

intptr_t TXSellWindow::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TXSellWindowDynamicCreate);
  return id;
}

void TXSellWindow::SetBrowserOpener(std::function<void(const str& url)> opener)
{
  BrowserOpener() = opener;
}

TXSellWindow::TXSellWindow() : mConfigFile(DEFAULT_XSELL_CONFIG)
{
  if (lua_State* L = ScriptState()) {
    LuaBind(L, "SetupXSell", this, &TXSellWindow::SetupXSell);
    LuaBind(L, "LaunchGameLink", this, &TXSellWindow::LaunchGameLink);
  }
}

TXSellWindow::~TXSellWindow()
{
  if (lua_State* L = ScriptState()) {
    for (char const* name : {"SetupXSell", "LaunchGameLink"})
      if (LuaIsBoundTo(L, name, this))
        LuaUnbind(L, name);
  }
}

void TXSellWindow::Init(TWindowStyle& style)
{
  TWindow::Init(style);
  mConfigFile = style.GetString("config", DEFAULT_XSELL_CONFIG);
  mAutoExpand = style.GetBool("autoexpand", false);
}

const str& TXSellWindow::GetGameLink(int index) const
{
  static const str empty;
  return index >= 1 && index <= kGameCount ? mGameLinks[index - 1] : empty;
}

void TXSellWindow::SetupXSell()
{
  TXmlNode document;
  document.ParseFile(mConfigFile.c_str());
  TXmlNode* list = document.GetChild("xsell");
  int count = 0;
  if (list) {
    list->ResetChildren();
    str name;
    TXmlNode* child = nullptr;
    while (list->GetNextChild(&name, &child)) {
      if (name != str("gameinfo"))
        continue;
      ++count;
      str text = child->GetAttribute("description");
      str linkText = child->GetAttribute("linktext");
      if (!linkText.empty()) {
        text += str::getFormatted(" <u><font color=\"003cff\"><a id='xsellbutton%d'>", count);
        text += linkText;
        text += "</a></font></u>";
      }
      SetText(GetChildWindow(str::getFormatted("descrip%d", count), -1), text);
      if (count <= kGameCount)
        mGameLinks[count - 1] = child->GetAttribute("link");
    }
    if (TXmlNode* site = list->GetChild("sitelink")) {
      mSiteLink = site->GetAttribute("link");
    } else {
      Hide(GetChildWindow("gamesite", -1));
    }
    if (TXmlNode* centre = list->GetChild("centertext")) {
      SetText(GetChildWindow("centertext1", -1), centre->GetAttribute("text1"));
      SetText(GetChildWindow("centertext2", -1), centre->GetAttribute("text2"));
    }
  }
  if (count <= kGameCount) {
    for (int slot = count + 1; slot <= kGameCount + 1; ++slot) {
      Hide(GetChildWindow(str::getFormatted("descrip%d", slot), -1));
      Hide(GetChildWindow(str::getFormatted("xsellbutton%d", slot), -1));
    }
  }

  if (mCentred)
    return;
  mCentred = true;
  std::vector<str> names;
  for (int slot = 1; slot <= kGameCount; ++slot)
    names.push_back(str::getFormatted("xsellbutton%d", slot));
  names.push_back("sitelogo");
  names.push_back("quorvantlogo");
  names.push_back("gamesite");
  for (const str& name : names) {
    TWindow* window = GetChildWindow(name, -1);
    if (!window)
      continue;
    // Parent coordinates, which SetWindowPos takes, whatever autoexpand says.
    const TRect& place = window->GetRect();
    window->SetWindowPos(place.left - window->GetWindowWidth() / 2, place.top - window->GetWindowHeight() / 2);
  }
}

void TXSellWindow::LaunchGameLink(int index)
{
  str link;
  if (index == 0) {
    link = mSiteLink;
  } else if (index >= 1 && index <= kGameCount) {
    link = mGameLinks[index - 1];
  } else {
    return;
  }
  if (BrowserOpener()) {
    BrowserOpener()(link);
  } else if (IBrowser* browser = TServices::Get().browser) {
    browser->OpenBrowser(link.c_str());
  }
}
