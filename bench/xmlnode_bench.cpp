// xmlnode_bench: parsing scene-like documents of about 1 MB and 10 MB into a TXmlNode tree
// beside tinyxml2 and pugixml on the same bytes (each parse checked to have built the whole
// tree), and writing the tree back; prints the parse ratios.
#include "core/foundation/xmlnode.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <map>
#include <string>

#include "benchreport.h"

#ifdef QV_HAVE_TINYXML2
#include <tinyxml2.h>
#endif
#ifdef QV_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

namespace {

// Objects with states and actions, attributes of every kind and short texts, nested a
// few levels deep, like the scene and configuration files the game reads.
std::string MakeDocument(size_t bytes)
{
  std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<scene name=\"bench\" width=\"800\" height=\"600\">\n";
  char line[512];
  for (int i = 0; doc.size() < bytes; ++i) {
    snprintf(line, sizeof line,
             "  <object name=\"obj_%d\" type=\"image\" x=\"%d\" y=\"%d\" z=\"%d\" alpha=\"0.75\">\n"
             "    <state name=\"idle\" image=\"images/room/obj_%d.png\" visible=\"1\"/>\n"
             "    <state name=\"found\" image=\"images/room/obj_%d_found.png\" visible=\"0\">\n"
             "      <action event=\"click\">PlaySound(&quot;found&quot;) &amp; SetState(%d)</action>\n"
             "    </state>\n"
             "    <text>Object number %d &lt;hidden&gt; in the room</text>\n"
             "  </object>\n",
             i, i * 13 % 800, i * 7 % 600, i % 50, i, i, i, i);
    doc += line;
  }
  doc += "</scene>\n";
  return doc;
}

// The document of about megabytes MB (1 or 10), made once.
std::string const& Document(int megabytes)
{
  static std::map<int, std::string> documents;
  std::string& doc = documents[megabytes];
  if (doc.empty())
    doc = MakeDocument((size_t)megabytes * 1024 * 1024);
  return doc;
}

// Elements of the document (the declaration is none): the scene and five per object.
int ExpectedElements(std::string const& doc)
{
  int objects = 0;
  for (size_t at = doc.find("<object "); at != std::string::npos; at = doc.find("<object ", at + 1))
    ++objects;
  return 1 + 5 * objects;
}

int CountElements(TXmlNode* node)
{
  int count = 0;
  str name;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&name, &child)) {
    if (name.c_str()[0] != '?')
      count += 1 + CountElements(child);
  }
  return count;
}

// Stops the benchmark unless the parse succeeded and holds every element; the count is
// not timed.
bool CheckTree(benchmark::State& state, bool ok, int elements)
{
  static std::map<int, int> expected;
  const int megabytes = (int)state.range(0);
  if (!expected.count(megabytes))
    expected[megabytes] = ExpectedElements(Document(megabytes));
  if (ok && elements == expected[megabytes])
    return true;
  char message[128];
  snprintf(message, sizeof message, "parse %s, %d of %d elements", ok ? "succeeded" : "failed", elements,
           expected[megabytes]);
  state.SkipWithError(message);
  return false;
}

void XmlNodeParse(benchmark::State& state)
{
  std::string const& doc = Document((int)state.range(0));
  for (auto _ : state) {
    TXmlNode root;
    bool ok = root.ParseBuffer(doc.data(), doc.size());
    state.PauseTiming();
    bool whole = CheckTree(state, ok, CountElements(&root));
    state.ResumeTiming();
    if (!whole)
      break;
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)doc.size());
}
BENCHMARK(XmlNodeParse)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void XmlNodeWrite(benchmark::State& state)
{
  std::string const& doc = Document((int)state.range(0));
  TXmlNode root;
  root.ParseBuffer(doc.data(), doc.size());
  TXmlNode* scene = root.GetChild("scene");
  size_t written = 0;
  for (auto _ : state) {
    str text = scene->AsString();
    written = text.length();
    benchmark::DoNotOptimize(text.c_str());
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)written);
}
BENCHMARK(XmlNodeWrite)->Arg(1)->Unit(benchmark::kMillisecond);

#ifdef QV_HAVE_TINYXML2
int CountElements(tinyxml2::XMLElement const* element)
{
  int count = 0;
  for (; element; element = element->NextSiblingElement())
    count += 1 + CountElements(element->FirstChildElement());
  return count;
}

void TinyXml2Parse(benchmark::State& state)
{
  std::string const& doc = Document((int)state.range(0));
  for (auto _ : state) {
    tinyxml2::XMLDocument parsed;
    bool ok = parsed.Parse(doc.data(), doc.size()) == tinyxml2::XML_SUCCESS;
    state.PauseTiming();
    bool whole = CheckTree(state, ok, CountElements(parsed.FirstChildElement()));
    state.ResumeTiming();
    if (!whole)
      break;
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)doc.size());
}
BENCHMARK(TinyXml2Parse)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
#endif

#ifdef QV_HAVE_PUGIXML
int CountElements(pugi::xml_node node)
{
  int count = 0;
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element)
      count += 1 + CountElements(child);
  return count;
}

void PugiXmlParse(benchmark::State& state)
{
  std::string const& doc = Document((int)state.range(0));
  for (auto _ : state) {
    pugi::xml_document parsed;
    bool ok = parsed.load_buffer(doc.data(), doc.size());
    state.PauseTiming();
    bool whole = CheckTree(state, ok, CountElements(parsed));
    state.ResumeTiming();
    if (!whole)
      break;
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)doc.size());
}
BENCHMARK(PugiXmlParse)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
#endif

} // namespace

int main(int argc, char** argv)
{
  // Every parser gets a warm heap: freed memory stays with the allocator instead of going
  // back to the system, so no parser pays page faults that the allocator's thresholds
  // would deal one and not another, depending on what ran before it.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
  return RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    for (const char* size : {"1", "10"}) {
      const std::string mb = size;
      report.PrintRatio("XmlNodeParse/" + mb, "TinyXml2Parse/" + mb,
                        ("parse " + mb + " MB: TXmlNode vs tinyxml2").c_str(), 0.0, 1.0);
      report.PrintRatio("XmlNodeParse/" + mb, "PugiXmlParse/" + mb,
                        ("parse " + mb + " MB: TXmlNode vs pugixml").c_str(), 0.0, 3.0);
    }
  });
}
