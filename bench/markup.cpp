// Document building and reading with the markup cursor, at the sizes of effect
// documents: a particle-system-like element of 60 values, and an effect that
// nests eight of them as sub-documents.
#include "ZrMarkup.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

VEXA::VexaString BuildSystem(int values)
{
    ZRC::ZrMarkup xml;
    xml.AddElem("ParticleSystem", nullptr, 0, 0);
    VEXA::VexaString number;
    for (int i = 0; i < values; ++i) {
        number.Format("%f", i * 0.25);
        const std::string name = "Value" + std::to_string(i) + ":X";
        xml.AddElem(name.c_str(), number, 0, 1);
    }
    return xml.m_strDocText;
}

void BM_BuildSystemDocument(benchmark::State& state)
{
    const int values = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildSystem(values));
    state.SetItemsProcessed(state.iterations() * values);
}
BENCHMARK(BM_BuildSystemDocument)->Arg(60)->Arg(240);

void BM_BuildEffectFromSubDocs(benchmark::State& state)
{
    const VEXA::VexaString system = BuildSystem(60);
    for (auto _ : state) {
        ZRC::ZrMarkup effect;
        effect.AddElem("QuenmarParticleEffect", nullptr, 0, 0);
        effect.AddElem("EffectType", "1", 0, 1);
        for (int i = 0; i < 8; ++i)
            effect.AddSubDoc(system, 0, 1);
        benchmark::DoNotOptimize(effect.m_strDocText);
    }
}
BENCHMARK(BM_BuildEffectFromSubDocs);

void BM_ReadSystemDocument(benchmark::State& state)
{
    const VEXA::VexaString text = BuildSystem(60);
    for (auto _ : state) {
        ZRC::ZrMarkup xml(text);
        double sum = 0;
        if (xml.FindElem("ParticleSystem")) {
            for (int i = 0; i < 60; ++i) {
                const std::string name = "Value" + std::to_string(i) + ":X";
                if (xml.FindChildElem(name.c_str()))
                    sum += std::atof(xml.GetChildData());
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadSystemDocument);

} // namespace
