#include "xml_check.h"

#include "svg_text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

struct Reader {
    const std::string& s;
    size_t p;
    std::string error;

    bool fail(const char* what) {
        if (error.empty()) error = std::string(what) + " at byte " + std::to_string(p);
        return false;
    }
    bool atEnd() const { return p >= s.size(); }
    bool startsWith(const char* text) const { return s.compare(p, strlen(text), text) == 0; }
};

bool isNameStart(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? true : c == '_' || c == ':' || c >= 0x80; }
bool isNameChar(unsigned char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void skipSpace(Reader& r) {
    while (!r.atEnd() && isSpace(r.s[r.p])) ++r.p;
}

bool readName(Reader& r, std::string& name) {
    size_t start = r.p;
    if (r.atEnd() || !isNameStart(static_cast<unsigned char>(r.s[r.p]))) return r.fail("name expected");
    while (!r.atEnd() && isNameChar(static_cast<unsigned char>(r.s[r.p]))) ++r.p;
    name = r.s.substr(start, r.p - start);
    return true;
}

bool isXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// "&...;" at r.p, resolved into `out`.
bool readReference(Reader& r, std::string& out) {
    size_t semicolon = r.s.find(';', r.p);
    if (semicolon == std::string::npos || semicolon - r.p > 12) return r.fail("unterminated reference");
    std::string body = r.s.substr(r.p + 1, semicolon - r.p - 1);
    static const std::map<std::string, char> named = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    if (auto it = named.find(body); it != named.end()) {
        out += it->second;
    } else if (body.size() > 1 && body[0] == '#') {
        bool hex = body[1] == 'x';
        const char* digits = body.c_str() + (hex ? 2 : 1);
        if (!*digits) return r.fail("empty character reference");
        uint32_t c = 0;
        for (const char* d = digits; *d; ++d) {
            int v = *d >= '0' && *d <= '9' ? *d - '0' : hex && (*d | 0x20) >= 'a' && (*d | 0x20) <= 'f' ? (*d | 0x20) - 'a' + 10 : -1;
            if (v < 0 || c > 0x10FFFF) return r.fail("bad character reference");
            c = c * (hex ? 16 : 10) + static_cast<uint32_t>(v);
        }
        if (!isXmlChar(c)) return r.fail("reference to a character XML forbids");
        appendUtf8(out, c);
    } else {
        return r.fail("unknown entity");
    }
    r.p = semicolon + 1;
    return true;
}

bool readAttributeValue(Reader& r, std::string& value) {
    char quote = r.atEnd() ? 0 : r.s[r.p];
    if (quote != '"' && quote != '\'') return r.fail("attribute value must be quoted");
    ++r.p;
    while (!r.atEnd() && r.s[r.p] != quote) {
        char c = r.s[r.p];
        if (c == '<') return r.fail("'<' in an attribute value");
        if (c == '&') {
            if (!readReference(r, value)) return false;
        } else {
            value += c;
            ++r.p;
        }
    }
    if (r.atEnd()) return r.fail("unterminated attribute value");
    ++r.p;
    return true;
}

bool skipUntil(Reader& r, const char* end, const char* what) {
    size_t found = r.s.find(end, r.p);
    if (found == std::string::npos) return r.fail(what);
    r.p = found + strlen(end);
    return true;
}

bool readComment(Reader& r) {
    size_t end = r.s.find("-->", r.p + 4);
    if (end == std::string::npos) return r.fail("unterminated comment");
    if (r.s.substr(r.p + 4, end - r.p - 4).find("--") != std::string::npos) return r.fail("'--' in a comment");
    r.p = end + 3;
    return true;
}

// Whole-document check that every byte belongs to a UTF-8 character XML allows.
bool checkCharacters(Reader& r) {
    const auto* b = reinterpret_cast<const unsigned char*>(r.s.data());
    size_t n = r.s.size();
    for (size_t i = 0; i < n;) {
        uint32_t c = b[i];
        size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > n) {
            r.p = i;
            return r.fail("not UTF-8");
        }
        if (length > 1) c &= 0xFF >> (length + 1);
        for (size_t k = 1; k < length; ++k) {
            if ((b[i + k] & 0xC0) != 0x80) {
                r.p = i;
                return r.fail("not UTF-8");
            }
            c = (c << 6) | (b[i + k] & 0x3F);
        }
        static const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < minimum[length] || !isXmlChar(c)) {
            r.p = i;
            return r.fail("a character XML forbids");
        }
        i += length;
    }
    return true;
}

bool readMisc(Reader& r) {
    for (;;) {
        skipSpace(r);
        if (r.startsWith("<!--")) {
            if (!readComment(r)) return false;
        } else if (r.startsWith("<?")) {
            if (!skipUntil(r, "?>", "unterminated processing instruction")) return false;
        } else {
            return true;
        }
    }
}

bool readElements(Reader& r, std::vector<XmlElement>& elements) {
    std::vector<int> open;
    do {
        if (r.atEnd()) return r.fail("unclosed element");
        char c = r.s[r.p];
        if (c == '<' && r.startsWith("</")) {
            r.p += 2;
            std::string name;
            if (!readName(r, name)) return false;
            skipSpace(r);
            if (r.atEnd() || r.s[r.p] != '>') return r.fail("'>' expected");
            ++r.p;
            if (open.empty() || elements[open.back()].name != name) return r.fail("end tag does not match");
            open.pop_back();
        } else if (c == '<' && r.startsWith("<!--")) {
            if (!readComment(r)) return false;
        } else if (c == '<' && r.startsWith("<?")) {
            if (!skipUntil(r, "?>", "unterminated processing instruction")) return false;
        } else if (c == '<' && r.startsWith("<!")) {
            return r.fail("declarations and CDATA are not expected");
        } else if (c == '<') {
            ++r.p;
            XmlElement element;
            element.parent = open.empty() ? -1 : open.back();
            if (!readName(r, element.name)) return false;
            for (;;) {
                size_t before = r.p;
                skipSpace(r);
                if (r.atEnd()) return r.fail("unterminated tag");
                if (r.s[r.p] == '>' || r.startsWith("/>")) break;
                if (r.p == before) return r.fail("blank expected between attributes");
                std::string name, value;
                if (!readName(r, name)) return false;
                skipSpace(r);
                if (r.atEnd() || r.s[r.p] != '=') return r.fail("'=' expected");
                ++r.p;
                skipSpace(r);
                if (!readAttributeValue(r, value)) return false;
                if (!element.attributes.emplace(name, value).second) return r.fail("repeated attribute");
            }
            bool empty = r.startsWith("/>");
            r.p += empty ? 2 : 1;
            elements.push_back(element);
            if (!empty) open.push_back(static_cast<int>(elements.size() - 1));
        } else if (c == '&') {
            std::string text;
            if (!readReference(r, text)) return false;
            if (open.empty()) return r.fail("text outside the root");
            elements[open.back()].text += text;
        } else {
            if (c == '>' && r.p >= 2 && r.s.compare(r.p - 2, 3, "]]>") == 0) return r.fail("']]>' in text");
            if (open.empty()) return r.fail("text outside the root");
            elements[open.back()].text += c;
            ++r.p;
        }
    } while (!open.empty());
    return true;
}

}  // namespace

namespace {

bool readDocument(const std::string& document, const char* prolog, std::vector<XmlElement>& elements,
                  std::string& error) {
    Reader r{document, 0, {}};
    elements.clear();
    bool ok = checkCharacters(r);
    r.p = 0;
    if (ok && !r.startsWith(prolog)) ok = r.fail(prolog[1] == '?' ? "no XML declaration" : "no <!DOCTYPE html>");
    if (ok && prolog[1] == '!') r.p += strlen(prolog);
    if (ok) ok = readMisc(r);
    if (ok && (r.atEnd() || r.s[r.p] != '<')) ok = r.fail("no root element");
    if (ok) ok = readElements(r, elements);
    if (ok) ok = readMisc(r);
    if (ok && !r.atEnd()) ok = r.fail("more after the root element");
    error = r.error;
    return ok;
}

}  // namespace

bool readXml(const std::string& document, std::vector<XmlElement>& elements, std::string& error) {
    return readDocument(document, "<?xml ", elements, error);
}

bool readHtml(const std::string& document, std::vector<XmlElement>& elements, std::string& error) {
    return readDocument(document, "<!DOCTYPE html>", elements, error);
}
