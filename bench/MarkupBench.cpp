// Parsing a 1 MB skin: CMarkup against TinyXML on the same UTF-8 text, each building its tree.
// Compare BM_MarkupParse / BM_TinyXmlParse (goal: below 1).

#include <benchmark/benchmark.h>

#include <string>

#include <tinyxml.h>

#include "ui/core/Markup.h"

namespace {

// Rows of controls as a list skin holds them: attributes, a little text, nesting, a comment.
std::string MakeSkin(size_t bytes)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"800,600\" caption=\"0,0,0,32\">\n";
    xml += "<Font id=\"0\" name=\"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\" size=\"12\"/>\n<VerticalLayout>\n";
    for (int row = 0; xml.size() < bytes; ++row) {
        const std::string n = std::to_string(row);
        xml += "  <!-- row " + n + " -->\n";
        xml += "  <HorizontalLayout name=\"row" + n + "\" height=\"40\" bkcolor=\"#FFF5F5F5\" padding=\"4,2,4,2\">\n";
        xml += "    <Label name=\"title" + n + "\" text=\"clip &amp; title " + n + "\" font=\"0\" textcolor=\"#FF333333\" width=\"200\"/>\n";
        xml += "    <Button name=\"del" + n + "\" normalimage=\"file='del.png' source='0,0,16,16'\" hotimage=\"file='del.png' source='16,0,32,16'\" tooltip=\"Remove\"/>\n";
        xml += "    <Text>row " + n + " of the list</Text>\n";
        xml += "  </HorizontalLayout>\n";
    }
    xml += "</VerticalLayout>\n</Window>\n";
    return xml;
}

const std::string& Skin()
{
    static const std::string skin = MakeSkin(1 << 20);
    return skin;
}

void BM_MarkupParse(benchmark::State& state)
{
    const std::string& skin = Skin();
    for (auto _ : state) {
        SkinUI::CMarkup doc;
        const bool ok = doc.LoadFromMem(reinterpret_cast<const BYTE*>(skin.data()), static_cast<DWORD>(skin.size()));
        if (!ok)
            state.SkipWithError("CMarkup failed to parse the skin");
        benchmark::DoNotOptimize(doc.GetRoot().GetName());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * skin.size()));
}

void BM_TinyXmlParse(benchmark::State& state)
{
    const std::string& skin = Skin();
    for (auto _ : state) {
        TiXmlDocument doc;
        doc.Parse(skin.c_str(), nullptr, TIXML_ENCODING_UTF8);
        if (doc.Error())
            state.SkipWithError("TinyXML failed to parse the skin");
        benchmark::DoNotOptimize(doc.RootElement());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * skin.size()));
}

}  // namespace

BENCHMARK(BM_MarkupParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TinyXmlParse)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
