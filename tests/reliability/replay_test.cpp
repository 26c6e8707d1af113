// Replays one fuzz target's kept inputs (its seed corpus, what its runs added to it, and every
// finding) through the target's own entry point, so that any compiler runs them.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
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

std::vector<std::filesystem::path> kept_inputs()
{
    std::vector<std::filesystem::path> files;
    std::stringstream dirs(KIVO_FUZZ_INPUTS);
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (!std::filesystem::is_directory(dir))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
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
