// A 5,000-line key="value" file: reading one key near its end
// (VLIBFileGetKeyValue) and setting one key (VLIBFileSetKeyValue, a full
// crash-safe rewrite), next to the plain getline scan and plain
// mkstemp/write/fsync/rename rewrite of the same file measured in the same run.
//
// The rewrite is measured with and without its fsync. The library always
// syncs; this program defines fsync itself (calls from the statically linked
// library resolve to this definition), passing through to the C library's
// unless a "NoSync" benchmark is running.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <vorl/conf.h>

namespace {

bool g_fSkipSync = false;

const char *const kPath = "/etc/bench.conf";
const int kLines = 5000;
const char *const kKey = "key_4990";

std::string Content() {
    std::string s;
    char line[64];
    for (int i = 0; i < kLines; ++i) {
        snprintf(line, sizeof line, "key_%d=\"value number %d\"\n", i, i);
        s += line;
    }
    return s;
}

void WriteContent() {
    std::string s = Content();
    FILE *fp = fopen(kPath, "w");
    if (!fp || fwrite(s.data(), 1, s.size(), fp) != s.size() || fclose(fp) != 0) abort();
}

struct SyncMode {
    explicit SyncMode(bool fSkip) { g_fSkipSync = fSkip; }
    ~SyncMode() { g_fSkipSync = false; }
};

void BM_GetKeyValue(benchmark::State &state) {
    WriteContent();
    char buf[64];
    for (auto _ : state) {
        if (VLIBFileGetKeyValue(kPath, kKey, buf, sizeof buf, 0) <= 0) state.SkipWithError("read");
        benchmark::DoNotOptimize(buf);
    }
}

// The anchor: getline over the file until the key's line.
void BM_PlainGetlineScan(benchmark::State &state) {
    WriteContent();
    const std::string prefix = std::string(kKey) + "=";
    for (auto _ : state) {
        FILE *fp = fopen(kPath, "r");
        char *line = nullptr;
        size_t cap = 0;
        bool found = false;
        while (!found && getline(&line, &cap, fp) > 0)
            found = strncmp(line, prefix.c_str(), prefix.size()) == 0;
        free(line);
        fclose(fp);
        if (!found) state.SkipWithError("scan");
    }
}

void SetKey(benchmark::State &state, bool fSkipSync) {
    WriteContent();
    SyncMode mode(fSkipSync);
    int i = 0;
    for (auto _ : state) {
        const char *value = (i++ & 1) ? "one value" : "another value";
        if (VLIBFileSetKeyValue(kPath, kKey, value, VORL_KEY_QUOTED_FORMAT) != 1)
            state.SkipWithError("rewrite");
    }
}
void BM_SetKeyValue(benchmark::State &state) {
    SetKey(state, false);
}
void BM_SetKeyValueNoSync(benchmark::State &state) {
    SetKey(state, true);
}

// The anchor: read the whole file, write it to a temporary file, fsync, rename.
void PlainRewrite(benchmark::State &state, bool fSkipSync) {
    WriteContent();
    SyncMode mode(fSkipSync);
    std::string content = Content();
    for (auto _ : state) {
        char tmp[64];
        snprintf(tmp, sizeof tmp, "%s.XXXXXX", kPath);
        int fd = mkstemp(tmp);
        bool ok =
            fd >= 0 &&
            write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
            fsync(fd) == 0 && close(fd) == 0 && rename(tmp, kPath) == 0;
        if (!ok) state.SkipWithError("plain rewrite");
    }
}
void BM_PlainRewrite(benchmark::State &state) {
    PlainRewrite(state, false);
}
void BM_PlainRewriteNoSync(benchmark::State &state) {
    PlainRewrite(state, true);
}

}  // namespace

extern "C" int fsync(int fd) {
    using Fn = int (*)(int);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fsync"));
    return g_fSkipSync ? 0 : real(fd);
}

BENCHMARK(BM_GetKeyValue)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainGetlineScan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetKeyValue)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainRewrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetKeyValueNoSync)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainRewriteNoSync)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
