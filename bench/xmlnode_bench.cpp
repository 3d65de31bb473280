// xmlnode_bench: speed of parsing a scene-like document of about 1 MB with TXmlNode,
// beside tinyxml2 on the same bytes as the yardstick, and of writing the tree back.
#include "core/foundation/xmlnode.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#ifdef QV_HAVE_TINYXML2
#include <tinyxml2.h>
#endif

namespace {

// Objects with states and actions, attributes of every kind and short texts, nested a
// few levels deep, like the scene and configuration files the game reads.
std::string const& Document()
{
  static std::string const text = [] {
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<scene name=\"bench\" width=\"800\" height=\"600\">\n";
    char line[512];
    for (int i = 0; doc.size() < 1024 * 1024; ++i)
    {
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
  }();
  return text;
}

void XmlNodeParse(benchmark::State& state)
{
  std::string const& doc = Document();
  for (auto _ : state)
  {
    TXmlNode root;
    bool ok = root.ParseBuffer(doc.data(), doc.size());
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)doc.size());
}
BENCHMARK(XmlNodeParse)->Unit(benchmark::kMillisecond);

void XmlNodeWrite(benchmark::State& state)
{
  std::string const& doc = Document();
  TXmlNode root;
  root.ParseBuffer(doc.data(), doc.size());
  TXmlNode* scene = root.GetChild("scene");
  size_t written = 0;
  for (auto _ : state)
  {
    str text = scene->AsString();
    written = text.length();
    benchmark::DoNotOptimize(text.c_str());
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)written);
}
BENCHMARK(XmlNodeWrite)->Unit(benchmark::kMillisecond);

#ifdef QV_HAVE_TINYXML2
void TinyXml2Parse(benchmark::State& state)
{
  std::string const& doc = Document();
  for (auto _ : state)
  {
    tinyxml2::XMLDocument parsed;
    tinyxml2::XMLError result = parsed.Parse(doc.data(), doc.size());
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)doc.size());
}
BENCHMARK(TinyXml2Parse)->Unit(benchmark::kMillisecond);
#endif

} // namespace

BENCHMARK_MAIN();
