// Encode and decode of the wire records, the relay's and the server's hot path.
#include <benchmark/benchmark.h>

#include "HalvaneProtocol/HookDecision.h"
#include "HalvaneProtocol/HookEvent.h"

namespace {

halvane::HookEvent sampleEvent() {
    halvane::HookEvent event;
    event.kind = halvane::HookEvent::Kind::permissionRequest;
    event.sessionId = "0b5c3b8e-1f4a-4f0e-9a43-2d1c9a7e5f10";
    event.cwd = "/home/ada/src/engine";
    event.tool = "Edit";
    event.toolInput = R"({"file_path":"/home/ada/src/engine/src/main.cpp","old_string":")" +
                      std::string(800, 'x') + R"(","new_string":")" + std::string(900, 'y') + "\"}";
    event.timestamp = 786000123.25;
    event.terminalId = "org.gnome.Terminal";
    event.terminalPid = 812;
    event.claudePid = 4242;
    return event;
}

void encodeEvent(benchmark::State& state) {
    const auto event = sampleEvent();
    for (auto _ : state) {
        benchmark::DoNotOptimize(event.encode());
    }
}
BENCHMARK(encodeEvent);

void decodeEvent(benchmark::State& state) {
    const std::string text = sampleEvent().encode();
    for (auto _ : state) {
        benchmark::DoNotOptimize(halvane::HookEvent::decode(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(decodeEvent);

void decodeDecision(benchmark::State& state) {
    const std::string text = R"({"decision":"deny","reason":"Not in production"})";
    for (auto _ : state) {
        benchmark::DoNotOptimize(halvane::HookDecision::decode(text));
    }
}
BENCHMARK(decodeDecision);

}  // namespace

BENCHMARK_MAIN();
