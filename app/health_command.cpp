#include "app/health_command.h"

#include <cstring>

#include "actions/health_forecast.h"
#include "actions/health_history.h"
#include "monitor/health_report.h"

HealthCommand healthCommandOf(const char* word) {
    if (!word || strncmp(word, "--health", 8) != 0) return HealthCommand::None;
    if (word[8] == '\0') return HealthCommand::Text;
    if (word[8] != '=') return HealthCommand::None;
    return strcmp(word + 9, "json") == 0 ? HealthCommand::Json : HealthCommand::Bad;
}

size_t renderHealthCommand(HealthCommand command, const HealthReading& reading, const char* historyPath, char* out,
                           size_t size) {
    if (size == 0) return 0;
    out[0] = '\0';
    if (command == HealthCommand::Json) return formatHealthJson(reading, out, size);
    if (command != HealthCommand::Text) return 0;
    // Read once, in running sums: five years of it are a few hundred KB.
    static HealthTrends trends;
    startHealthTrends(trends);
    if (historyPath && historyPath[0] && reading.count > 0) {
        HistoryReader reader;
        startHistoryReader(reader, addToHealthTrends, &trends);
        readHistoryFile(historyPath, reader);
    }
    return formatHealthText(reading, &trends, out, size);
}
