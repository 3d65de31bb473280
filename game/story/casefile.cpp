// casefile: reading a case's journal page from the rounds configuration.
#include "story/casefile.h"

#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"
#include "scene/xmlattributes.h"

namespace {

str TextOf(TXmlNode* parent, const char* child, const char* attribute)
{
  TXmlNode* node = parent ? parent->GetChild(child) : nullptr;
  return node ? node->GetAttribute(attribute) : str();
}

} // namespace

void TCaseFile::LoadFromXml(TXmlNode* caseFileElement)
{
  mTitle = TextOf(caseFileElement, "title", "txt");
  mDescription = TextOf(caseFileElement, "dsc", "txt");
  mSolvedText = TextOf(caseFileElement, "solved", "txt");
  mPictureFrame = TextOf(caseFileElement, "image", "frame");
  TXmlNode* suspects = caseFileElement ? caseFileElement->GetChild("suspects") : nullptr;
  mGuilty = suspects ? ReadIntAttribute(suspects, "guilty", 0) : 0;
  if (!suspects) {
    return;
  }
  str name;
  TXmlNode* suspect = nullptr;
  suspects->ResetChildren();
  while (suspects->GetNextChild(&name, &suspect)) {
    if (mNames.size() == kMaxSuspects) {
      WriteDbg("ERROR: Case file \"%s\" names more than %u suspects; the others are left out", mTitle.c_str(),
               kMaxSuspects);
      break;
    }
    mSuspectFrames.push_back(suspect->GetAttribute("frame"));
    mClueIcons.push_back(suspect->GetAttribute("clue_icon"));
    mWrongAnims.push_back(suspect->GetAttribute("wrong_anim"));
    mGoodAnims.push_back(suspect->GetAttribute("good_anim"));
    mInnocentAnims.push_back(suspect->GetAttribute("innocent_anim"));
    mNames.push_back(suspect->GetAttribute("name"));
  }
}
