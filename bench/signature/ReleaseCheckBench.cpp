// release_check PUBLIC.pem NAME.SIG ARCHIVE MODULE VERSION [ROUNDS]: runs the agent's release
// check once and prints how long it took; with ROUNDS, also the Ed25519 verification alone (key
// reading included), averaged over that many rounds.
#include "signature/Ed25519Signature.h"
#include "signature/ReleaseCheck.h"
#include "signature/ReleaseSignatureFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: %s PUBLIC.pem NAME.SIG ARCHIVE MODULE VERSION [ROUNDS]\n",
                     argv[0]);
        return 2;
    }
    const std::string key = ReadAll(argv[1]);
    const std::string signatureFile = ReadAll(argv[2]);
    const std::string version = argv[5];

    auto start = std::chrono::steady_clock::now();
    const quillset::Result<void, std::string> verdict = quillset::CheckRelease(
        {key, argv[4], [&](std::string_view text) { return text == version; }, argv[3]},
        signatureFile);
    const double whole = MillisecondsSince(start);
    if (!verdict) {
        std::fprintf(stderr, "refused: %s\n", verdict.reason().c_str());
        return 1;
    }
    std::printf("whole check %.1f ms\n", whole);
    if (argc == 7) {
        const quillset::SignedRelease release = *quillset::ReadReleaseSignatureFile(signatureFile);
        const int rounds = std::max(1, std::atoi(argv[6]));
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < rounds; ++i)
            if (!quillset::CheckEd25519Signature(key, release.signedText, release.signature))
                return 1;
        std::printf("Ed25519 verification alone %.0f us\n",
                    MillisecondsSince(start) * 1e3 / rounds);
    }
    return 0;
}
