#include "rc_dialogs.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "base/utf8.h"

namespace {

// Bits windres puts into a control's style that no statement names. The
// control's kind tells a renderer the same, so dialog_layout.h has no
// constants for them.
constexpr uint32_t kChild = 0x40000000;        // WS_CHILD
constexpr uint32_t kDefPushButton = 0x1;       // BS_DEFPUSHBUTTON
constexpr uint32_t kAutoCheckBox = 0x3;        // BS_AUTOCHECKBOX
constexpr uint32_t kGroupBoxButton = 0x7;      // BS_GROUPBOX
constexpr uint32_t kAutoRadioButton = 0x9;     // BS_AUTORADIOBUTTON
constexpr uint32_t kSimpleComboBox = 0x1;      // CBS_SIMPLE
constexpr uint32_t kDialogDefault = kLayoutPopup | kLayoutBorder | kLayoutSysMenu;

// Only styles a renderer knows may be named: a new one needs its constant
// in dialog_layout.h first, so it cannot be dropped unnoticed.
struct StyleName {
    const char* name;
    uint32_t bits;
};
constexpr StyleName kStyleNames[] = {
    {"WS_VISIBLE", kLayoutVisible},
    {"WS_CAPTION", kLayoutCaption},
    {"WS_SYSMENU", kLayoutSysMenu},
    {"WS_THICKFRAME", kLayoutThickFrame},
    {"WS_POPUP", kLayoutPopup},
    {"WS_MINIMIZEBOX", kLayoutMinimiseBox},
    {"WS_MAXIMIZEBOX", kLayoutMaximiseBox},
    {"DS_MODALFRAME", kLayoutModalFrame},
    {"DS_SETFONT", kLayoutSetFont},
    {"WS_BORDER", kLayoutBorder},
    {"WS_VSCROLL", kLayoutVScroll},
    {"WS_HSCROLL", kLayoutHScroll},
    {"WS_GROUP", kLayoutGroup},
    {"WS_TABSTOP", kLayoutTabStop},
    {"ES_RIGHT", kLayoutEditRight},
    {"ES_MULTILINE", kLayoutEditMultiLine},
    {"ES_AUTOHSCROLL", kLayoutEditAutoHScroll},
    {"ES_READONLY", kLayoutEditReadOnly},
    {"ES_WANTRETURN", kLayoutEditWantReturn},
    {"CBS_DROPDOWNLIST", kLayoutDropDownList},
    {"SS_BITMAP", kLayoutStaticBitmap},
    {"WS_EX_DLGMODALFRAME", kLayoutExDialogModalFrame},
};

// windres starts a control without a style expression from defaultStyle,
// and applies a style expression to baseStyle; WS_CHILD | WS_VISIBLE come
// on top of both. So a check box given any style loses its tab stop.
struct ControlSyntax {
    const char* keyword;
    ControlKind kind;
    bool hasText;
    uint32_t defaultStyle;
    uint32_t baseStyle;
};
constexpr ControlSyntax kControlSyntax[] = {
    {"GROUPBOX", ControlKind::GroupBox, true, kGroupBoxButton, kGroupBoxButton},
    {"LTEXT", ControlKind::Label, true, kLayoutGroup, 0},
    {"COMBOBOX", ControlKind::ComboBox, false, kSimpleComboBox | kLayoutTabStop, 0},
    {"EDITTEXT", ControlKind::Edit, false, kLayoutBorder | kLayoutTabStop, kLayoutBorder | kLayoutTabStop},
    {"AUTOCHECKBOX", ControlKind::CheckBox, true, kAutoCheckBox | kLayoutTabStop, kAutoCheckBox},
    {"AUTORADIOBUTTON", ControlKind::RadioButton, true, kAutoRadioButton | kLayoutTabStop, kAutoRadioButton},
    {"PUSHBUTTON", ControlKind::PushButton, true, kLayoutTabStop, kLayoutTabStop},
    {"DEFPUSHBUTTON", ControlKind::DefaultButton, true, kDefPushButton | kLayoutTabStop,
     kDefPushButton | kLayoutTabStop},
};

constexpr const char* kMemoryFlags[] = {"MOVEABLE", "FIXED", "PURE", "IMPURE", "PRELOAD", "LOADONCALL", "DISCARDABLE"};

// Parentheses and signs in a control id; deeper is not a real id.
constexpr int kMaxIdNesting = 16;

enum class TokenType : uint8_t { Word, Number, String, Punct };

struct Token {
    TokenType type;
    std::string text;  // a string's bytes with the quoting undone; otherwise as written
    uint32_t value;    // of a Number
    int line;
};

// One statement: a line, with the lines that follow a ',' or '|' at its end.
struct Statement {
    std::vector<Token> tokens;
};

bool fail(RcError& error, int line, std::string message) {
    error.line = line;
    error.message = std::move(message);
    return false;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isWordChar(char c) { return isWordStart(c) || isDigit(c); }

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool sameIgnoringCase(const std::string& a, const char* b) {
    size_t n = strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// Enough of a long name or number to recognise it in a message.
std::string shown(const std::string& text) { return text.size() <= 40 ? text : text.substr(0, 40) + "..."; }

bool isUtf8(const std::string& text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        char32_t c;
        size_t n = decodeUtf8(p + i, text.size() - i, &c);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// Splits the script into statements of tokens. Comments, #include and
// #pragma lines go; other directives would change what the resource
// compiler sees in ways this reader cannot follow, so they are refused.
class Lexer {
public:
    Lexer(const char* text, size_t size, RcError& error) : p_(text), end_(text + size), error_(error) {}

    bool run(std::vector<Statement>& out) {
        if (end_ - p_ >= 3 && memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
        bool lineBlank = true;
        while (p_ < end_) {
            char c = *p_;
            if (c == '\n') {
                endLine(out, false);
                ++line_;
                ++p_;
                lineBlank = true;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++p_;
            } else if (c == '/' && p_ + 1 < end_ && p_[1] == '/') {
                while (p_ < end_ && *p_ != '\n') ++p_;
            } else if (c == '/' && p_ + 1 < end_ && p_[1] == '*') {
                if (!blockComment()) return false;
            } else if (c == '#' && lineBlank) {
                if (!directive()) return false;
            } else {
                lineBlank = false;
                if (!token()) return false;
            }
        }
        endLine(out, true);
        return true;
    }

private:
    void endLine(std::vector<Statement>& out, bool atEnd) {
        if (current_.tokens.empty()) return;
        const Token& last = current_.tokens.back();
        if (!atEnd && last.type == TokenType::Punct && (last.text == "," || last.text == "|")) return;
        out.push_back(std::move(current_));
        current_.tokens.clear();
    }

    bool blockComment() {
        int start = line_;
        for (p_ += 2; p_ + 1 < end_; ++p_) {
            if (*p_ == '\n') ++line_;
            if (p_[0] == '*' && p_[1] == '/') {
                p_ += 2;
                return true;
            }
        }
        return fail(error_, start, "comment without its closing */");
    }

    bool directive() {
        int line = line_;
        ++p_;
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t')) ++p_;
        const char* start = p_;
        while (p_ < end_ && isWordChar(*p_)) ++p_;
        std::string name(start, p_);
        if (name != "include" && name != "pragma") {
            return fail(error_, line, "#" + shown(name) + " is not followed by celwrd-rclayout; keep the dialogs free of it");
        }
        while (p_ < end_ && *p_ != '\n') ++p_;
        return true;
    }

    bool token() {
        Token token{TokenType::Punct, {}, 0, line_};
        char c = *p_;
        if (c == '"') {
            if (!string(token)) return false;
        } else if (isDigit(c)) {
            if (!number(token)) return false;
        } else if (isWordStart(c)) {
            const char* start = p_;
            while (p_ < end_ && isWordChar(*p_)) ++p_;
            token.type = TokenType::Word;
            token.text.assign(start, p_);
        } else if (c > ' ' && c < 0x7F) {
            token.text.assign(1, c);
            ++p_;
        } else {
            char byte[8];
            snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(c));
            return fail(error_, line_, std::string("byte ") + byte + " outside a string");
        }
        current_.tokens.push_back(std::move(token));
        return true;
    }

    // "" stands for one quote; backslash escapes as the resource compiler
    // reads them. A string ends on its line.
    bool string(Token& token) {
        token.type = TokenType::String;
        for (++p_;; ++p_) {
            if (p_ == end_ || *p_ == '\n') return fail(error_, token.line, "string without its closing quote");
            char c = *p_;
            if (c == '"') {
                if (p_ + 1 < end_ && p_[1] == '"') {
                    token.text += '"';
                    ++p_;
                    continue;
                }
                ++p_;
                break;
            }
            if (c == '\\') {
                if (p_ + 1 == end_ || p_[1] == '\n') return fail(error_, token.line, "string without its closing quote");
                switch (*++p_) {
                case '\\': c = '\\'; break;
                case 'n': c = '\n'; break;
                case 'r': c = '\r'; break;
                case 't': c = '\t'; break;
                default: return fail(error_, token.line, std::string("escape \\") + *p_ + " is not read; write the character itself");
                }
            }
            token.text += c;
        }
        if (!isUtf8(token.text)) return fail(error_, token.line, "string is not UTF-8");
        return true;
    }

    // Decimal or 0x hexadecimal with C's L and U suffixes, at most 32 bits
    // as the resource compiler keeps them.
    bool number(Token& token) {
        const char* start = p_;
        uint64_t value = 0;
        bool tooLarge = false;
        bool hex = *p_ == '0' && p_ + 1 < end_ && (p_[1] == 'x' || p_[1] == 'X');
        if (hex) p_ += 2;
        const char* digits = p_;
        for (; p_ < end_; ++p_) {
            int digit = hex ? hexValue(*p_) : isDigit(*p_) ? *p_ - '0' : -1;
            if (digit < 0) break;
            value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFF) tooLarge = true, value = 0;
        }
        bool empty = p_ == digits;
        while (p_ < end_ && (*p_ == 'L' || *p_ == 'l' || *p_ == 'U' || *p_ == 'u')) ++p_;
        while (p_ < end_ && isWordChar(*p_)) ++p_, empty = true;
        token.type = TokenType::Number;
        token.text.assign(start, p_);
        if (empty) return fail(error_, token.line, "malformed number " + shown(token.text));
        if (tooLarge) return fail(error_, token.line, "number " + shown(token.text) + " does not fit 32 bits");
        token.value = static_cast<uint32_t>(value);
        return true;
    }

    const char* p_;
    const char* end_;
    int line_ = 1;
    RcError& error_;
    Statement current_;
};

std::string describe(const Token* token) {
    if (!token) return "the end of the statement";
    if (token->type == TokenType::String) return "a string";
    return "'" + shown(token->text) + "'";
}

// The tokens of one statement, left to right.
struct Reader {
    const Statement& statement;
    size_t pos;

    bool atEnd() const { return pos >= statement.tokens.size(); }
    const Token* peek() const { return atEnd() ? nullptr : &statement.tokens[pos]; }
    int line() const { return atEnd() ? statement.tokens.back().line : statement.tokens[pos].line; }
    bool isPunct(const char* text) const {
        return !atEnd() && peek()->type == TokenType::Punct && peek()->text == text;
    }
    bool isWord(const char* text) const { return !atEnd() && peek()->type == TokenType::Word && peek()->text == text; }
};

bool isWord(const Token& token, const char* text) { return token.type == TokenType::Word && token.text == text; }
bool isPunct(const Token& token, const char* text) { return token.type == TokenType::Punct && token.text == text; }
bool isBegin(const Token& token) { return isWord(token, "BEGIN") || isPunct(token, "{"); }
bool isEnd(const Token& token) { return isWord(token, "END") || isPunct(token, "}"); }

bool startsDialog(const Statement& statement) {
    return statement.tokens.size() >= 2 &&
           (isWord(statement.tokens[1], "DIALOG") || isWord(statement.tokens[1], "DIALOGEX"));
}

int dialogIndex(const Token& name) {
    if (name.type != TokenType::Word) return -1;
    for (int i = 0; i < kDialogCount; ++i) {
        if (sameIgnoringCase(name.text, kRcDialogNames[i])) return i;
    }
    return -1;
}

bool expectEnd(const Reader& r, RcError& error) {
    if (r.atEnd()) return true;
    return fail(error, r.line(), "unexpected " + describe(r.peek()));
}

bool expectComma(Reader& r, const char* next, RcError& error) {
    if (r.isPunct(",")) {
        ++r.pos;
        return true;
    }
    if (r.atEnd()) return fail(error, r.line(), std::string(next) + " is missing");
    return fail(error, r.line(), std::string("expected ',' before ") + next + ", found " + describe(r.peek()));
}

bool readString(Reader& r, const char* what, std::string& out, RcError& error) {
    const Token* token = r.peek();
    if (!token || token->type != TokenType::String) {
        return fail(error, r.line(), std::string(what) + " must be a quoted string, not " + describe(token));
    }
    out = token->text;
    ++r.pos;
    return true;
}

// A plain number with an optional minus: templates store 16 bits.
bool readInt16(Reader& r, const char* what, int16_t& out, RcError& error) {
    bool negative = r.isPunct("-");
    if (negative) ++r.pos;
    const Token* token = r.peek();
    if (!token) return fail(error, r.line(), std::string(what) + " is missing");
    if (token->type != TokenType::Number) {
        return fail(error, token->line, std::string(what) + " must be a number, not " + describe(token));
    }
    int64_t value = negative ? -static_cast<int64_t>(token->value) : token->value;
    if (value < INT16_MIN || value > INT16_MAX) {
        return fail(error, token->line,
                    std::string(what) + " " + (negative ? "-" : "") + shown(token->text) + " does not fit a dialog template");
    }
    out = static_cast<int16_t>(value);
    ++r.pos;
    return true;
}

// Style names joined by '|', each adding its bits to `style` or, after
// NOT, taking them away: from a default, NOT WS_TABSTOP removes a stop.
bool readStyle(Reader& r, uint32_t& style, RcError& error) {
    for (;;) {
        bool remove = r.isWord("NOT");
        if (remove) ++r.pos;
        const Token* token = r.peek();
        if (!token) return fail(error, r.line(), "a style is missing");
        uint32_t bits = 0;
        if (token->type == TokenType::Word) {
            const StyleName* found = nullptr;
            for (const StyleName& name : kStyleNames) {
                if (token->text == name.name) found = &name;
            }
            if (!found) {
                return fail(error, token->line,
                            "unknown style " + shown(token->text) +
                                " (a new style needs its constant in ui/layout/dialog_layout.h first)");
            }
            bits = found->bits;
        } else if (token->type != TokenType::Number || token->value != 0) {
            return fail(error, token->line, "expected a style name, found " + describe(token));
        }
        ++r.pos;
        style = remove ? style & ~bits : style | bits;
        if (!r.isPunct("|")) return true;
        ++r.pos;
    }
}

bool readIdExpression(Reader& r, std::string& out, int depth, RcError& error);

// A name, a number, a signed operand or a parenthesised expression,
// rebuilt as C++ so the compiler checks the names against resource_ids.h.
bool readIdOperand(Reader& r, std::string& out, int depth, RcError& error) {
    if (depth > kMaxIdNesting) return fail(error, r.line(), "control id nested too deeply");
    const Token* token = r.peek();
    if (!token || r.isPunct(",")) return fail(error, r.line(), "the control id is missing a value");
    ++r.pos;
    if (isPunct(*token, "-") || isPunct(*token, "+")) {
        std::string operand;
        if (!readIdOperand(r, operand, depth + 1, error)) return false;
        if (token->text == "+") {
            out = operand;
        } else {
            out = operand[0] == '-' ? "-(" + operand + ")" : "-" + operand;
        }
        return true;
    }
    if (isPunct(*token, "(")) {
        std::string inner;
        if (!readIdExpression(r, inner, depth + 1, error)) return false;
        if (!r.isPunct(")")) return fail(error, r.line(), "')' missing in the control id");
        ++r.pos;
        out = "(" + inner + ")";
        return true;
    }
    if (token->type == TokenType::Word && token->text != "NOT") {
        out = token->text;
        return true;
    }
    if (token->type == TokenType::Number) {
        // By value: the script's 010 is ten, C++'s eight.
        out = std::to_string(token->value);
        return true;
    }
    return fail(error, token->line, "unexpected " + describe(token) + " in the control id");
}

bool readIdExpression(Reader& r, std::string& out, int depth, RcError& error) {
    if (!readIdOperand(r, out, depth, error)) return false;
    while (r.isPunct("+") || r.isPunct("-")) {
        std::string op = r.peek()->text, operand;
        ++r.pos;
        if (!readIdOperand(r, operand, depth, error)) return false;
        out += " " + op + " " + operand;
    }
    return true;
}

bool readControl(const Statement& statement, const ControlSyntax& syntax, RcControl& control, RcError& error) {
    Reader r{statement, 1};
    control.kind = syntax.kind;
    if (syntax.hasText) {
        if (!readString(r, "the text", control.text, error) || !expectComma(r, "the control id", error)) return false;
    }
    if (!readIdExpression(r, control.id, 0, error)) return false;
    if (!expectComma(r, "x", error) || !readInt16(r, "x", control.x, error) || !expectComma(r, "y", error) ||
        !readInt16(r, "y", control.y, error) || !expectComma(r, "the width", error) ||
        !readInt16(r, "the width", control.width, error) || !expectComma(r, "the height", error) ||
        !readInt16(r, "the height", control.height, error)) {
        return false;
    }
    if (r.atEnd()) {
        control.style = syntax.defaultStyle | kChild | kLayoutVisible;
        return true;
    }
    control.style = syntax.baseStyle | kChild | kLayoutVisible;
    if (!expectComma(r, "the style", error) || !readStyle(r, control.style, error)) return false;
    if (r.isPunct(",")) {
        // Read so that its names are checked; the table has no place for it.
        uint32_t exStyle = 0;
        ++r.pos;
        if (!readStyle(r, exStyle, error)) return false;
    }
    return expectEnd(r, error);
}

bool readDialogHead(const Statement& statement, RcDialog& dialog, RcError& error) {
    if (isWord(statement.tokens[1], "DIALOGEX")) {
        return fail(error, dialog.line, dialog.name + " must be a DIALOG: the program reads the classic template");
    }
    Reader r{statement, 2};
    while (!r.atEnd() && r.peek()->type == TokenType::Word) {
        bool flag = false;
        for (const char* name : kMemoryFlags) flag = flag || r.peek()->text == name;
        if (!flag) break;
        ++r.pos;
    }
    return readInt16(r, "x", dialog.x, error) && expectComma(r, "y", error) && readInt16(r, "y", dialog.y, error) &&
           expectComma(r, "the width", error) && readInt16(r, "the width", dialog.width, error) &&
           expectComma(r, "the height", error) && readInt16(r, "the height", dialog.height, error) &&
           expectEnd(r, error);
}

// From the DIALOG statement at `i` to its END; `i` ends past the END.
bool readDialog(const std::vector<Statement>& statements, size_t& i, RcDialog& dialog, RcError& error) {
    if (!readDialogHead(statements[i], dialog, error)) return false;
    // As windres: STYLE replaces the default with its own value, which
    // CAPTION and FONT add to as they add to the dialog's style.
    dialog.style = kDialogDefault;
    uint32_t stated = 0;
    for (++i;; ++i) {
        if (i == statements.size()) return fail(error, dialog.line, dialog.name + " has no BEGIN");
        const Statement& statement = statements[i];
        const Token& key = statement.tokens[0];
        Reader r{statement, 1};
        if (isBegin(key)) {
            if (!expectEnd(r, error)) return false;
            break;
        }
        if (isWord(key, "STYLE")) {
            if (!readStyle(r, stated, error)) return false;
            dialog.style = stated;
        } else if (isWord(key, "EXSTYLE")) {
            dialog.exStyle = 0;
            if (!readStyle(r, dialog.exStyle, error)) return false;
        } else if (isWord(key, "CAPTION")) {
            if (!readString(r, "the caption", dialog.caption, error)) return false;
            dialog.style |= kLayoutCaption;
            stated |= kLayoutCaption;
        } else if (isWord(key, "FONT")) {
            int16_t points = 0;
            if (!readInt16(r, "the font size", points, error) || !expectComma(r, "the font name", error) ||
                !readString(r, "the font name", dialog.fontFace, error)) {
                return false;
            }
            if (points <= 0) return fail(error, key.line, "the font size must be above 0");
            dialog.fontPoints = points;
            dialog.style |= kLayoutSetFont;
            stated |= kLayoutSetFont;
        } else if (isWord(key, "LANGUAGE") || isWord(key, "CHARACTERISTICS") || isWord(key, "VERSION")) {
            continue;  // nothing of the layout
        } else {
            return fail(error, key.line, "expected the BEGIN of " + dialog.name + ", found " + describe(&key));
        }
        if (!expectEnd(r, error)) return false;
    }
    int beginLine = statements[i].tokens[0].line;
    for (++i;; ++i) {
        if (i == statements.size()) return fail(error, beginLine, "the BEGIN of " + dialog.name + " has no END");
        const Statement& statement = statements[i];
        const Token& key = statement.tokens[0];
        if (isEnd(key)) {
            ++i;
            return expectEnd(Reader{statement, 1}, error);
        }
        if (startsDialog(statement)) {
            return fail(error, key.line, dialog.name + " has no END before the next DIALOG");
        }
        const ControlSyntax* syntax = nullptr;
        for (const ControlSyntax& candidate : kControlSyntax) {
            if (isWord(key, candidate.keyword)) syntax = &candidate;
        }
        if (!syntax) return fail(error, key.line, "unknown statement " + describe(&key) + " in " + dialog.name);
        RcControl control{};
        if (!readControl(statement, *syntax, control, error)) return false;
        dialog.controls.push_back(std::move(control));
    }
}

enum class TextLanguage : uint8_t { Other, Japanese, English };

// LANGUAGE's primary language, as the script names it.
TextLanguage readLanguage(const Statement& statement) {
    if (statement.tokens.size() < 2) return TextLanguage::Other;
    if (isWord(statement.tokens[1], "LANG_JAPANESE")) return TextLanguage::Japanese;
    if (isWord(statement.tokens[1], "LANG_ENGLISH")) return TextLanguage::English;
    return TextLanguage::Other;
}

// Kana, CJK punctuation and ideographs, and the full- and half-width forms:
// what a Japanese text is written in, and no English one.
bool isJapaneseCharacter(char32_t c) {
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool holdsJapanese(const std::string& text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        char32_t c;
        size_t n = decodeUtf8(p + i, text.size() - i, &c);
        if (n == 0) return false;
        if (isJapaneseCharacter(c)) return true;
        i += n;
    }
    return false;
}

// The rows of one STRINGTABLE from its BEGIN at `i`; `i` ends past END.
// Each row is an IDS_ name, an optional comma and the text.
bool readStringTable(const std::vector<Statement>& statements, size_t& i, TextLanguage language,
                     std::vector<RcText>& texts, std::vector<std::string>& englishIds, RcError& error) {
    int tableLine = statements[i].tokens[0].line;
    Reader head{statements[i], 1};
    while (!head.atEnd() && head.peek()->type == TokenType::Word) {
        bool flag = false;
        for (const char* name : kMemoryFlags) flag = flag || head.peek()->text == name;
        if (!flag) return fail(error, head.line(), "unexpected " + describe(head.peek()) + " after STRINGTABLE");
        ++head.pos;
    }
    if (!expectEnd(head, error)) return false;
    if (language == TextLanguage::Other) {
        return fail(error, tableLine, "a STRINGTABLE must stand under LANGUAGE LANG_JAPANESE or LANG_ENGLISH");
    }
    if (++i == statements.size() || !isBegin(statements[i].tokens[0]) || statements[i].tokens.size() != 1) {
        return fail(error, tableLine, "the STRINGTABLE has no BEGIN");
    }
    for (++i;; ++i) {
        if (i == statements.size()) return fail(error, tableLine, "the STRINGTABLE has no END");
        const Statement& statement = statements[i];
        if (isEnd(statement.tokens[0])) {
            ++i;
            return expectEnd(Reader{statement, 1}, error);
        }
        Reader r{statement, 0};
        const Token& id = *r.peek();
        if (id.type != TokenType::Word || id.text.compare(0, 4, "IDS_") != 0) {
            return fail(error, id.line, "a text is named by an IDS_ id of resource_ids.h, not " + describe(&id));
        }
        ++r.pos;
        if (r.isPunct(",")) ++r.pos;
        std::string value;
        if (!readString(r, "the text", value, error) || !expectEnd(r, error)) return false;
        if (language == TextLanguage::Japanese) {
            for (const RcText& row : texts) {
                if (row.line > 0 && row.id == id.text) {
                    return fail(error, id.line,
                                id.text + " is in the Japanese table twice (first on line " + std::to_string(row.line) + ")");
                }
            }
            texts.push_back(RcText{id.text, id.line, value, {}});
            continue;
        }
        for (const std::string& seen : englishIds) {
            if (seen == id.text) return fail(error, id.line, id.text + " is in the English table twice");
        }
        englishIds.push_back(id.text);
        if (holdsJapanese(value)) return fail(error, id.line, "the English text of " + id.text + " holds Japanese");
        if (value.empty()) return fail(error, id.line, "the English text of " + id.text + " is empty");
        // Matched to its Japanese row once both tables are read.
        texts.push_back(RcText{id.text, -id.line, {}, value});
    }
}

}  // namespace

bool parseRcTexts(const char* text, size_t size, std::vector<RcText>& texts, RcError& error) {
    std::vector<Statement> statements;
    Lexer lexer(text, size, error);
    if (!lexer.run(statements)) return false;
    texts.clear();
    std::vector<RcText> rows;
    std::vector<std::string> englishIds;
    TextLanguage language = TextLanguage::Other;
    int depth = 0;
    size_t i = 0;
    while (i < statements.size()) {
        const Statement& statement = statements[i];
        if (depth == 0 && isWord(statement.tokens[0], "LANGUAGE")) language = readLanguage(statement);
        if (depth == 0 && isWord(statement.tokens[0], "STRINGTABLE")) {
            if (!readStringTable(statements, i, language, rows, englishIds, error)) return false;
            continue;
        }
        for (const Token& token : statement.tokens) {
            if (isBegin(token)) ++depth;
            else if (isEnd(token) && depth > 0) --depth;
        }
        ++i;
    }
    // English rows carry their line negated until matched.
    for (const RcText& row : rows) {
        if (row.line > 0) texts.push_back(row);
    }
    for (const RcText& row : rows) {
        if (row.line > 0) continue;
        RcText* japanese = nullptr;
        for (RcText& candidate : texts) {
            if (candidate.id == row.id) japanese = &candidate;
        }
        if (!japanese) return fail(error, -row.line, row.id + " has an English text but no Japanese one");
        japanese->english = row.english;
    }
    for (const RcText& row : texts) {
        if (row.english.empty()) return fail(error, row.line, row.id + " has no English text");
    }
    return true;
}

bool parseRcDialogs(const char* text, size_t size, RcDialog (&dialogs)[kDialogCount], RcError& error,
                    bool english) {
    std::vector<Statement> statements;
    Lexer lexer(text, size, error);
    if (!lexer.run(statements)) return false;

    bool found[kDialogCount] = {};
    // Blocks of other resources (VERSIONINFO, STRINGTABLE...) are skipped
    // whole, so a DIALOG word inside one is not taken for a template.
    int depth = 0, openLine = 0;
    bool inEnglish = false;
    size_t i = 0;
    while (i < statements.size()) {
        const Statement& statement = statements[i];
        if (depth == 0 && isWord(statement.tokens[0], "LANGUAGE"))
            inEnglish = readLanguage(statement) == TextLanguage::English;
        int which = depth == 0 && inEnglish == english && startsDialog(statement) ? dialogIndex(statement.tokens[0]) : -1;
        if (which >= 0) {
            RcDialog& dialog = dialogs[which];
            int line = statement.tokens[0].line;
            if (found[which]) {
                return fail(error, line,
                            dialog.name + " is there twice (first on line " + std::to_string(dialog.line) + ")");
            }
            found[which] = true;
            dialog = RcDialog{};
            dialog.name = kRcDialogNames[which];
            dialog.line = line;
            if (!readDialog(statements, i, dialog, error)) return false;
            // What an English user reads; the font's name is not shown.
            if (english && holdsJapanese(dialog.caption)) {
                return fail(error, line, "the English caption of " + dialog.name + " holds Japanese");
            }
            for (const RcControl& control : dialog.controls) {
                if (english && holdsJapanese(control.text)) {
                    return fail(error, line, "the English " + dialog.name + "'s " + control.id + " holds Japanese");
                }
            }
            continue;
        }
        for (const Token& token : statement.tokens) {
            if (isBegin(token)) {
                if (depth++ == 0) openLine = token.line;
            } else if (isEnd(token)) {
                if (depth == 0) return fail(error, token.line, "END without BEGIN");
                --depth;
            }
        }
        ++i;
    }
    if (depth > 0) return fail(error, openLine, "BEGIN without END");
    for (int which = 0; which < kDialogCount; ++which) {
        if (!found[which]) {
            return fail(error, 0, std::string("no ") + (english ? "English " : "") + "DIALOG named " + kRcDialogNames[which]);
        }
    }
    return true;
}
