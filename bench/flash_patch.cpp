// How close the patch stage's write and verify loop runs to the I/O limit:
// one partition patched on the simulated NOR flash (set size, unlock, erase,
// write 16 KiB blocks, verify 8 KiB blocks, FIS entry) against dd (bs=16384)
// plus cmp of the same image, to a plain file and to the simulated device,
// and a plain pwrite/pread+memcmp loop. Bytes per second are image bytes.
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "flash.h"
#include "flashimage.h"

extern long gBenchProgressWrites;

namespace {

constexpr uint32_t kMiB = 1 << 20;
const char *const kDir = "/volume1/upd@te";

// A 40 MiB flash whose kernel partition holds up to 20 MiB.
void Install(size_t imageBytes) {
    vorlsim::SimKernel k;
    vorlsim::RedBootFlash f;
    f.flashBase = 0xFC000000;
    f.flashSize = 40 * kMiB;
    f.eraseSize = 0x10000;
    f.partitions = {
        {"zImage", 1, 0xFC000000, 20 * kMiB, "", -1, -1, true},
        {"FIS Directory", 7, 0xFC000000 + 40 * kMiB - 0x10000, 0x10000, "", -1, -1, true},
    };
    k.redboot = f;
    std::string error;
    if (!vorlsim::InstallKernel("", k, &error)) fprintf(stderr, "install: %s\n", error.c_str());
    mkdir("/volume1", 0755);
    mkdir(kDir, 0755);
    std::string image = vorlsim::PatternBytes(imageBytes, 7);
    FILE *fp = fopen((std::string(kDir) + "/zImage").c_str(), "wb");
    fwrite(image.data(), 1, image.size(), fp);
    fclose(fp);
}

void Plan(uint32_t imageBytes) {
    UPDTInitLayoutTables(0);
    snprintf(gszDevMtdPartition, sizeof gszDevMtdPartition, "/dev/mtd7");
    snprintf(gszUpdateDir, sizeof gszUpdateDir, "%s", kDir);
    gEraseBlockSize = 0x10000;
    for (int i = 0; i < gnPatchInfo; i++)
        gPatchInfo[i].fneedupdate = 0;
    PATCHINFO &z = gPatchInfo[1];
    z.start = 0xFC000000;
    z.size = 20 * kMiB;
    z.datalen = imageBytes;
    z.fneedupdate = 1;
}

int Run(const std::vector<const char *> &args) {
    std::vector<const char *> argv = args;
    argv.push_back(nullptr);
    return UPDTExecute(argv.data());
}

void BM_PatchStage(benchmark::State &state) {
    const auto bytes = static_cast<uint32_t>(state.range(0) * kMiB);
    Install(bytes);
    Plan(bytes);
    setlogmask(LOG_UPTO(LOG_CRIT));  // the stage's log lines are not what is measured
    VORL_FIS_ENTRY entry{};
    gBenchProgressWrites = 0;
    for (auto _ : state) {
        if (UPDTDoPatch(&entry, 1) != 0) state.SkipWithError("patch failed");
    }
    setlogmask(LOG_UPTO(LOG_DEBUG));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.counters["progress_writes"] =
        benchmark::Counter(static_cast<double>(gBenchProgressWrites) / state.iterations());
}

// dd (bs=16384) and cmp of the image: to a plain file, or to the simulated
// device after an erase (what the patch stage does, in two programs).
void DdCmp(benchmark::State &state, bool device) {
    const auto bytes = static_cast<uint32_t>(state.range(0) * kMiB);
    Install(bytes);
    Plan(bytes);
    std::string image = std::string(kDir) + "/zImage";
    std::string target = device ? "/dev/mtd1" : "/volume1/target";
    std::string count = "-n" + std::to_string(bytes);
    if (device) VORLMTDUnlockPartition("/dev/mtd1");
    for (auto _ : state) {
        if (device) VORLMTDErasePartition("/dev/mtd1");
        if (Run({"/bin/dd", ("if=" + image).c_str(), ("of=" + target).c_str(), "bs=16384",
                 "conv=notrunc", "status=none"}) != 0 ||
            Run({"/usr/bin/cmp", count.c_str(), image.c_str(), target.c_str()}) != 0)
            state.SkipWithError("dd or cmp failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

void BM_DdCmpFile(benchmark::State &state) {
    DdCmp(state, false);
}
void BM_DdCmpDevice(benchmark::State &state) {
    DdCmp(state, true);
}

// One process, plain file: pwrite the image in 16 KiB blocks, pread it back
// in 8 KiB blocks and compare.
void BM_PlainLoop(benchmark::State &state) {
    const auto bytes = static_cast<size_t>(state.range(0) * kMiB);
    std::string image = vorlsim::PatternBytes(bytes, 7);
    int fd = open("/volume1/plain", O_RDWR | O_CREAT | O_TRUNC, 0644);
    std::vector<char> back(8192);
    for (auto _ : state) {
        for (size_t off = 0; off < bytes; off += 16384)
            if (pwrite(fd, image.data() + off, std::min<size_t>(16384, bytes - off),
                       static_cast<off_t>(off)) < 0)
                state.SkipWithError("pwrite");
        for (size_t off = 0; off < bytes; off += 8192) {
            size_t n = std::min<size_t>(8192, bytes - off);
            if (pread(fd, back.data(), n, static_cast<off_t>(off)) != static_cast<ssize_t>(n) ||
                memcmp(back.data(), image.data() + off, n) != 0)
                state.SkipWithError("compare");
        }
    }
    close(fd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

// One progress write as the driver makes it (open, flock, write, close): the
// stage writes a value only when it changes (41 per patch) instead of after
// every block (3 per 16 KiB).
void BM_ProgressWrite(benchmark::State &state) {
    int percent = 0;
    for (auto _ : state)
        UPDTSetProgress('P', 60 + (percent++ % 40));
}

}  // namespace

BENCHMARK(BM_ProgressWrite);
BENCHMARK(BM_PatchStage)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DdCmpDevice)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DdCmpFile)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLoop)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
