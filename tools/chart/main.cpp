// celwrd-chart: draws a battery log as an SVG chart.
//   celwrd-chart [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--title TEXT] LOGFILE > chart.svg
#include <cstdio>
#include <string>
#include <vector>

#include "chart_run.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "svg_text.h"

// The wide command line, so that a Japanese title or file name arrives
// whatever the console's code page.
int wmain(int argc, wchar_t** argv) {
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
    return runChart(argc, args.data(), stdout, stderr);
}
#else
int main(int argc, char** argv) { return runChart(argc, argv, stdout, stderr); }
#endif
