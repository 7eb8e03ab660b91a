#include "report_texts.h"

#include "base/language.h"
#include "base/texts.h"

// The program's string tables in the chosen language (base/texts.h); read
// again when the language changes, so a language chosen later counts.
const ReportTexts& reportTexts() {
    static ReportTexts texts;
    static bool read;
    static Language readFor;
    if (read && readFor == programLanguage()) return texts;
    read = true;
    readFor = programLanguage();
    texts = ReportTexts{
        text(IDS_REPORT_HISTORY),
        text(IDS_REPORT_HEALTH_AXIS),
        text(IDS_REPORT_CYCLES_AXIS),
        text(IDS_REPORT_SWAPPED),
        text(IDS_REPORT_NO_LINES),
        text(IDS_CHART_NOTHING),
        text(IDS_REPORT_DATE_RANGE),
        text(IDS_REPORT_TITLE),
        text(IDS_REPORT_HISTORY),
        text(IDS_REPORT_LOG_FILE),
        text(IDS_REPORT_NOT_FOUND),
        text(IDS_REPORT_NOTHING_FOUND),
        text(IDS_REPORT_LINES),
        text(IDS_REPORT_BATTERIES),
        text(IDS_REPORT_REPLACED),
        text(IDS_REPORT_PERIOD),
        text(IDS_REPORT_HISTORY_HEADING),
        text(IDS_REPORT_NO_HISTORY),
        text(IDS_REPORT_LOG_HEADING),
        text(IDS_REPORT_NO_LOG),
        text(IDS_REPORT_USAGE),
        text(IDS_REPORT_WHOLE),
        text(IDS_REPORT_MONTH),
        text(IDS_REPORT_DAYS),
        text(IDS_REPORT_RUNNING_PER_DAY),
        text(IDS_REPORT_BATTERY_PER_DAY),
        text(IDS_REPORT_DRAIN),
        text(IDS_REPORT_POWER_FROM_LOG),
        text(IDS_REPORT_POWER_MEASURED),
        {
            text(IDS_REPORT_NOTE_DAYS),
            text(IDS_REPORT_NOTE_DRAIN),
            text(IDS_REPORT_NOTE_ESTIMATED),
            text(IDS_REPORT_NOTE_MEASURED),
        },
    };
    return texts;
}
