// xmlnode_test: the XML tree: tokenizer, tolerant parser, writer, compressed documents,
// and refusal of hostile input (lying headers, deep nesting, truncation).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <cstdlib>
#include <cstdio>
#include <cstring>
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
  for (;;) {
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
      {"&amp;", "&", true},          {"&amp;lt;", "&lt;", true}, // a result is not resolved again
      {"x&lt;y&gt;", "x<y>", false}, {"&quot;&apos;", "\"'", true},
      {"&#65;BC", "ABC", true},      {"&#321;", "A", true}, // cut to 8 bits
      {"&#65", "&#65", false},                              // no ";": stays
      {"&bogus;", "&bogus;", false}, {"a&", "a&", false},
  };
  for (Case const& c : cases) {
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

TEST(XmlWhole, OnlyAWellFormedDocumentPassesAndTheReasonComesBackUnlogged)
{
  const char* const good[] = {
      "<?xml version=\"1.0\"?>\n<!-- a comment, with words=1 -->\n<r a=\"1\" b=\"x &lt; y\"><s/><t c=\"\">"
      "text</t></r>\n",
      "<!DOCTYPE r><r><s><s/></s></r>",
  };
  for (const char* text : good) {
    TXmlNode doc;
    str fault;
    EXPECT_TRUE(doc.ParseWhole(text, strlen(text), "reply", &fault)) << text << ": " << fault.c_str();
  }
  const struct
  {
    const char* text;
    const char* fault;
  } bad[] = {
      {"<r><s></r></s>", "reply is not well-formed: end tag </r> closes <s>"},
      {"<r></r></x>", "reply is not well-formed: end tag </x> closes no element"},
      {"<r a=1/>", "reply is not well-formed: attribute a of <r> is not in double quotes"},
      {"<r a=\"1\" a=\"2\"/>", "reply is not well-formed: attribute a of <r> is given twice"},
      {"<r a=\"<\"/>", "reply is not well-formed: attribute a of <r> holds a \"<\""},
      {"<r a/>", "reply is not well-formed: tag <r> has an attribute without a value"},
      {"<r>", "reply is cut short: it ends inside an element"},
      {"<r/><r/>", "reply is not well-formed: it holds more than one root element"},
      {"<r a=", "XML input ends inside a tag in reply"},
  };
  for (const auto& c : bad) {
    TXmlNode doc;
    str fault;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(doc.ParseWhole(c.text, strlen(c.text), "reply", &fault)) << c.text;
    EXPECT_EQ("", testing::internal::GetCapturedStderr()) << c.text;
    EXPECT_EQ(c.fault, S(fault)) << c.text;
    // Without a place for the reason it is one line; the tolerant parse takes what it can.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(TXmlNode().ParseWhole(c.text, strlen(c.text), "reply"));
    EXPECT_EQ(std::string("ERROR: ") + c.fault + "\n", testing::internal::GetCapturedStderr());
  }
  TXmlNode tolerant;
  EXPECT_TRUE(tolerant.ParseString("<r><s></r></s>"));
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
  for (Case const& c : cases) {
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

TEST(XmlFile, AFileCutBetweenTagsIsRefusedAndNamedAndKeepsWhatCameBefore)
{
  // Plain and compressed: the cut falls where no tag is open, inside two elements.
  for (bool compressed : {false, true}) {
    const std::string text = "<scene id=\"m\"><objects><object id=\"a\"/>";
    std::string path = TempPath(compressed ? "cut.zsxm" : "cut.sxm");
    WriteFile(path, compressed ? MakeZxml(text) : text);
    TXmlNode doc;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(doc.ParseFile(("::" + path).c_str()));
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, log.find("ERROR: XML file ::" + path + " is cut short")) << log;
    EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n')) << log;
    ASSERT_NE(nullptr, doc.GetChild("scene"));
    EXPECT_NE(nullptr, doc.GetChild("scene")->GetChild("objects")->GetChild("object"));
  }
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
  score.SetAttribute("guid", "G&1"); // replaces the first, keeps its place
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
  EXPECT_TRUE(quoted); // untouched

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
      return this; // flatten: everything lands here
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

// ---------------------------------------------------------------------------------------
// The quick path against the callbacks, over generated documents

namespace {

// The tree as the parsing callbacks build it, in a subclass of its own: the reference
// that the parser's quick path (nodes and strings in the document's arena, tokens taken
// where they lie) must match. Written in the writer's layout for comparison.
class TMirror : public TXmlNode
{
public:
  std::string mMirrorName;
  std::string mMirrorContent;
  std::vector<std::pair<std::string, std::string>> mMirrorAttributes;
  std::vector<bool> mMirrorQuoted;
  std::vector<std::unique_ptr<TMirror>> mMirrorChildren;

  void Write(std::string& out, int indent) const
  {
    out += std::string(indent, ' ') + "<" + mMirrorName;
    for (size_t i = 0; i < mMirrorAttributes.size(); ++i) {
      const char* quote = mMirrorQuoted[i] ? "\"" : "";
      out += "\n" + std::string(indent + 4, ' ') + S(xmlSafeString(mMirrorAttributes[i].first.c_str())) + "=" + quote +
             S(xmlSafeString(mMirrorAttributes[i].second.c_str())) + quote;
    }
    out += ">\n";
    if (!mMirrorContent.empty())
      out += std::string(indent, ' ') + S(xmlSafeString(mMirrorContent.c_str())) + "\n";
    for (auto const& child : mMirrorChildren)
      child->Write(out, indent + 4);
    out += std::string(indent, ' ') + "</" + S(xmlSafeString(mMirrorName.c_str())) + ">\n";
  }

protected:
  TXmlNode* OnOpenTag(str const& name) override
  {
    mMirrorChildren.emplace_back(new TMirror());
    mMirrorChildren.back()->mMirrorName = S(name);
    return mMirrorChildren.back().get();
  }
  void OnContent(str const& text, int length) override
  {
    std::string token = S(text).substr(0, (size_t)std::max(length, 0));
    if (token.empty())
      return;
    mMirrorContent += (mMirrorContent.empty() ? "" : " ") + token;
  }
  void OnAttribute(str const& name, str const& value, bool quoted) override
  {
    mMirrorAttributes.emplace_back(S(name), S(value));
    mMirrorQuoted.push_back(quoted);
  }
};

// A source without a window: every byte through DoGetChar, every step back through
// UngetChar, as a source of another kind would give them.
class TByteSource : public TGetChar
{
public:
  explicit TByteSource(std::string const& text) : mText(text) {}
  int DoGetChar() override { return mAt < mText.size() ? (unsigned char)mText[mAt++] : -1; }
  int UngetChar(int c) override { return mAt > 0 ? (--mAt, c) : -1; }
  void Rewind() override { mAt = 0; }

private:
  std::string mText;
  size_t mAt = 0;
};

// Documents from fragments the tolerant parser meets: tags with quoted, bare, empty and
// nameless attributes, self-closing slashes, declarations and comments, every escape
// form, several-byte characters (some cut short), all blanks, stray markup and the end
// marker byte; sometimes cut anywhere.
std::string GeneratedDocument(std::mt19937& draw, size_t length)
{
  static const char* const kNames[] = {"a", "scene", "object", "state", "x1", "ñame", "a-b", "\xe2\x82\xac"};
  static const char* const kWords[] = {"word",    "&amp;",  "&lt;tag&gt;", "&quot;q&quot;",
                                       "&apos;",  "&#65;",  "&#0;x",       "&#x41;",
                                       "&bogus;", "&",      "é",           "\xf0\x9f\x98\x80",
                                       "=",       ">",      "a=b",         "\"in quotes\"",
                                       "\"\"",    "/",      "x/",          "\xc3",
                                       "\xff",    "&#233;", "&#-3;",       "&#;"};
  static const char* const kBlanks[] = {" ", "  ", "\t", "\n", "\r\n", "\v", "\f"};
  auto pick = [&](size_t n) { return (size_t)(draw() % n); };
  std::string doc;
  while (doc.size() < length) {
    std::string blank = kBlanks[pick(7)];
    switch (pick(9)) {
    case 0:
    case 1: {
      doc += "<" + std::string(kNames[pick(8)]);
      for (size_t i = pick(4); i > 0; --i) {
        doc += blank + kNames[pick(8)];
        switch (pick(6)) {
        case 0:
          doc += "=\"" + std::string(kWords[pick(24)]) + "\"";
          break;
        case 1:
          doc += "=" + std::string(kWords[pick(12)]);
          break;
        case 2:
          doc += "=\"\"";
          break;
        case 3:
          doc += " = \"v w\"";
          break;
        case 4:
          break;
        default:
          doc += "=\"a&amp;b\"";
          break;
        }
      }
      doc += pick(3) == 0 ? "/>" : pick(2) ? ">" : " />";
      break;
    }
    case 2:
      doc += "</" + std::string(pick(4) ? kNames[pick(8)] : "") + ">";
      break;
    case 3:
      doc += pick(2) ? "<?xml version=\"1.0\"?>" : pick(2) ? "<!DOCTYPE x>" : "<!-- a=b c -->";
      break;
    default:
      doc += kWords[pick(24)];
      break;
    }
    doc += blank;
  }
  if (pick(4) == 0)
    doc.resize(pick(doc.size() + 1));
  return doc;
}

std::string MirrorTree(std::string const& doc)
{
  TMirror mirror;
  mirror.ParseBuffer(doc.data(), doc.size());
  std::string out;
  mirror.Write(out, 0);
  return out;
}

} // namespace

TEST(XmlParse, QuickPathBuildsTheTreeTheCallbacksDescribe)
{
  std::mt19937 draw(2024);
  std::string path = TempPath("generated.xml");
  for (int round = 0; round < 300; ++round) {
    // Some documents run past the file source's read-ahead block.
    const std::string doc = GeneratedDocument(draw, round % 10 == 0 ? 9000 : 200);
    const std::string expected = MirrorTree(doc);
    TXmlNode fromBuffer;
    fromBuffer.ParseBuffer(doc.data(), doc.size());
    ASSERT_EQ(expected, Tree(fromBuffer)) << doc;
    // The file and windowless sources stop at no end marker: compare up to it.
    const std::string upToMarker = doc.substr(0, doc.find('\xff'));
    const std::string expectedUpToMarker = MirrorTree(upToMarker);
    TByteSource bytes(upToMarker);
    TXmlNode fromBytes;
    fromBytes.Parse(&bytes);
    ASSERT_EQ(expectedUpToMarker, Tree(fromBytes)) << upToMarker;
    if (round % 10 == 0) {
      WriteFile(path, upToMarker);
      TXmlNode fromFile;
      fromFile.ParseFile(("::" + path).c_str());
      ASSERT_EQ(expectedUpToMarker, Tree(fromFile)) << upToMarker;
    }
    // A copy owns heap nodes and strings of its own, and outlives the parsed document.
    std::unique_ptr<TXmlNode> copy;
    {
      TXmlNode parsed;
      parsed.ParseBuffer(doc.data(), doc.size());
      copy.reset(new TXmlNode(parsed));
    }
    EXPECT_EQ(expected, Tree(*copy));
  }
}

// Attributes written name="value" are read in one step, every other form by the tokens:
// both give what the callbacks describe, a stray name or slash before them included.
TEST(XmlParse, PlainAttributesReadLikeTheTokens)
{
  for (const char* doc : {"<a / c=\"1\"><b/></a>", "<a / c = \"1\"><b/></a>", "<a x c=\"1\" d=\"\"/>t",
                          "<a x=\"1\" y=\"p&amp;q\" z=2 w=\"\xc3\xa9\"></a>", "<?xml version=\"1.0\"?><a k=\"v\"/>",
                          "<a n=\"cut", "<a n=\"v\"/ ><b/>"}) {
    TXmlNode parsed;
    parsed.ParseBuffer(doc, strlen(doc));
    EXPECT_EQ(MirrorTree(doc), Tree(parsed)) << doc;
    TByteSource bytes(doc);
    TXmlNode fromBytes;
    fromBytes.Parse(&bytes);
    EXPECT_EQ(Tree(parsed), Tree(fromBytes)) << doc;
  }
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<a / c=\"1\"><b/></a>"));
  ASSERT_NE(doc.GetChild("a"), nullptr);
  EXPECT_EQ("1", S(doc.GetChild("a")->GetAttribute("c")));
  EXPECT_NE(doc.GetChild("a")->GetChild("b"), nullptr);
}

TEST(XmlTree, ValuesReadFromADocumentOutliveIt)
{
  str name;
  str value;
  str content;
  {
    TXmlNode doc;
    ASSERT_TRUE(doc.ParseString("<a k=\"value of k\">some words</a>"));
    TXmlNode* a = nullptr;
    doc.ResetChildren();
    ASSERT_TRUE(doc.GetNextChild(&name, &a));
    value = a->GetAttribute("k");
    content = a->GetContent();
    // A string assigned from the document and then changed leaves the document alone.
    str changed = a->GetName();
    changed += "!";
    EXPECT_EQ("a", S(a->GetName()));
  }
  EXPECT_EQ("a", S(name));
  EXPECT_EQ("value of k", S(value));
  EXPECT_EQ("some words", S(content));
  EXPECT_EQ(1, value.use_count());
}

TEST(XmlTree, NodesChangedAfterTheParseKeepTheirChanges)
{
  // Strings set and nodes added by hand live on the heap among the parsed ones; nodes
  // parsed into a parsed node join its document.
  TXmlNode doc;
  ASSERT_TRUE(doc.ParseString("<r><a x=1/><b>text</b></r>"));
  TXmlNode* r = doc.GetChild("r");
  ASSERT_NE(r, nullptr);
  r->GetChild("a")->SetAttribute("x", "changed");
  r->GetChild("a")->SetAttribute("y", 7);
  r->GetChild("b")->SetContent("new text");
  r->GetChild("b")->SetName("bee");
  r->CreateChild("made")->SetAttribute("k", "v");
  ASSERT_TRUE(r->GetChild("made")->ParseString("<inner q=\"1\">deep</inner>"));
  ASSERT_TRUE(r->ParseString("<c/>"));
  *r->GetChild("c") = *r->GetChild("a");
  EXPECT_EQ("<r>\n    <a\n        x=\"changed\"\n        y=\"7\">\n    </a>\n    <bee>\n    new text\n    </bee>\n"
            "    <made\n        k=\"v\">\n        <inner\n            q=\"1\">\n        deep\n        </inner>\n"
            "    </made>\n    <a\n        x=\"changed\"\n        y=\"7\">\n    </a>\n</r>\n",
            S(r->AsString()));
  // Assigning a parsed document replaces it whole.
  TXmlNode other;
  ASSERT_TRUE(other.ParseString("<z/>"));
  doc = other;
  EXPECT_EQ(nullptr, doc.GetChild("r"));
  EXPECT_NE(nullptr, doc.GetChild("z"));
}
