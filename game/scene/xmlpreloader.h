// xmlpreloader: parses the scene files named in "configs/preload_xmls.xml" ahead of time,
// one file per call, and hands the scene loader their parsed trees.
#pragma once

#include <map>
#include <set>

#include "core/foundation/str.h"
#include "core/foundation/xmlnode.h"
#include "scene/defsingleton.h"

class TXmlPreloader
{
public:
  TXmlPreloader();

  // Lists the "file" of every child of "preload_xmls" (once per name) and starts again at
  // the first name; a missing or empty configuration lists nothing.
  void LoadConfig();
  // The number of files listed.
  unsigned getNodesCount() const { return static_cast<unsigned>(mNodes.size()); }
  // The number of files parsed so far.
  unsigned getParsedCount() const { return mParsed; }
  // Parses the next file in name order; nothing once every file is parsed.
  void ParseNextNode();
  // The parsed document of a listed file; null when it is not listed, not parsed yet, or
  // could not be read. Readers must reset its child cursor: the tree is shared.
  TXmlNode* getNode(const str& name);
  // True when the listed file was parsed and found damaged (its document is dropped).
  bool IsDamaged(const str& name) const { return mDamaged.count(name) != 0; }

private:
  TXmlPreloader(const TXmlPreloader&) = delete;
  TXmlPreloader& operator=(const TXmlPreloader&) = delete;

  std::map<str, TXmlNode> mNodes;
  std::map<str, TXmlNode>::iterator mNext;
  std::set<str> mDamaged;
  unsigned mParsed;
};
