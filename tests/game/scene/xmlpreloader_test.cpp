// Tests of the XML preloader: the listed files, parsed one per call in name order, and the
// documents handed out only once they are parsed.
#include <string>

#include <gtest/gtest.h>

#include "core/foundation/file.h"
#include "scene/xmlpreloader.h"
#include "support/scenetestutil.h"
#include "support/vfssandbox.h"

namespace {

class XmlPreloaderTest : public ::testing::Test
{
protected:
  void Write(const std::string& name, const std::string& text)
  {
    mSandbox.WriteFile("assets/" + name, DoubleQuoted(text.c_str()));
  }
  void Scan() { TFile::ScanForResources(); }

  TVfsSandbox mSandbox;
};

} // namespace

TEST_F(XmlPreloaderTest, ParsesListedFilesOncePerCallInNameOrder)
{
  Write("configs/preload_xmls.xml", "<preload_xmls><xml file='b.xml'/><any file='a.xml'/>"
                                    "<xml file='b.xml'/><xml file='missing.xml'/></preload_xmls>");
  Write("a.xml", "<scene id='a'/>");
  Write("b.xml", "<scene id='b'/>");
  Scan();
  TXmlPreloader preloader;
  preloader.LoadConfig();
  EXPECT_EQ(3u, preloader.getNodesCount());
  EXPECT_EQ(nullptr, preloader.getNode("a.xml")) << "not parsed yet";
  preloader.ParseNextNode();
  ASSERT_NE(nullptr, preloader.getNode("a.xml"));
  EXPECT_EQ(nullptr, preloader.getNode("b.xml"));
  preloader.ParseNextNode();
  ASSERT_NE(nullptr, preloader.getNode("b.xml"));
  EXPECT_EQ(str("b"), preloader.getNode("b.xml")->GetChild("scene")->GetAttribute("id"));
  preloader.ParseNextNode();
  EXPECT_EQ(nullptr, preloader.getNode("missing.xml")) << "an unreadable file gives no document";
  EXPECT_EQ(3u, preloader.getParsedCount());
  preloader.ParseNextNode();
  EXPECT_EQ(3u, preloader.getParsedCount());
  EXPECT_EQ(nullptr, preloader.getNode("A.xml"));
}

TEST_F(XmlPreloaderTest, MissingOrEmptyConfigurationListsNothing)
{
  TXmlPreloader preloader;
  preloader.LoadConfig();
  EXPECT_EQ(0u, preloader.getNodesCount());
  preloader.ParseNextNode();
  Write("configs/preload_xmls.xml", "<other><xml file='a.xml'/></other>");
  Scan();
  preloader.LoadConfig();
  EXPECT_EQ(0u, preloader.getNodesCount());
}

TEST_F(XmlPreloaderTest, GarbageEmptyOrWrongListsSayWhichFileIsAtFault)
{
  struct Case
  {
    const char* name;
    std::string text;
    const char* line;
  };
  const Case cases[] = {
      {"empty", "", "ERROR: configs/preload_xmls.xml holds no \"preload_xmls\" list"},
      {"garbage", "\x93\x01z{q}|\x7f\x85 plain words",
       "ERROR: configs/preload_xmls.xml holds no \"preload_xmls\" list"},
      {"entry without a file", "<preload_xmls><!-- a note --><xml name='a.xml'/></preload_xmls>",
       "ERROR: configs/preload_xmls.xml: its entry <xml> names no file"},
      {"a flipped name", "<preload_xmls><xml file='rcenes/a.qxm'/></preload_xmls>",
       "ERROR: configs/preload_xmls.xml lists rcenes/a.qxm, which does not exist"},
  };
  for (const Case& c : cases) {
    Write("configs/preload_xmls.xml", c.text);
    Scan();
    TXmlPreloader preloader;
    testing::internal::CaptureStderr();
    preloader.LoadConfig();
    preloader.ParseNextNode();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find(c.line)) << c.name << ": " << log;
    // The comment is no entry.
    EXPECT_EQ(std::string::npos, log.find("<!--")) << c.name << ": " << log;
  }
}
