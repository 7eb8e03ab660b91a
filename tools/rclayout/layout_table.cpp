#include "layout_table.h"

#include <cerrno>
#include <cstring>

namespace {

// Larger than any resource script; a bigger file is not one.
constexpr size_t kMaxFileSize = 4 << 20;

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::GroupBox: return "ControlKind::GroupBox";
    case ControlKind::Label: return "ControlKind::Label";
    case ControlKind::ComboBox: return "ControlKind::ComboBox";
    case ControlKind::Edit: return "ControlKind::Edit";
    case ControlKind::CheckBox: return "ControlKind::CheckBox";
    case ControlKind::RadioButton: return "ControlKind::RadioButton";
    case ControlKind::PushButton: return "ControlKind::PushButton";
    case ControlKind::DefaultButton: return "ControlKind::DefaultButton";
    }
    return "ControlKind::Label";
}

// UTF-8 goes through as it is. Octal escapes take exactly three digits, so
// no following character can join them; '?' is escaped against trigraphs.
void appendLiteral(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == '?') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\%03o", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendNumbers(std::string& out, int16_t x, int16_t y, int16_t width, int16_t height) {
    char text[64];
    snprintf(text, sizeof text, "%d, %d, %d, %d, ", x, y, width, height);
    out += text;
}

void appendBits(std::string& out, uint32_t bits) {
    char text[16];
    snprintf(text, sizeof text, "0x%08Xu", static_cast<unsigned>(bits));
    out += text;
}

std::string controlsName(int which) { return std::string("k") + kRcDialogNames[which] + "Controls"; }

// Only the printable ASCII of a path may stand in a comment.
std::string commentText(const char* text) {
    std::string out;
    for (const char* p = text; *p && out.size() < 200; ++p) out += *p >= ' ' && *p < 0x7F ? *p : '_';
    return out;
}

const char* baseName(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

enum class ReadResult { Read, Missing, TooLarge, Failed };

ReadResult readWholeFile(const char* path, std::string& out) {
    FILE* file = fopen(path, "rb");
    if (!file) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    out.clear();
    char chunk[4096];
    ReadResult result = ReadResult::Read;
    for (;;) {
        size_t n = fread(chunk, 1, sizeof chunk, file);
        if (out.size() + n > kMaxFileSize) {
            result = ReadResult::TooLarge;
            break;
        }
        out.append(chunk, n);
        if (n < sizeof chunk) {
            if (ferror(file)) result = ReadResult::Failed;
            break;
        }
    }
    fclose(file);
    return result;
}

}  // namespace

namespace {

// The controls' arrays (named with `suffix`) and the table `tableName`.
void appendLayouts(std::string& out, const RcDialog (&dialogs)[kDialogCount], const std::string& suffix,
                   const char* tableName) {
    out += "\nnamespace {\n";
    for (int which = 0; which < kDialogCount; ++which) {
        // An array may not be empty: a dialog without controls points nowhere.
        if (dialogs[which].controls.empty()) continue;
        out += "\nconst ControlLayout " + controlsName(which) + suffix + "[] = {\n";
        for (const RcControl& control : dialogs[which].controls) {
            out += "    {";
            out += kindName(control.kind);
            out += ", " + control.id + ", ";
            appendLiteral(out, control.text);
            out += ", ";
            appendNumbers(out, control.x, control.y, control.width, control.height);
            appendBits(out, control.style);
            out += "},\n";
        }
        out += "};\n";
    }
    out += "\n}  // namespace\n\nconst DialogLayout " + std::string(tableName) + "[kDialogCount] = {\n";
    for (int which = 0; which < kDialogCount; ++which) {
        const RcDialog& dialog = dialogs[which];
        out += "    {";
        appendLiteral(out, kRcDialogNames[which]);
        out += ", ";
        appendNumbers(out, dialog.x, dialog.y, dialog.width, dialog.height);
        appendBits(out, dialog.style);
        out += ", ";
        appendBits(out, dialog.exStyle);
        out += ", ";
        appendLiteral(out, dialog.caption);
        out += ", " + std::to_string(dialog.fontPoints) + ", ";
        appendLiteral(out, dialog.fontFace);
        if (dialog.controls.empty()) {
            out += ", nullptr, 0},\n";
        } else {
            out += ", " + controlsName(which) + suffix + ", " + std::to_string(dialog.controls.size()) + "},\n";
        }
    }
    out += "};\n";
}

}  // namespace

std::string layoutTableSource(const RcDialog (&dialogs)[kDialogCount], const RcDialog (*english)[kDialogCount],
                              const char* scriptName) {
    std::string out = "// Generated by celwrd-rclayout from " + commentText(scriptName) +
                      ": change the dialogs there, not here.\n"
                      "#include \"ui/layout/dialog_layout.h\"\n"
                      "\n"
                      "#include \"resources/resource_ids.h\"\n";
    appendLayouts(out, dialogs, "", "kDialogLayouts");
    if (english) appendLayouts(out, *english, "English", "kEnglishDialogLayouts");
    return out;
}

std::string textTableSource(const std::vector<RcText>& texts, const char* scriptName) {
    std::string out = "// Generated by celwrd-rclayout from " + commentText(scriptName) +
                      ": change the texts there, not here.\n"
                      "#include \"ui/layout/text_table.h\"\n"
                      "\n"
                      "static_assert(IDS_COUNT == " + std::to_string(texts.size()) +
                      ", \"IDS_COUNT in resource_ids.h is not the number of texts\");\n";
    for (size_t i = 0; i < texts.size(); ++i) {
        out += "static_assert(" + texts[i].id + " == IDS_FIRST + " + std::to_string(i) + ", \"" + texts[i].id +
               ": the ids run from IDS_FIRST without gaps, in the order of the script\");\n";
    }
    out += "\nconst char* const kTextTable[2][IDS_COUNT] = {\n";
    for (int english = 0; english < 2; ++english) {
        out += "    {\n";
        for (const RcText& row : texts) {
            out += "        ";
            appendLiteral(out, english ? row.english : row.japanese);
            out += ",\n";
        }
        out += "    },\n";
    }
    out += "};\n";
    return out;
}

bool writeIfChanged(const char* path, const std::string& content, std::string& error) {
    std::string old;
    if (readWholeFile(path, old) == ReadResult::Read && old == content) return true;
    std::string temporary = std::string(path) + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) {
        error = "cannot write " + temporary + ": " + strerror(errno);
        return false;
    }
    bool written = fwrite(content.data(), 1, content.size(), file) == content.size();
    if (fclose(file) != 0) written = false;
    int reason = errno;
    if (written) {
        if (rename(temporary.c_str(), path) == 0) return true;
        reason = errno;
    }
    error = std::string("cannot write ") + path + ": " + strerror(reason);
    remove(temporary.c_str());
    return false;
}

namespace {

void reportError(FILE* err, const char* scriptPath, const RcError& error) {
    if (error.line > 0) {
        fprintf(err, "%s:%d: error: %s\n", scriptPath, error.line, error.message.c_str());
    } else {
        fprintf(err, "%s: error: %s\n", scriptPath, error.message.c_str());
    }
}

bool readScript(const char* path, std::string& out, FILE* err) {
    switch (readWholeFile(path, out)) {
    case ReadResult::Read: return true;
    case ReadResult::TooLarge: fprintf(err, "%s: error: larger than any resource script\n", path); return false;
    case ReadResult::Missing:
    case ReadResult::Failed: break;
    }
    fprintf(err, "%s: error: cannot read it\n", path);
    return false;
}

}  // namespace

int runRcLayout(int argc, char** argv, FILE* err) {
    if (argc < 3 || argc > 5) {
        fprintf(err, "usage: celwrd-rclayout RESOURCE_SCRIPT OUTPUT.cpp [TEXTS.cpp [STRINGS_SCRIPT]]\n");
        return 2;
    }
    const char* scriptPath = argv[1];
    const char* outputPath = argv[2];
    const char* textsPath = argc >= 4 ? argv[3] : nullptr;
    // The string tables may stand in a script of their own, which the
    // resource script includes and other executables include too.
    const char* stringsPath = argc == 5 ? argv[4] : scriptPath;
    std::string script, ownStrings;
    if (!readScript(scriptPath, script, err) || (argc == 5 && !readScript(stringsPath, ownStrings, err))) return 1;
    const std::string& strings = argc == 5 ? ownStrings : script;
    RcDialog dialogs[kDialogCount];
    RcError error{};
    if (!parseRcDialogs(script.data(), script.size(), dialogs, error)) {
        reportError(err, scriptPath, error);
        return 1;
    }
    std::vector<RcText> texts;
    RcDialog english[kDialogCount];
    if (textsPath) {
        if (!parseRcDialogs(script.data(), script.size(), english, error, true)) {
            reportError(err, scriptPath, error);
            return 1;
        }
        if (!parseRcTexts(strings.data(), strings.size(), texts, error)) {
            reportError(err, stringsPath, error);
            return 1;
        }
        if (texts.empty()) {
            fprintf(err, "%s: error: no STRINGTABLE\n", stringsPath);
            return 1;
        }
    }
    std::string message;
    if (!writeIfChanged(outputPath, layoutTableSource(dialogs, textsPath ? &english : nullptr, baseName(scriptPath)), message) ||
        (textsPath && !writeIfChanged(textsPath, textTableSource(texts, baseName(stringsPath)), message))) {
        fprintf(err, "celwrd-rclayout: %s\n", message.c_str());
        return 1;
    }
    return 0;
}
