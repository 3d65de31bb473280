// xmlpreloader: parses the scene files named in "configs/preload_xmls.xml" ahead of time,
// one file per call, and hands the scene loader their parsed trees.
#include "scene/xmlpreloader.h"

#include "core/foundation/file.h"
#include "core/foundation/debug.h"

namespace {

const char kConfigFile[] = "configs/preload_xmls.xml";

} // namespace

TXmlPreloader::TXmlPreloader() : mNext(mNodes.end()), mParsed(0) {}

void TXmlPreloader::LoadConfig()
{
  TXmlNode config;
  // A file that cannot be read says so itself, with its name.
  const bool read = config.ParseFile(kConfigFile);
  TXmlNode* list = config.GetChild("preload_xmls");
  if (!list && read)
    WriteDbg("ERROR: %s holds no \"preload_xmls\" list (empty or not this file); no scene is read ahead", kConfigFile);
  if (list) {
    str name;
    TXmlNode* child = nullptr;
    list->ResetChildren();
    while (list->GetNextChild(&name, &child)) {
      // Comments and declarations are elements to this parser; they name nothing.
      if (name.length() > 0 && (name[0] == '!' || name[0] == '?'))
        continue;
      str file = child->GetAttribute("file");
      if (file.empty()) {
        WriteDbg("ERROR: %s: its entry <%s> names no file", kConfigFile, name.c_str());
        continue;
      }
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
  // The list is where a wrong name comes from: the line says so.
  if (!TFile::Exists(mNext->first))
    WriteDbg("ERROR: %s lists %s, which does not exist", kConfigFile, mNext->first.c_str());
  else if (!mNext->second.ParseFile(mNext->first.c_str())) {
    // Its line names the file; the loader refuses it rather than build what came before the damage.
    mNext->second = TXmlNode();
    mDamaged.insert(mNext->first);
  }
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
