// Baseline of the record store for the account databases: a store of 10,000
// user-like records ("%06d" uid -> passwd line) built from scratch, and
// 10,000 lookups of random keys in it. Runs inside the appliance sandbox, so
// the stores live in its /tmp like the real ones.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <vorl/bdb.h>

namespace {

constexpr int kRecords = 10000;
const char *const kPath = "/tmp/.db.bench";

std::string Key(int i) {
    char sz[16];
    snprintf(sz, sizeof(sz), "%06d", 1000 + i);
    return sz;
}

std::string Value(int i) {
    // A passwd line with its NUL, as the user database stores it.
    std::string v = "user" + std::to_string(i) + ":x:" + std::to_string(1000 + i) +
                    ":100::/var/services/homes/user" + std::to_string(i) + ":/sbin/nologin";
    v.push_back('\0');
    return v;
}

bool Fill(VORLBDB *db) {
    for (int i = 0; i < kRecords; ++i) {
        std::string k = Key(i), v = Value(i);
        if (VORLBDbSet(db, k.data(), static_cast<int>(k.size()), v.data(),
                       static_cast<int>(v.size())) != 0)
            return false;
    }
    return true;
}

// Open a fresh store, insert 10,000 records, close (which writes the file).
void BM_Insert10000IntoFreshStore(benchmark::State &state) {
    for (auto _ : state) {
        unlink(kPath);
        VORLBDB *db = VORLBDbOpen(kPath, O_RDWR | O_CREAT, 0);
        if (!db || !Fill(db)) {
            state.SkipWithError("store failed");
            break;
        }
        VORLBDbClose(db);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Insert10000IntoFreshStore)->Unit(benchmark::kMillisecond);

// 10,000 gets of random existing keys in a closed and reopened store, into
// one reused caller buffer.
void BM_Get10000Random(benchmark::State &state) {
    unlink(kPath);
    VORLBDB *db = VORLBDbOpen(kPath, O_RDWR | O_CREAT, 0);
    if (!db || !Fill(db)) {
        state.SkipWithError("store failed");
        return;
    }
    VORLBDbClose(db);
    db = VORLBDbOpen(kPath, O_RDWR, 0);
    std::vector<std::string> keys;
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> pick(0, kRecords - 1);
    for (int i = 0; i < kRecords; ++i)
        keys.push_back(Key(pick(rng)));

    char *buf = nullptr;
    int cb = 0;
    for (auto _ : state) {
        for (const std::string &k : keys) {
            if (VORLBDbGet(db, k.data(), static_cast<int>(k.size()), &buf, &cb) != 0) {
                state.SkipWithError("get failed");
                break;
            }
            benchmark::DoNotOptimize(buf);
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    free(buf);
    VORLBDbClose(db);
    unlink(kPath);
}
BENCHMARK(BM_Get10000Random)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
