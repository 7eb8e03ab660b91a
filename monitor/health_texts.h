// Every text the battery health report shows the user, in the chosen
// language, from the string tables (base/texts.h).
#pragma once

struct HealthTexts {
    const char* battery;        // before a battery's name
    const char* combined;       // the batteries together
    const char* noBattery;
    const char* maker;
    const char* model;
    const char* serial;
    const char* technology;
    const char* design;         // design capacity
    const char* full;           // full-charge capacity
    const char* health;
    const char* wear;
    const char* cycles;
    const char* power;
    const char* voltage;
    const char* relative;       // after a capacity in the battery's own units
    const char* unknown;        // a value the battery does not tell
    const char* pace;           // how fast it wears
    const char* pacePerMonth;   // a format: %s the points a month
    const char* pacePerCycles;  // a format: %s the points per 100 cycles
    const char* forecast;
    const char* reachesIn;      // a format: %d year, %d month when health reaches 80 %
    const char* neverReaches;   // not wearing at that pace
    const char* listSeparator;  // between two parts of one line
    const char* reading;        // the window before the first reading has come
};

// The texts of the program's language; bind the result to a const
// reference (the pointers stay valid for the whole run).
HealthTexts healthTexts();
