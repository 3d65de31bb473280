// dialog: a modal layer built by a dialog script with a body and a title; closes through
// the usual close message and opens "http=" links in the browser.
#include "core/window/dialog.h"

#include "core/foundation/services.h"
#include "core/script/message.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"

namespace {

std::function<void(const str&)>& BrowserOpener()
{
  static std::function<void(const str&)> opener;
  return opener;
}

} // namespace

TDialog::TDialog(const str& script, const str& body, const str& title) : mScript(script), mBody(body), mTitle(title) {}

intptr_t TDialog::ClassId()
{
  return reinterpret_cast<intptr_t>(&TDialog::ClassId);
}

void TDialog::SetBrowserOpener(std::function<void(const str& url)> opener)
{
  BrowserOpener() = opener;
}

bool TDialog::OnNewParent()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  if (manager && manager->GetScript()) {
    // The script host hands body and title over as Lua values, never as code.
    manager->GetScript()->StartDialog(this, mScript, mBody, mTitle, GetIdString());
  }
  return TModalWindow::OnNewParent();
}

bool TDialog::OnMessage(TMessage* message)
{
  const str& name = message->GetName();
  if (name.length() >= 5 && name.substr(0, 5) == "http=") {
    const str url = name.substr(5);
    if (url.length() != 0) {
      if (BrowserOpener()) {
        BrowserOpener()(url);
      } else if (IBrowser* browser = TServices::Get().browser) {
        browser->OpenBrowser(url.c_str());
      }
    }
    return true;
  }
  return TModalWindow::OnMessage(message);
}
