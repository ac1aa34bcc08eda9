// SzHash set/get and sorted SzList insert/find for 10^3..10^5 strings,
// against std::unordered_map and a sorted std::vector with std::lower_bound.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <algorithm>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <vorl/sz_hash.h>
#include <vorl/sz_list.h>

namespace {

// n distinct keys in a fixed random order: numbered user names
// ("user0012345", kind 0), or random lower-case names of 6 to 16 letters
// (kind 1). The byte-sum hash spreads the numbered names poorly: their words
// differ only in a few low bits of each byte.
const std::vector<std::string> &Keys(size_t n, int kind = 0) {
    static std::unordered_map<size_t, std::vector<std::string>> cache;
    auto &keys = cache[n * 2 + static_cast<size_t>(kind)];
    if (keys.empty()) {
        std::mt19937 rng(42);
        if (kind == 0) {
            char buf[32];
            for (size_t i = 0; i < n; ++i) {
                snprintf(buf, sizeof(buf), "user%07zu", i * 7919 % 10000019);
                keys.emplace_back(buf);
            }
        } else {
            std::unordered_map<std::string, bool> seen;
            while (keys.size() < n) {
                std::string k(6 + rng() % 11, 'a');
                for (char &c : k)
                    c = static_cast<char>('a' + rng() % 26);
                if (!seen.emplace(k, true).second) continue;
                keys.push_back(k);
            }
        }
        std::shuffle(keys.begin(), keys.end(), rng);
    }
    return keys;
}

const std::vector<std::string> &KeysOf(const benchmark::State &state) {
    return Keys(static_cast<size_t>(state.range(0)), static_cast<int>(state.range(1)));
}

void SzHashSet(benchmark::State &state) {
    const auto &keys = KeysOf(state);
    for (auto _ : state) {
        SzHash *p = PshVLIBSzHashAlloc(512);
        for (const auto &k : keys)
            VLIBSzHashSetValue(&p, k.c_str(), "value");
        benchmark::DoNotOptimize(p);
        VLIBSzHashFree(p);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void UnorderedMapSet(benchmark::State &state) {
    const auto &keys = KeysOf(state);
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> m;
        for (const auto &k : keys)
            m[k] = "value";
        benchmark::DoNotOptimize(m);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void SzHashGet(benchmark::State &state) {
    const auto &keys = KeysOf(state);
    SzHash *p = PshVLIBSzHashAlloc(512);
    for (const auto &k : keys)
        VLIBSzHashSetValue(&p, k.c_str(), "value");
    for (auto _ : state)
        for (const auto &k : keys)
            benchmark::DoNotOptimize(SzVLIBSzHashGetValue(p, k.c_str()));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["bytes"] = SZHASH_HEADER_SIZE + 8.0 * p->nSlot + p->cbArea;
    VLIBSzHashFree(p);
}

void UnorderedMapGet(benchmark::State &state) {
    const auto &keys = KeysOf(state);
    std::unordered_map<std::string, std::string> m;
    for (const auto &k : keys)
        m[k] = "value";
    for (auto _ : state)
        for (const auto &k : keys)
            benchmark::DoNotOptimize(m.find(k));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

SzList *SortedList(const std::vector<std::string> &keys, int mode) {
    SzList *p = PslVLIBSzListAlloc(512);
    VLIBSzListSort(p, mode);
    for (const auto &k : keys)
        VLIBSzListPush(&p, k.c_str());
    return p;
}

void SzListSortedInsert(benchmark::State &state) {
    const auto &keys = Keys(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        SzList *p = SortedList(keys, SZLIST_SORT_BYTE);
        benchmark::DoNotOptimize(p);
        VLIBSzListFree(p);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void SzListCaseSortedInsert(benchmark::State &state) {
    const auto &keys = Keys(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        SzList *p = SortedList(keys, SZLIST_SORT_CASE);
        benchmark::DoNotOptimize(p);
        VLIBSzListFree(p);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void VectorSortedInsert(benchmark::State &state) {
    const auto &keys = Keys(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::vector<std::string> v;
        for (const auto &k : keys)
            v.insert(std::lower_bound(v.begin(), v.end(), k), k);
        benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void SzListFind(benchmark::State &state) {
    const auto &keys = Keys(static_cast<size_t>(state.range(0)));
    SzList *p = SortedList(keys, SZLIST_SORT_BYTE);
    for (auto _ : state)
        for (const auto &k : keys)
            benchmark::DoNotOptimize(VLIBSzListFind(p, k.c_str()));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["bytes"] = p->cbSize;
    VLIBSzListFree(p);
}

void VectorFind(benchmark::State &state) {
    const auto &keys = Keys(static_cast<size_t>(state.range(0)));
    std::vector<std::string> v(keys);
    std::sort(v.begin(), v.end());
    for (auto _ : state)
        for (const auto &k : keys)
            benchmark::DoNotOptimize(std::lower_bound(v.begin(), v.end(), k));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(SzHashSet)->ArgsProduct({{1000, 10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(UnorderedMapSet)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SzHashGet)->ArgsProduct({{1000, 10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(UnorderedMapGet)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SzListSortedInsert)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(VectorSortedInsert)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SzListCaseSortedInsert)
    ->RangeMultiplier(10)
    ->Range(1000, 10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SzListFind)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(VectorFind)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
