// The frame-header search on a file whose first frame sits on the last of
// the 15 001 candidate offsets, against a search that reads each candidate
// from the file on its own.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "core/BinaryFile.h"
#include "id3v2/ID3V2Helpers.h"
#include "mpeg/MPEGHeader.h"

using namespace korvel;

namespace {

// A scratch file: 15 000 bytes in front of ten 128 kbit/s frames. The filler
// is either random bytes without 0xFF (few candidates) or 0xFF throughout
// (every offset is a candidate that fails on its bit-rate index).
class FarHeaderFile {
public:
    explicit FarHeaderFile(bool dense) {
        char name[] = "/tmp/korvel-bench-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0) std::abort();
        ::close(fd);
        m_path = name;
        Bytes data(15000);
        std::mt19937 rng(7);
        for (uint8_t& b : data) b = dense ? 0xFF : static_cast<uint8_t>(rng() % 0xFF);
        for (int f = 0; f < 10; ++f) {
            Bytes frame(417, 0);
            frame[0] = 0xFF;
            frame[1] = 0xFB;
            frame[2] = 0x90;
            frame[3] = 0x64;
            data.insert(data.end(), frame.begin(), frame.end());
        }
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }
    ~FarHeaderFile() { ::unlink(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// One 4-byte read per candidate offset.
int64_t NaiveSearch(const BinaryFile& file, int64_t start) {
    const int64_t length = file.Length();
    for (int64_t o = start; o <= start + 15000 && o + 5 < length; ++o) {
        const Bytes four = file.ReadAt(o, 4);
        if (IsValidFrameHeader(BytesToLong(four, 0, 4))) return o;
    }
    return -1;
}

void BM_LoadHeaderEx(benchmark::State& state) {
    const FarHeaderFile scratch(state.range(0) != 0);
    const BinaryFile file(scratch.Path());
    MPEGHeader header;
    for (auto _ : state) {
        if (!header.LoadHeaderEx(file, 0) || header.HeaderOffset() != 15000) {
            state.SkipWithError("header not found at 15000");
            break;
        }
        benchmark::DoNotOptimize(header.BitRate());
    }
}

void BM_NaivePerOffsetSearch(benchmark::State& state) {
    const FarHeaderFile scratch(state.range(0) != 0);
    const BinaryFile file(scratch.Path());
    for (auto _ : state) {
        const int64_t found = NaiveSearch(file, 0);
        if (found != 15000) {
            state.SkipWithError("header not found at 15000");
            break;
        }
        benchmark::DoNotOptimize(found);
    }
}

}  // namespace

BENCHMARK(BM_LoadHeaderEx)->ArgName("dense")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NaivePerOffsetSearch)->ArgName("dense")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
