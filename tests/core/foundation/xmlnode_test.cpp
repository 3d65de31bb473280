// xmlnode_test: the XML tree: tokenizer, tolerant parser, writer, compressed documents,
// and refusal of hostile input (lying headers, deep nesting, truncation).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "core/foundation/xmlnode.h"
#include "support/zxml.h"

namespace {

std::string S(str const& text)
{
  return std::string(text.c_str(), text.length());
}

void PutLE32(std::string& block, size_t at, uint32_t value)
{
  for (int i = 0; i < 4; ++i)
    block[at + i] = (char)((value >> (8 * i)) & 0xFF);
}

std::string TempPath(char const* name)
{
  char const* home = std::getenv("QV_HOME");
  return std::string(home ? home : "/tmp") + "/" + name;
}

void WriteFile(std::string const& path, std::string const& bytes)
{
  FILE* file = fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

std::vector<std::string> Tokens(std::string const& text)
{
  TGetCharString source(text.data(), text.size());
  std::vector<std::string> tokens;
  for (;;)
  {
    bool quoted = false;
    bool escaped = false;
    int length = -1;
    str token = qvGetToken(&source, &quoted, &escaped, &length);
    EXPECT_EQ((int)token.length(), length);
    if (length == 0 && !quoted)
      return tokens;
    tokens.push_back(S(token));
  }
}

// Parses text and returns the document node's serialisation, which shows every name,
// attribute, quoting, content byte and child.
std::string Tree(TXmlNode& doc)
{
  return S(doc.AsString());
}

} // namespace

// ---------------------------------------------------------------------------------------
// Tokenizer and escapes

TEST(XmlTokenizer, SplitsMarkupQuotedStringsAndSelfClosingSlash)
{
  EXPECT_EQ((std::vector<std::string>{"<", "a", "x", "=", "1 < 2", "/", ">"}), Tokens("<a x=\"1 < 2\"/>"));
  EXPECT_EQ((std::vector<std::string>{"<", "br", "/", ">"}), Tokens("<br/>"));
  EXPECT_EQ((std::vector<std::string>{"<", "a", "/", ">"}), Tokens("<a />"));
  // The slash only splits off before ">" and only from a token of two bytes or more.
  EXPECT_EQ((std::vector<std::string>{"a/b", "/"}), Tokens("  a/b\n\t/ "));
  // A multi-byte character is taken whole, even when it hides a markup byte.
  EXPECT_EQ((std::vector<std::string>{"\xC3<b"}), Tokens("\xC3<b"));
}

TEST(XmlTokenizer, EmptyQuotedStringIsNotTheEnd)
{
  TGetCharString source("\"\" x", 4);
  bool quoted = false;
  bool escaped = false;
  int length = -1;
  qvGetToken(&source, &quoted, &escaped, &length);
  EXPECT_TRUE(quoted);
  EXPECT_EQ(0, length);
  EXPECT_EQ("x", S(qvGetToken(&source, &quoted, &escaped, &length)));
}

TEST(XmlEscapes, NamedAndDecimalReferencesResolveOnce)
{
  struct Case
  {
    char const* in;
    std::string out;
    bool escaped;
  } cases[] = {
      {"&amp;", "&", true},
      {"&amp;lt;", "&lt;", true},  // a result is not resolved again
      {"x&lt;y&gt;", "x<y>", false},
      {"&quot;&apos;", "\"'", true},
      {"&#65;BC", "ABC", true},
      {"&#321;", "A", true},                    // cut to 8 bits
      {"&#65", "&#65", false},                  // no ";": stays
      {"&bogus;", "&bogus;", false},
      {"a&", "a&", false},
  };
  for (Case const& c : cases)
  {
    str text(c.in);
    int length = -1;
    bool escaped = !c.escaped;
    removeXMLEscapeChars(text, &length, &escaped);
    EXPECT_EQ(c.out, S(text)) << c.in;
    EXPECT_EQ((int)c.out.size(), length) << c.in;
    EXPECT_EQ(c.escaped, escaped) << c.in;
  }
  // Digits only: the hexadecimal form reads as a zero byte, which ends a str.
  str hex("&#x41;");
  int length = -1;
  removeXMLEscapeChars(hex, &length, nullptr);
  EXPECT_EQ(1, length);
  EXPECT_EQ(0u, hex.length());
}

TEST(XmlEscapes, SafeStringEscapesSpecialsControlAndHighBytes)
{
  EXPECT_EQ("&lt;a&gt; &amp; &quot;b&apos;", S(xmlSafeString("<a> & \"b'")));
  EXPECT_EQ("tab&#9;e&#233;\x7F", S(xmlSafeString("tab\te\xE9\x7F")));
  EXPECT_EQ("", S(xmlSafeString(nullptr)));
}

// ---------------------------------------------------------------------------------------
// Parsing

TEST(XmlParse, StartTagWithQuotedBareAndStrayNamesSelfCloses)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<a x=\"1\" y=2 z/> after"));
  TXmlNode* a = doc.GetChild("a");
  ASSERT_NE(a, nullptr);
  bool quoted = false;
  EXPECT_EQ("1", S(a->GetAttribute("x", &quoted)));
  EXPECT_TRUE(quoted);
  EXPECT_EQ("2", S(a->GetAttribute("y", &quoted)));
  EXPECT_FALSE(quoted);
  EXPECT_EQ("", S(a->GetAttribute("z")));
  EXPECT_FALSE(a->HasChildren());
  EXPECT_EQ("", S(a->GetContent()));
  // The element is complete: the text after it belongs to the document.
  EXPECT_EQ("after", S(doc.GetContent()));
}

TEST(XmlParse, DeclarationDoctypeAndCommentsAreChildlessElements)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<?xml version=\"1.0\"?>\n<!DOCTYPE x>\n<!-- a=b c -->\n<root>t</root>"));
  str name;
  TXmlNode* child = nullptr;
  doc.ResetChildren();
  ASSERT_TRUE(doc.GetNextChild(&name, &child));
  EXPECT_EQ("?xml", S(name));
  EXPECT_EQ("1.0", S(child->GetAttribute("version")));
  ASSERT_TRUE(doc.GetNextChild(&name, &child));
  EXPECT_EQ("!DOCTYPE", S(name));
  ASSERT_TRUE(doc.GetNextChild(&name, &child));
  EXPECT_EQ("!--", S(name));
  EXPECT_EQ("b", S(child->GetAttribute("a")));
  ASSERT_TRUE(doc.GetNextChild(&name, &child));
  EXPECT_EQ("root", S(name));
  EXPECT_EQ("t", S(child->GetContent()));
  EXPECT_FALSE(doc.GetNextChild(&name, &child));
}

TEST(XmlParse, ContentIsNormalisedToSingleSpaces)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<t>  Hello    big\n   world  </t><u>say \"a  b\" a=b</u><v>one<w/>two</v>"));
  EXPECT_EQ("Hello big world", S(doc.GetChild("t")->GetContent()));
  EXPECT_EQ("say a  b a = b", S(doc.GetChild("u")->GetContent()));
  EXPECT_EQ("one two", S(doc.GetChild("v")->GetContent()));
}

TEST(XmlParse, EscapedAndQuotedMarkupIsText)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<t>&lt;b&gt; &#65; &lt; \"<\" x</t><u x=\">\" y=\"=\">in</u>"));
  EXPECT_EQ("<b> A < < x", S(doc.GetChild("t")->GetContent()));
  TXmlNode* u = doc.GetChild("u");
  EXPECT_EQ(">", S(u->GetAttribute("x")));
  EXPECT_EQ("=", S(u->GetAttribute("y")));
  EXPECT_EQ("in", S(u->GetContent()));
}

TEST(XmlParse, LongTextBuildsInOnePass)
{
  // Garbage without markup (a binary file read as XML) is all content of the document.
  std::string words;
  for (int i = 0; i < 200000; ++i)
    words += "w" + std::to_string(i % 10) + "  ";
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseBuffer(words.data(), words.size()));
  EXPECT_EQ(200000u * 3 - 1, doc.GetContent().length());
}

TEST(XmlParse, ZeroByteReferenceCutsOnlyItsOwnWord)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<a>x&#0;y z</a>"));
  EXPECT_EQ("x z", S(doc.GetChild("a")->GetContent()));
}

TEST(XmlParse, EmptyQuotedTextDoesNotEndTheDocument)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<a>x \"\" y</a><b/>"));
  EXPECT_EQ("x y", S(doc.GetChild("a")->GetContent()));
  EXPECT_NE(doc.GetChild("b"), nullptr);
}

TEST(XmlParse, AnyEndTagClosesTheInnermostElement)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<a><b>x</wrong>y</a><c/></stray><d/>"));
  TXmlNode* a = doc.GetChild("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ("x", S(a->GetChild("b")->GetContent()));
  EXPECT_EQ("y", S(a->GetContent()));
  EXPECT_NE(doc.GetChild("c"), nullptr);
  // An end tag at the top level ends the parse.
  EXPECT_EQ(nullptr, doc.GetChild("d"));
}

TEST(XmlParse, AttributesKeepDocumentOrderAndDuplicates)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<a k=\"1\" k=\"2\" j='q'/>"));
  TXmlNode* a = doc.GetChild("a");
  EXPECT_EQ("1", S(a->GetAttribute("k")));
  bool quoted = true;
  // Single quotes are ordinary characters.
  EXPECT_EQ("'q'", S(a->GetAttribute("j", &quoted)));
  EXPECT_FALSE(quoted);
  EXPECT_EQ("<a\n    k=\"1\"\n    k=\"2\"\n    j=&apos;q&apos;>\n</a>\n", Tree(*a));
}

TEST(XmlParse, ParsingAppendsToWhatTheNodeHolds)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<a/>"));
  ASSERT_TRUE(doc.ParseString("<b/>"));
  str name;
  TXmlNode* child = nullptr;
  doc.ResetChildren();
  ASSERT_TRUE(doc.GetNextChild(&name, &child));
  EXPECT_EQ("a", S(name));
  ASSERT_TRUE(doc.GetNextChild(&name, &child));
  EXPECT_EQ("b", S(name));
}

TEST(XmlParse, ByteFFEndsStringInput)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<a>x\xFF y</a><b/>"));
  EXPECT_EQ("x", S(doc.GetChild("a")->GetContent()));
  EXPECT_EQ(nullptr, doc.GetChild("b"));
}

TEST(XmlParse, TextWithoutMarkupGivesNoChildren)
{
  TXmlNode doc;
  EXPECT_TRUE(doc.ParseString("just words"));
  EXPECT_FALSE(doc.HasChildren());
  EXPECT_TRUE(doc.ParseString(""));
  EXPECT_FALSE(doc.HasChildren());
}

// ---------------------------------------------------------------------------------------
// Hostile input

TEST(XmlHostile, NestingIsBoundedAtTheLimit)
{
  std::string deepest;
  for (int i = 0; i < kMaxXmlDepth; ++i)
    deepest += "<a>";
  TXmlNode ok;
  EXPECT_TRUE(ok.ParseString(deepest.c_str()));

  std::string tooDeep = deepest + "<a>";
  TXmlNode refused;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(refused.ParseString(tooDeep.c_str()));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: XML elements nested deeper than 256 levels")) << log;
  // Exactly one line, however many levels unwind.
  EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n'));
}

TEST(XmlHostile, MillionOpenTagsFailWithoutCrashing)
{
  std::string bomb;
  for (int i = 0; i < 1000000; ++i)
    bomb += "<a x=1>";
  TXmlNode doc;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(doc.ParseBuffer(bomb.data(), bomb.size()));
  testing::internal::GetCapturedStderr();
}

TEST(XmlHostile, InputEndingInsideATagFailsAndKeepsWhatWasBuilt)
{
  TXmlNode doc;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(doc.ParseString("<a><b x=\"1\">t</b><c y"));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: XML input ends inside a tag"));
  TXmlNode* a = doc.GetChild("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ("t", S(a->GetChild("b")->GetContent()));
  EXPECT_NE(a->GetChild("c"), nullptr);
}

TEST(XmlHostile, LyingCompressedHeadersAreRefusedBeforeAllocating)
{
  std::string good = MakeZxml("<a>hello</a>");
  struct Case
  {
    char const* what;
    std::string block;
  } cases[] = {
      {"compressed length beyond the data", good},
      {"huge plain length", good},
      {"plain length impossible for the ratio", good},
      {"cut header", good.substr(0, 10)},
      {"corrupt stream", good},
      {"plain length too small", good},
  };
  PutLE32(cases[0].block, 4, (uint32_t)(good.size() - 12 + 1));
  PutLE32(cases[1].block, 8, 0xFFFFFFFFu);
  PutLE32(cases[2].block, 8, 60u * 1024 * 1024);
  cases[4].block[14] ^= 0x55;
  cases[4].block[15] ^= 0x55;
  PutLE32(cases[5].block, 8, 3);
  for (Case const& c : cases)
  {
    TXmlNode doc;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(doc.ParseBuffer(c.block.data(), c.block.size())) << c.what;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, log.find("ERROR: ")) << c.what << ": " << log;
    EXPECT_FALSE(doc.HasChildren()) << c.what;
  }
}

TEST(XmlHostile, CompressedHeaderInPlainTextNeverReadsPastItsEnd)
{
  // A server reply or deciphered file that is only "ZXML" must not read a header past its end.
  std::vector<char> reply = {'Z', 'X', 'M', 'L', '\0'};
  TXmlNode doc;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(doc.ParseString(reply.data()));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(0u, log.find("ERROR: ")) << log;
  EXPECT_FALSE(doc.HasChildren());
}

// ---------------------------------------------------------------------------------------
// Compressed documents and files

TEST(XmlCompressed, GivesTheSameTreeAsItsPlainTwin)
{
  std::string plain =
      "<?xml version=\"1.0\"?>\n<scene w=800 h=\"600\">\n  <object name=\"door\" x=\"10\">Open &amp; shut</object>\n"
      "  <object name=\"caf\xC3\xA9\"/>\n</scene>\n";
  std::string packed = MakeZxml(plain);
  TXmlNode fromPlain;
  TXmlNode fromPacked;
  ASSERT_TRUE(fromPlain.ParseString(plain.c_str()));
  ASSERT_TRUE(fromPacked.ParseBuffer(packed.data(), packed.size()));
  EXPECT_EQ(Tree(fromPlain), Tree(fromPacked));
  TXmlNode fromBlock;
  ASSERT_TRUE(fromBlock.DecompressAndParse(packed.data()));
  EXPECT_EQ(Tree(fromPlain), Tree(fromBlock));

  std::string plainPath = TempPath("twin.xml");
  std::string packedPath = TempPath("twin.zxml");
  WriteFile(plainPath, plain);
  WriteFile(packedPath, packed);
  TXmlNode plainFile;
  TXmlNode packedFile;
  ASSERT_TRUE(plainFile.ParseFile(("::" + plainPath).c_str()));
  ASSERT_TRUE(packedFile.ParseFile(("::" + packedPath).c_str()));
  EXPECT_EQ(Tree(fromPlain), Tree(plainFile));
  EXPECT_EQ(Tree(fromPlain), Tree(packedFile));
}

TEST(XmlFile, LargeFileReadsLikeTheSameTextInMemory)
{
  // Well beyond the file source's read-ahead block, so tokens straddle block edges.
  std::string text = "<list>\n";
  for (int i = 0; i < 3000; ++i)
    text += "  <item id=\"" + std::to_string(i) + "\" v=" + std::to_string(i * 7) + "/>word" + std::to_string(i) + "\n";
  text += "</list>\n";
  std::string path = TempPath("large.xml");
  WriteFile(path, text);
  TXmlNode fromFile;
  TXmlNode fromMemory;
  ASSERT_TRUE(fromFile.ParseFile(("::" + path).c_str()));
  ASSERT_TRUE(fromMemory.ParseBuffer(text.data(), text.size()));
  EXPECT_EQ(Tree(fromMemory), Tree(fromFile));
}

TEST(XmlFile, StepsBackAcrossTheEdgeOfAReadBlock)
{
  // The "/" of "b/>" is the last byte of the first 4096-byte block and the ">" the first
  // of the next, so giving both back reaches behind the block in memory.
  std::string text = "<r><" + std::string(4090, ' ') + "b/>tail</r>";
  ASSERT_EQ('/', text[4095]);
  std::string path = TempPath("edge.xml");
  WriteFile(path, text);
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseFile(("::" + path).c_str()));
  TXmlNode* r = doc.GetChild("r");
  ASSERT_NE(r, nullptr);
  ASSERT_NE(r->GetChild("b"), nullptr);
  EXPECT_FALSE(r->GetChild("b")->HasChildren());
  EXPECT_EQ("tail", S(r->GetContent()));
}

TEST(XmlFile, AFileCutInsideATagIsNamedInTheErrorLines)
{
  std::string path = TempPath("cut.xml");
  WriteFile(path, "<rounds><round journal_scene=");
  TXmlNode doc;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(doc.ParseFile(("::" + path).c_str()));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: XML file ::" + path + " is damaged")) << log;
}

TEST(XmlFile, MissingAndLyingFilesFailWithAnErrorLine)
{
  TXmlNode doc;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(doc.ParseFile(("::" + TempPath("no-such.xml")).c_str()));
  EXPECT_EQ(0u, testing::internal::GetCapturedStderr().find("ERROR: "));

  std::string packed = MakeZxml("<a/>");
  PutLE32(packed, 4, 0x7FFFFFFFu);
  std::string path = TempPath("lying.zxml");
  WriteFile(path, packed);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(doc.ParseFile(("::" + path).c_str()));
  EXPECT_EQ(0u, testing::internal::GetCapturedStderr().find("ERROR: "));
  EXPECT_FALSE(doc.HasChildren());
}

// ---------------------------------------------------------------------------------------
// Writing

TEST(XmlWrite, LayoutIsByteExact)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<scene name=\"a&amp;b\" w=10>hello <obj id=\"1\"/><empty></empty></scene>"));
  TXmlNode* scene = doc.GetChild("scene");
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ("<scene\n"
            "    name=\"a&amp;b\"\n"
            "    w=10>\n"
            "hello\n"
            "    <obj\n"
            "        id=\"1\">\n"
            "    </obj>\n"
            "    <empty>\n"
            "    </empty>\n"
            "</scene>\n",
            S(scene->AsString()));
}

TEST(XmlWrite, BuiltTreeWritesQuotedAttributesAndNumericReferences)
{
  TXmlNode score("score");
  score.SetAttribute("guid", "x\"y");
  score.SetAttribute("points", 1250);
  score.SetAttribute("guid", "G&1");  // replaces the first, keeps its place
  score.CreateChild("note")->SetContent("caf\xE9 <ok>");
  EXPECT_EQ("<score\n"
            "    guid=\"G&amp;1\"\n"
            "    points=\"1250\">\n"
            "    <note>\n"
            "    caf&#233; &lt;ok&gt;\n"
            "    </note>\n"
            "</score>\n",
            S(score.AsString()));
}

TEST(XmlWrite, WrittenTextReadsBackToTheSameBytes)
{
  TXmlNode original("root");
  std::string awkward = "quote \" apos ' amp & lt < gt > e\xE9 ctl\x01 end";
  original.SetAttribute("value", awkward.c_str());
  original.CreateChild("c")->SetContent("\xC3\xA9t\xC3\xA9 & \"winter\"");
  str written = original.AsString();

  TXmlNode reread;
  ASSERT_TRUE(reread.ParseString(written.c_str()));
  TXmlNode* root = reread.GetChild("root");
  ASSERT_NE(root, nullptr);
  bool quoted = false;
  EXPECT_EQ(awkward, S(root->GetAttribute("value", &quoted)));
  EXPECT_TRUE(quoted);
  EXPECT_EQ("\xC3\xA9t\xC3\xA9 & \"winter\"", S(root->GetChild("c")->GetContent()));
  // And the second generation is byte-identical to the first.
  EXPECT_EQ(S(written), S(root->AsString()));
}

TEST(XmlWrite, OutputCanBeWrittenIntoAStringAtAPosition)
{
  TXmlNode node("a");
  str out("head:");
  unsigned position = 5;
  node.AsString(&out, &position, 2);
  EXPECT_EQ("head:  <a>\n  </a>\n", S(out));
  EXPECT_EQ(out.length(), position);
}

// ---------------------------------------------------------------------------------------
// Tree access and copies

TEST(XmlTree, LookupsAreExactAndCursorsWalkInOrder)
{
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<Item/><item n=\"1\"/><item n=\"2\"/>"));
  EXPECT_EQ("1", S(doc.GetChild("item")->GetAttribute("n")));
  EXPECT_EQ(nullptr, doc.GetChild("ITEM"));
  EXPECT_EQ(nullptr, doc.GetChild("ite"));

  bool quoted = true;
  EXPECT_EQ("", S(doc.GetChild("item")->GetAttribute("missing", &quoted)));
  EXPECT_TRUE(quoted);  // untouched

  // Without a reset the cursor starts at the first child.
  str name;
  TXmlNode* child = nullptr;
  int count = 0;
  while (doc.GetNextChild(&name, &child))
    ++count;
  EXPECT_EQ(3, count);
  EXPECT_FALSE(doc.GetNextChild(&name, &child));
  doc.ResetChildren();
  ASSERT_TRUE(doc.GetNextChild(&name, &child));
  EXPECT_EQ("Item", S(name));
}

TEST(XmlTree, CopiesOwnTheirChildren)
{
  TXmlNode* original = new TXmlNode;
  ASSERT_TRUE(original->ParseString("<a x=\"1\"><b>text</b></a>"));
  std::string before = Tree(*original);
  TXmlNode copy(*original);
  TXmlNode assigned;
  assigned.CreateChild("old");
  assigned = *original;
  delete original;
  EXPECT_EQ(before, Tree(copy));
  EXPECT_EQ(before, Tree(assigned));
  copy.GetChild("a")->SetContent("changed");
  EXPECT_EQ(before, Tree(assigned));
}

TEST(XmlTree, SubclassCallbacksSeeEveryEvent)
{
  class TRecorder : public TXmlNode
  {
  public:
    std::string mLog;

  protected:
    TXmlNode* OnOpenTag(str const& name) override
    {
      mLog += "open:" + S(name) + ";";
      return this;  // flatten: everything lands here
    }
    void OnEndTag(str const& tag) override { mLog += "end:" + S(tag) + ";"; }
    void OnContent(str const& text, int) override { mLog += "text:" + S(text) + ";"; }
    void OnAttribute(str const& name, str const& value, bool quoted) override
    {
      mLog += "attr:" + S(name) + "=" + S(value) + (quoted ? "q;" : ";");
    }
  };
  TRecorder recorder;
  ASSERT_TRUE(recorder.ParseString("<a k=v>hi</a><b/>"));
  EXPECT_EQ("open:a;attr:k=v;text:hi;end:/a;open:b;end:>;", recorder.mLog);
}
