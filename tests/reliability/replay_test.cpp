// Replays one fuzz target's kept inputs (its seed corpus, what its runs added to it, and every
// finding) through the target's own entry point, so that any compiler runs them.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kivo/kivo.h"

// The third-party leaks that fuzzing met (fuzz/lsan.supp), on top of the suppressions every test
// program carries.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" KIVO_FUZZ_LSAN_SUPPRESSIONS;
}

#if defined(__SANITIZE_ADDRESS__)
#define KIVO_REPLAY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KIVO_REPLAY_ASAN 1
#endif
#endif

#if KIVO_REPLAY_ASAN
// Some kept images declare sizes of gigabytes: as on a small board, such allocations fail and the
// library's failure roads run.
extern "C" const char* __asan_default_options()
{
    return "max_allocation_size_mb=256:allocator_may_return_null=1";
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

// The seed corpus (the first directory) and the findings (the rest). KIVO_REPLAY_EVERY=n keeps
// every n-th corpus input in name order and every finding: the emulated ARM run takes a share,
// scripts/reliability.sh replays them all there.
std::vector<std::filesystem::path> kept_inputs()
{
    const char* every_env = std::getenv("KIVO_REPLAY_EVERY");
    const std::size_t every = every_env ? std::max(1L, std::atol(every_env)) : 1;
    std::vector<std::filesystem::path> files;
    std::stringstream dirs(KIVO_FUZZ_INPUTS);
    bool corpus = true;
    for (std::string dir; std::getline(dirs, dir, ':'); corpus = false) {
        if (!std::filesystem::is_directory(dir))
            continue;
        std::vector<std::filesystem::path> in_dir;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.is_regular_file())
                in_dir.push_back(entry.path());
        std::sort(in_dir.begin(), in_dir.end());
        for (std::size_t i = 0; i < in_dir.size(); ++i)
            if (!corpus || i % every == 0)
                files.push_back(in_dir[i]);
    }
    return files;
}

// Replay.<target>: every kept input runs clean.
TEST(Replay, KIVO_FUZZ_TARGET)
{
    const std::vector<std::filesystem::path> files = kept_inputs();
    ASSERT_FALSE(files.empty()) << "no inputs in " << KIVO_FUZZ_INPUTS;
#if !KIVO_REPLAY_ASAN
    // The same bound without the sanitizer: at most 512 MiB more address space than now.
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t{512} << 20);
    const rlimit bound{limit, limit};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &bound), 0);
#endif
    if (LLVMFuzzerInitialize) {
        int argc = 0;
        char** argv = nullptr;
        LLVMFuzzerInitialize(&argc, &argv);
    }
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        // A harness finding aborts the process, which fails this test with the harness's message.
        static const std::uint8_t none = 0; // libFuzzer never passes a null pointer
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size()), 0);
    }
    RecordProperty("inputs", int(files.size()));
    kivo_destroy_window();
}

} // namespace
