// Runs a fuzz target without libFuzzer: every file named on the command
// line, then inputs mutated from them by a fixed pseudo-random sequence, so
// the test suite repeats the same search on every run. A crash or abort is
// the failure.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static uint64_t state = 0x9E3779B97F4A7C15ull;
static uint64_t nextRandom() {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return state;
}

// The input being run, printed when it fails so that it can become a seed.
static const std::string* current;

static void printCurrentInput(int) {
    if (current) {
        fprintf(stderr, "failing input (%zu bytes):", current->size());
        for (unsigned char c : *current) fprintf(stderr, " %02x", c);
        fprintf(stderr, "\n");
    }
    signal(SIGABRT, SIG_DFL);
    abort();
}

static void run(const std::string& input) {
    current = &input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    current = nullptr;
}

static std::string readFile(const char* path) {
    std::string content;
    if (FILE* f = fopen(path, "rb")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
        fclose(f);
    }
    return content;
}

static void mutate(std::string& s) {
    static const char* const pieces[] = {" = ", "\r\n", "\n", "\"", "\\", "/", ":", ".", ",", "-", "$",
                                         "[", "]", "!", "\x83\x5C", "\xFF", "2147483648", "-2147483649"};
    int edits = 1 + static_cast<int>(nextRandom() % 8);
    for (int i = 0; i < edits; ++i) {
        size_t at = s.empty() ? 0 : nextRandom() % (s.size() + 1);
        switch (nextRandom() % 5) {
        case 0: if (!s.empty() && at < s.size()) s[at] = static_cast<char>(nextRandom()); break;
        case 1: s.insert(at, pieces[nextRandom() % (sizeof pieces / sizeof *pieces)]); break;
        case 2: if (at < s.size()) s.erase(at, 1 + nextRandom() % 16); break;
        case 3: s.insert(at, std::string(1 + nextRandom() % 1100, static_cast<char>('a' + nextRandom() % 26))); break;
        default: if (!s.empty()) s.insert(at, s.substr(nextRandom() % s.size(), 1 + nextRandom() % 64)); break;
        }
    }
}

int main(int argc, char** argv) {
    std::vector<std::string> seeds;
    int rounds = 2000;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--rounds=", 0) == 0) rounds = atoi(arg.c_str() + 9);
        else seeds.push_back(readFile(argv[i]));
    }
    if (seeds.empty()) seeds.push_back("");
    signal(SIGABRT, printCurrentInput);
    for (const std::string& seed : seeds) run(seed);
    for (int i = 0; i < rounds; ++i) {
        std::string input = seeds[nextRandom() % seeds.size()];
        mutate(input);
        run(input);
    }
    printf("%zu seeds, %d mutated inputs\n", seeds.size(), rounds);
    return 0;
}
