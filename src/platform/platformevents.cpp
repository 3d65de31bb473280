// platformevents: the event side of the platform facade; forwards to the event queue
// (platform/event.h) that the platform owns.
#include "platform/platform.h"
#include "core/window/windowmanager.h"
#include "platform/display/event.h"

void TPlatform::GetEvent(TEvent* event)
{
  mEventQueue->GetEvent(event);
}

void TPlatform::Exit(int code)
{
  mEventQueue->RequestQuit();
}

bool TPlatform::IsForeground() const
{
  return mEventQueue->IsForeground();
}

TTaskList* TPlatform::GetTaskList()
{
  return mEventQueue->GetTaskList();
}

void TPlatform::AdoptTask(TTask* task)
{
  mEventQueue->GetTaskList()->AdoptTask(task);
}

bool TPlatform::OrphanTask(TTask* task)
{
  return mEventQueue->GetTaskList()->OrphanTask(task);
}

void TPlatform::SetEventHost(IEventHost* host)
{
  mEventQueue->SetHost(host);
}

TWindowManager* TPlatform::GetWindowManager() const
{
  return TWindowManager::GetInstance();
}
