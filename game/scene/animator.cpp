// animator: the base of the animators that drive one property of a scene object over time,
// the list that owns a state's or an object's animators, and the registry of their classes.
#include "scene/animator.h"

#include <cstring>

#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"

TAnimator::TAnimator()
    : mObject(nullptr), mFresh(1), mFinished(false), mDelay(0), mLoop(false), mElapsed(0)
{
}

TAnimators::~TAnimators()
{
  for (TAnimator* animator : mAnimators)
    delete animator;
}

void TAnimators::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(static_cast<uint32_t>(mAnimators.size()));
  for (const TAnimator* animator : mAnimators)
  {
    buffer->WriteString(animator->getDynamicAnimatorID());
    animator->Store(buffer);
  }
}

bool TAnimators::Load(TBinaryBuffer* buffer, TSceneObject* object)
{
  uint32_t count = 0;
  // Each entry holds at least its name's length.
  if (!buffer->ReadCount(&count, 4, "of an animator list"))
    return false;
  for (uint32_t i = 0; i < count; ++i)
  {
    str type;
    if (!buffer->ReadString(&type))
    {
      buffer->Fail("of an animator's class name");
      return false;
    }
    TAnimator* animator = TAnimatorFactory::Instance()->Create(type.c_str());
    if (!animator)
    {
      str what = str::getFormatted("of an animator of unknown class '%s'", type.c_str());
      buffer->Fail(what.c_str());
      return false;
    }
    animator->SetObject(object);
    mAnimators.push_back(animator);
    if (!animator->Load(buffer))
    {
      buffer->Fail("of an animator");
      return false;
    }
  }
  return true;
}

void TAnimators::StoreToXML(TXmlNode* node) const
{
  for (const TAnimator* animator : mAnimators)
  {
    TXmlNode* child = node->CreateChild("animator");
    child->SetAttribute("type", animator->getDynamicAnimatorID());
    animator->StoreToXML(child);
  }
}

bool TAnimators::LoadFromXML(TXmlNode* node, TSceneObject* object)
{
  str name;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&name, &child))
  {
    if (name != str("animator"))
      continue;
    TAnimator* animator = TAnimatorFactory::Instance()->Create(child->GetAttribute("type").c_str());
    if (!animator)
      continue;
    animator->SetObject(object);
    if (!animator->LoadFromXML(child))
    {
      delete animator;
      continue;
    }
    mAnimators.push_back(animator);
  }
  return true;
}

void TAnimators::Init()
{
  for (size_t i = 0; i < mAnimators.size(); ++i)
    mAnimators[i]->Init();
}

bool TAnimators::OnTick(unsigned ms, bool stopAtFalse)
{
  for (size_t i = 0; i < mAnimators.size(); ++i)
    if (!mAnimators[i]->OnTick(ms) && stopAtFalse)
      return false;
  return true;
}

TAnimator* TAnimators::FindByType(const str& type) const
{
  if (type.empty())
    return nullptr;
  for (TAnimator* animator : mAnimators)
    if (std::strcmp(animator->getDynamicAnimatorID(), type.c_str()) == 0)
      return animator;
  return nullptr;
}

TAnimatorFactory* TAnimatorFactory::Instance()
{
  static TAnimFactory* instance = [] {
    static TAnimFactory factory;
    RegisterAnimatorKinds(factory);
    return &factory;
  }();
  return instance;
}

TAnimFactory::~TAnimFactory()
{
  for (TRegisterAnimatorDef* definition : mDefinitions)
  {
    delete[] definition->mName;
    delete definition;
  }
}

bool TAnimFactory::Register(const char* name, TAnimatorCreator creator)
{
  if (!name || !creator)
    return false;
  size_t length = std::strlen(name);
  TRegisterAnimatorDef* definition = new TRegisterAnimatorDef;
  definition->mName = new char[length + 1];
  std::memcpy(definition->mName, name, length + 1);
  definition->mCreator = creator;
  mDefinitions.push_back(definition);
  return true;
}

const TAnimFactory::TRegisterAnimatorDef* TAnimFactory::FindCreator(const char* name) const
{
  if (!name)
    return nullptr;
  for (const TRegisterAnimatorDef* definition : mDefinitions)
    if (std::strcmp(definition->mName, name) == 0)
      return definition;
  return nullptr;
}

TAnimator* TAnimFactory::Create(const char* name)
{
  const TRegisterAnimatorDef* definition = FindCreator(name);
  return definition ? definition->mCreator() : nullptr;
}

void RegisterAnimatorKinds(TAnimatorFactory& factory) {}
