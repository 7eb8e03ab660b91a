// Shared by the tests: reading files, and holding a compiled table against
// the script it was generated from.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "rc_dialogs.h"

inline std::string readTestFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every field but the ids, which only the compiler can work out.
inline void expectTableMatchesScript(const DialogLayout (&table)[kDialogCount], const std::string& scriptPath) {
    RcDialog parsed[kDialogCount];
    RcError error{};
    std::string text = readTestFile(scriptPath);
    ASSERT_TRUE(parseRcDialogs(text.data(), text.size(), parsed, error)) << error.line << ": " << error.message;
    for (int which = 0; which < kDialogCount; ++which) {
        const DialogLayout& d = table[which];
        const RcDialog& p = parsed[which];
        SCOPED_TRACE(p.name);
        EXPECT_STREQ(d.name, kRcDialogNames[which]);
        EXPECT_EQ((std::vector<int>{d.x, d.y, d.width, d.height}), (std::vector<int>{p.x, p.y, p.width, p.height}));
        EXPECT_EQ(d.style, p.style);
        EXPECT_EQ(d.exStyle, p.exStyle);
        EXPECT_EQ(d.caption, p.caption);
        EXPECT_EQ(d.fontPoints, p.fontPoints);
        EXPECT_EQ(d.fontFace, p.fontFace);
        ASSERT_EQ(d.controlCount, static_cast<int>(p.controls.size()));
        EXPECT_EQ(d.controls == nullptr, p.controls.empty());
        for (int i = 0; i < d.controlCount; ++i) {
            const ControlLayout& c = d.controls[i];
            const RcControl& q = p.controls[i];
            SCOPED_TRACE(q.id);
            EXPECT_EQ(c.kind, q.kind);
            EXPECT_EQ(c.text, q.text);
            EXPECT_EQ((std::vector<int>{c.x, c.y, c.width, c.height}), (std::vector<int>{q.x, q.y, q.width, q.height}));
            EXPECT_EQ(c.style, q.style);
        }
    }
}
