// dialog: a modal layer built by a dialog script with a body and a title; closes through
// the usual close message and opens "http=" links in the browser.
#pragma once

#include <functional>

#include "core/window/modalwindow.h"

class TDialog : public TModalWindow
{
public:
  TDialog(const str& script, const str& body, const str& title);

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TDialog"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TModalWindow::IsKindOf(id); }

  bool OnNewParent() override;
  bool OnMessage(TMessage* message) override;

  const str& GetScript() const { return mScript; }
  const str& GetBody() const { return mBody; }
  const str& GetTitle() const { return mTitle; }

  // Replaces the platform's browser launcher (tests record the links instead).
  static void SetBrowserOpener(std::function<void(const str& url)> opener);

private:
  str mScript;
  str mBody;
  str mTitle;
};
