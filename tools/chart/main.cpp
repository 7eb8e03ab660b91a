// celwrd-chart: draws a battery log or the health history as an SVG chart,
// or both as the battery report (chart_run.h has the command line); files
// not named are looked for where celwrd keeps its files.
// On Windows it is also the console's way to the batteries' health, which
// celwrd.exe, having no console, cannot print:
//   celwrd-chart --health[=json]
#include <cstdio>
#include <string>
#include <vector>

#include "base/language.h"
#include "chart_run.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstring>

#include "actions/health_history.h"
#include "app/health_command.h"
#include "platform/battery_health.h"
#include "svg_text.h"

namespace {

// The history beside the program, as celwrd.exe beside it keeps it; its
// path in the system's code page, as the program's own files are.
void historyBesideProgram(char (&out)[MAX_PATH * 2]) {
    out[0] = '\0';
    DWORD length = GetModuleFileNameA(nullptr, out, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    char* name = out;
    for (char* p = out; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    strcpy(name, kHistoryFileName);
}

// UTF-8 as it is to a file or pipe; to a console as UTF-16, which shows
// Japanese whatever its code page.
bool writeOut(const char* text, size_t length) {
    HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (!GetConsoleMode(console, &mode)) return fwrite(text, 1, length, stdout) == length && fflush(stdout) == 0;
    static wchar_t wide[kHealthReportSize];
    int count = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), wide, kHealthReportSize);
    DWORD written = 0;
    return count >= 0 && WriteConsoleW(console, wide, static_cast<DWORD>(count), &written, nullptr) &&
           written == static_cast<DWORD>(count);
}

// Beside the program, as celwrd.exe keeps its files; in UTF-8, as the
// chart opens them.
std::string folderOfProgram() {
    wchar_t path[32768];
    DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (length == 0 || length >= sizeof path / sizeof path[0]) return std::string();
    std::u16string wide;
    for (DWORD i = 0; i < length; ++i) wide += static_cast<char16_t>(path[i]);
    std::string utf8 = utf16ToUtf8(wide.c_str());
    size_t slash = utf8.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : utf8.substr(0, slash + 1);
}

// The settings file's texts are in the system's code page.
std::string systemTextToUtf8(const char* text) {
    int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 0) return std::string();
    std::vector<wchar_t> wide(static_cast<size_t>(count));
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), count);
    std::u16string converted(wide.begin(), wide.end() - 1);
    return utf16ToUtf8(converted.c_str());
}

int printHealth(HealthCommand command) {
    if (command == HealthCommand::Bad) {
        fputs("celwrd-chart: --health takes json, or nothing\n", stderr);
        return 2;
    }
    static HealthReading reading;
    if (!platformReadHealthNow(&reading)) reading.count = 0;  // no device class to ask: no battery
    char history[MAX_PATH * 2];
    historyBesideProgram(history);
    static char report[kHealthReportSize];
    size_t length = renderHealthCommand(command, reading, history, report, sizeof report);
    return writeOut(report, length) ? 0 : 1;
}

// --health[=json] alone, or with --lang ja|en before or after it.
HealthCommand healthCommandIn(int argc, wchar_t** argv) {
    HealthCommand found = HealthCommand::None;
    for (int i = 1; i < argc; ++i) {
        char word[32];
        if (WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, word, sizeof word, nullptr, nullptr) <= 0)
            return HealthCommand::None;
        if (!strcmp(word, "--lang") && i + 1 < argc) {
            ++i;
            continue;
        }
        if (!strncmp(word, "--lang=", 7)) continue;
        HealthCommand command = healthCommandOf(word);
        if (command == HealthCommand::None || found != HealthCommand::None) return HealthCommand::None;
        found = command;
    }
    return found;
}

}  // namespace

// The wide command line, so that a Japanese title or file name arrives
// whatever the console's code page. The language as celwrd.exe chooses it:
// the user's UI language, --lang over it.
int wmain(int argc, wchar_t** argv) {
    Language language = languageOfLangId(GetUserDefaultUILanguage());
    const bool languageNamed = languageOption(GetCommandLineA(), &language) >= 0;
    setProgramLanguage(language);
    // A bad --lang is the chart's usage error.
    if (languageNamed)
        if (HealthCommand command = healthCommandIn(argc, argv); command != HealthCommand::None)
            return printHealth(command);
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i) {
        std::u16string wide;
        for (const wchar_t* p = argv[i]; *p; ++p) wide += static_cast<char16_t>(*p);
        texts.push_back(utf16ToUtf8(wide.c_str()));
    }
    std::vector<char*> args;
    for (std::string& text : texts) args.push_back(text.data());
    args.push_back(nullptr);
    // The SVG as it is, without CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    ChartHost host{folderOfProgram(), systemTextToUtf8};
    return runChart(argc, args.data(), stdout, stderr, &host);
}
#else
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/linux/linux_platform.h"

namespace {

// Where celwrd beside this program keeps its files: beside it in a folder
// of the user's, else the configuration folder. Only named, never made.
std::string filesFolder() {
    char program[PATH_MAX], files[PATH_MAX];
    if (!linuxProgramPath(program, sizeof program)) return std::string();
    const char* slash = strrchr(program, '/');
    const std::string folder(program, slash ? static_cast<size_t>(slash - program + 1) : 0);
    bool beside;
    return linuxFilesFolderName(folder.c_str(), files, sizeof files, &beside) ? std::string(files) : std::string();
}

}  // namespace

// The language as celwrd chooses it: the locale's variables, --lang over
// them (read by runChart).
int main(int argc, char** argv) {
    setProgramLanguage(languageOfLocale({getenv("LANGUAGE"), getenv("LC_ALL"), getenv("LC_MESSAGES"), getenv("LANG")}));
    ChartHost host{filesFolder(), nullptr};
    return runChart(argc, argv, stdout, stderr, &host);
}
#endif
