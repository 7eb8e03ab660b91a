#include "ui/qt/options.h"

#include <linux/limits.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "actions/health_history.h"
#include "app/health_command.h"
#include "base/language.h"
#include "platform/battery_health.h"
#include "platform/linux/linux_platform.h"

namespace {

constexpr char kVersion[] = "Cellwarden 1.05A\n";

constexpr char kHelp[] =
    "Usage: celwrd [-A] [-$] [--lang ja|en]\n"
    "       celwrd --autostart on|off\n"
    "       celwrd --health[=json]\n"
    "       celwrd --help | --version\n"
    "\n"
    "Cellwarden watches the battery from the notification area: the charge, the time\n"
    "it takes per 1 %, the time left; sounds, an event script and a battery log.\n"
    "\n"
    "  -A               end as soon as the machine runs on mains power without charging\n"
    "  -$               write the main window's activations to CELWRDDB.LOG\n"
    "  --lang ja|en     speak Japanese or English, whatever the locale says\n"
    "  --autostart on   start Cellwarden at log-in (~/.config/autostart/cellwarden.desktop)\n"
    "  --autostart off  no longer start it at log-in\n"
    "  --health         print each battery's capacity, wear, cycles and power, and the\n"
    "                   forecast from its history (CELWRDHL.LOG); =json: as JSON\n"
    "  --help           show this and end\n"
    "  --version        show the version and end\n"
    "\n"
    "Its settings (celwrd.INI), event script (AUTOEXEC.CLW) and battery log (CELWRD.LOG)\n"
    "lie beside the program when it is in a folder of your own, else in\n"
    "~/.config/cellwarden/ ($XDG_CONFIG_HOME/cellwarden/).\n";

int autostart(const char* setting) {
    const bool on = setting && strcmp(setting, "on") == 0;
    if (!on && !(setting && strcmp(setting, "off") == 0)) {
        fputs("celwrd: --autostart takes on or off\n", stderr);
        return 2;
    }
    char program[PATH_MAX] = "", where[PATH_MAX] = "";
    if (on && !linuxProgramPath(program, sizeof program)) {
        fprintf(stderr, "celwrd: cannot tell where this program is (/proc/self/exe): %s\n", strerror(errno));
        return 1;
    }
    if (!linuxSetAutostart(on, program, where, sizeof where)) {
        const int why = errno;
        char open[PATH_MAX] = "";
        if (why == EPERM && linuxFindReplaceable(program, open, sizeof open)) {
            fprintf(stderr,
                    "celwrd: not starting %s at log-in: other users can write %s, so they could put another program"
                    " in its place\n"
                    "celwrd: install it where only you or root can write, in every folder up to / (such as"
                    " ~/.local/bin or /usr/local/bin), and run celwrd --autostart on from there\n",
                    program, open);
        } else if (why == EILSEQ) {
            fprintf(stderr,
                    "celwrd: not starting %s at log-in: its path is not UTF-8, and desktops start no such entry\n"
                    "celwrd: move it to a folder whose name is UTF-8 and run celwrd --autostart on from there\n",
                    program);
        } else {
            fprintf(stderr, "celwrd: cannot %s %s: %s\n", on ? "write" : "remove",
                    where[0] ? where : "the autostart entry", strerror(why));
        }
        return 1;
    }
    printf(on ? "Cellwarden starts at log-in: %s\n" : "Cellwarden no longer starts at log-in: %s removed\n", where);
    return 0;
}

// The batteries read at once, the history where the program keeps it.
int health(HealthCommand command) {
    if (command == HealthCommand::Bad) {
        fputs("celwrd: --health takes json, or nothing\n", stderr);
        return 2;
    }
    static HealthReading reading;
    if (!platformReadHealthNow(&reading)) reading.count = 0;  // no power-supply class: no battery
    char program[PATH_MAX], files[PATH_MAX] = "", history[PATH_MAX] = "";
    if (linuxProgramPath(program, sizeof program)) {
        if (char* slash = strrchr(program, '/')) slash[1] = '\0';
        linuxFilesFolder(program, files, sizeof files);
        if (files[0] && snprintf(history, sizeof history, "%s%s", files, kHistoryFileName) >= PATH_MAX)
            history[0] = '\0';
    }
    static char report[kHealthReportSize];
    size_t length = renderHealthCommand(command, reading, history, report, sizeof report);
    return fwrite(report, 1, length, stdout) == length && fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

// The first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set decides;
// --lang overrides it. The words are read as the program's command line
// is, so the option cannot change what "-A" and "-$" do.
static bool chooseLanguage(int argc, char** argv) {
    Language language = languageOfLocale({getenv("LANGUAGE"), getenv("LC_ALL"), getenv("LC_MESSAGES"), getenv("LANG")});
    std::string line;
    for (int i = 1; i < argc; ++i) {
        line += ' ';
        line += argv[i];
    }
    if (languageOption(line.c_str(), &language) < 0) {
        fputs("celwrd: --lang takes ja or en\n", stderr);
        return false;
    }
    setProgramLanguage(language);
    return true;
}

int handleStandaloneOptions(int argc, char** argv) {
    if (!chooseLanguage(argc, argv)) return 2;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (strcmp(word, "--help") == 0) return fputs(kHelp, stdout) < 0 ? 1 : 0;
        if (strcmp(word, "--version") == 0) return fputs(kVersion, stdout) < 0 ? 1 : 0;
        if (strcmp(word, "--autostart") == 0) return autostart(i + 1 < argc ? argv[i + 1] : nullptr);
        if (strncmp(word, "--autostart=", 12) == 0) return autostart(word + 12);
        if (HealthCommand command = healthCommandOf(word); command != HealthCommand::None) return health(command);
    }
    return -1;
}
