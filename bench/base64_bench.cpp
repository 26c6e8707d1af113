// base64::decode_into on 1 KiB, 64 KiB and 1 MiB of text, beside a plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "kivo/base64.h"

namespace {

// Valid base64 text of exactly `size` characters.
std::string text_of_size(std::size_t size)
{
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::mt19937 random(1);
    std::string text(size, 'A');
    for (char& c : text)
        c = alphabet[random() % 64];
    return text;
}

void decode(benchmark::State& state)
{
    const std::string text = text_of_size(std::size_t(state.range(0)));
    for (auto _ : state) {
        std::string out = base64::decode_into<std::string>(text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void copy(benchmark::State& state)
{
    const std::string text = text_of_size(std::size_t(state.range(0)));
    std::string out(text.size(), '\0');
    for (auto _ : state) {
        std::memcpy(out.data(), text.data(), text.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

BENCHMARK(decode)->Name("base64/decode")->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20);
BENCHMARK(copy)->Name("base64/memcpy")->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20);

} // namespace
