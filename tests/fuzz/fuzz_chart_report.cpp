// Any bytes as a health history and a battery log (split at the first form
// feed): the health chart and the battery report of them are well-formed,
// whatever the files hold, and carry no markup of theirs.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "chart_run.h"
#include "test_output.h"
#include "xml_check.h"

namespace {

std::string folder() {
    const char* tmp = getenv("TMPDIR");
    std::string path = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/fuzz_chart_report_" + std::to_string(getpid());
    return path + "/";
}

void put(const std::string& path, const char* data, size_t size) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) abort();
    if (size) fwrite(data, 1, size, file);
    fclose(file);
}

std::string runTool(std::vector<std::string> args, const std::string& files) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    if (!out || !err) abort();
    ChartHost host{files, nullptr};
    int status = runChart(static_cast<int>(argv.size()), argv.data(), out, err, &host);
    std::string said = contentOf(err);
    if (status != 0) {
        fprintf(stderr, "%s: %d, %s\n", args[1].c_str(), status, said.c_str());
        abort();
    }
    return contentOf(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string files = folder();
    if (mkdir(files.c_str(), 0700) != 0 && errno != EEXIST) abort();
    const char* bytes = reinterpret_cast<const char*>(data);
    size_t cut = 0;
    while (cut < size && bytes[cut] != '\f') ++cut;
    put(files + "CELWRDHL.LOG", bytes, cut);
    put(files + "CELWRD.LOG", bytes + (cut < size ? cut + 1 : size), cut < size ? size - cut - 1 : 0);

    std::vector<XmlElement> elements;
    std::string error;
    std::string svg = runTool({"celwrd-chart", "--health-chart"}, files);
    if (!readXml(svg, elements, error)) {
        fprintf(stderr, "health chart: %s\n", error.c_str());
        abort();
    }
    std::string page = runTool({"celwrd-chart", "--report"}, files);
    if (!readHtml(page, elements, error)) {
        fprintf(stderr, "report: %s\n", error.c_str());
        abort();
    }
    // The page's own elements only: a text from the files never becomes one.
    for (const XmlElement& e : elements)
        if (e.name == "script" || e.name == "iframe" || e.name == "img" || e.name == "object") abort();
    unlink((files + "CELWRDHL.LOG").c_str());
    unlink((files + "CELWRD.LOG").c_str());
    rmdir(files.c_str());
    return 0;
}
