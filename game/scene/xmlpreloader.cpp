// xmlpreloader: parses the scene files named in "configs/preload_xmls.xml" ahead of time,
// one file per call, and hands the scene loader their parsed trees.
#include "scene/xmlpreloader.h"

namespace {

const char kConfigFile[] = "configs/preload_xmls.xml";

}  // namespace

TXmlPreloader::TXmlPreloader() : mNext(mNodes.end()), mParsed(0) {}

void TXmlPreloader::LoadConfig()
{
  TXmlNode config;
  config.ParseFile(kConfigFile);
  if (TXmlNode* list = config.GetChild("preload_xmls"))
  {
    str name;
    TXmlNode* child = nullptr;
    list->ResetChildren();
    while (list->GetNextChild(&name, &child))
    {
      str file = child->GetAttribute("file");
      // A name listed again keeps its document, parsed or not.
      mNodes.emplace(file, TXmlNode());
    }
  }
  mNext = mNodes.begin();
}

void TXmlPreloader::ParseNextNode()
{
  if (mNext == mNodes.end())
    return;
  mNext->second.ParseFile(mNext->first.c_str());
  ++mNext;
  ++mParsed;
}

TXmlNode* TXmlPreloader::getNode(const str& name)
{
  std::map<str, TXmlNode>::iterator found = mNodes.find(name);
  if (found == mNodes.end() || !found->second.HasChildren())
    return nullptr;
  return &found->second;
}
