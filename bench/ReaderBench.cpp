// The reader's speed over a script of about 20 MB, against the floor: a
// plain read of the same file with the same descrambling done in one loop.
// tools/bench.sh prints the reader's share of the floor's speed.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/BenchMachine.h"
#include "platform/Handles.h"
#include "format/FieldKey.h"
#include "reader/Quarn_ReadSpecialFile.h"

namespace qm::bench {

namespace {

constexpr int kRecords = 20000;
constexpr int kDataBytes = 1000;

// 20,000 registry additions with 1000 bytes of data each: about 20 MB.
std::string BigScript() {
    std::string source = "description \"bench\"\n";
    std::string hex;
    for (int i = 0; i < kDataBytes; ++i) hex += "5A";
    for (int i = 0; i < kRecords; ++i)
        source += "add value 'HKCU\\Software\\Bench' \"v" + std::to_string(i) + "\" REG_BINARY hex \"" + hex + "\"\n";
    return source;
}

struct Fixture {
    BenchMachine bench;
    std::string path;
    std::int64_t size = 0;
    Fixture() {
        path = bench.WriteScript(BigScript());
        Platform& p = CurrentPlatform();
        FileHandle file(p, p.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0));
        size = p.GetFileSize(file.get(), nullptr);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_ReaderWholeScript(benchmark::State& state) {
    Fixture& f = Shared();
    std::int64_t events = 0;
    for (auto _ : state) {
        TReadSpecialFile reader(f.path);
        reader.FProcessMessages = false;
        reader.OnAddRegValue = [&](TReadSpecialFile*, const std::string&, const std::string&, std::uint16_t,
                                   const std::uint8_t* data, std::uint16_t, bool) { events += data[0]; };
        reader.Read(false);
    }
    benchmark::DoNotOptimize(events);
    state.SetBytesProcessed(state.iterations() * f.size);
}
BENCHMARK(BM_ReaderWholeScript)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The floor: the file read in 64 KiB blocks through the same platform, every
// byte descrambled, in one loop.
void BM_FloorReadAndDescramble(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<std::uint8_t> block(65536);
    std::uint64_t sum = 0;
    for (auto _ : state) {
        Platform& p = CurrentPlatform();
        FileHandle file(p, p.CreateFileA(f.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0));
        DWORD got = 0;
        while (p.ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got > 0) {
            DescrambleField(block.data(), got);
            sum += block[0];
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetBytesProcessed(state.iterations() * f.size);
}
BENCHMARK(BM_FloorReadAndDescramble)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

}  // namespace qm::bench
