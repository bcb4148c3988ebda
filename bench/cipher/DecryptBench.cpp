// DES_Crypt::DecryptHexText beside OpenSSL's DES on the same block, in one run:
//   build/bench/cipher_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include "cipher/DES_Crypt.h"
#include "platform/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

#include <cstring>

using namespace quillset;

namespace {

// The agent's stored server address (96 digits) and a standard test block.
const QString kAgentText = QStringLiteral("C9AE610658667DF54683E6C292F7324A7E4F4B2E6DA3F81AD52FC1A4"
                                          "B81C54108C6952D7260259C98C6952D7260259C9");
const QString kAgentKey = QStringLiteral("3E71B0C4");
const QString kBlock = QStringLiteral("3FA40E8A984D4815");
const QString kBlockKey = QStringLiteral("0123456789ABCDEF");

void DecryptHexText96DigitsShortKey(benchmark::State& state) {
    ScriptedDialogs dialogs;
    DES_Crypt des(dialogs);
    for (auto _ : state)
        benchmark::DoNotOptimize(des.DecryptHexText(kAgentText, kAgentKey));
}
BENCHMARK(DecryptHexText96DigitsShortKey)->Unit(benchmark::kMicrosecond);

void DecryptHexTextOneBlockFullKey(benchmark::State& state) {
    ScriptedDialogs dialogs;
    DES_Crypt des(dialogs);
    for (auto _ : state)
        benchmark::DoNotOptimize(des.DecryptHexText(kBlock, kBlockKey));
}
BENCHMARK(DecryptHexTextOneBlockFullKey)->Unit(benchmark::kMicrosecond);

// OpenSSL with the key schedule set up for every block, as DecryptHexText does.
void OpenSslDesOneBlock(benchmark::State& state) {
    const DES_cblock key = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    const DES_cblock in = {0x3F, 0xA4, 0x0E, 0x8A, 0x98, 0x4D, 0x48, 0x15};
    DES_cblock out;
    for (auto _ : state) {
        DES_cblock keyCopy;
        DES_cblock inCopy;
        std::memcpy(keyCopy, key, 8);
        std::memcpy(inCopy, in, 8);
        DES_key_schedule schedule;
        DES_set_key_unchecked(&keyCopy, &schedule);
        DES_ecb_encrypt(&inCopy, &out, &schedule, DES_DECRYPT);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(OpenSslDesOneBlock)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
