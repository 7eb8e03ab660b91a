// Reads the compiled resource script (a .res file from windres) and checks
// what the program and the dialog manager rely on: the templates found by
// name with their frame, the control ids of resource_ids.h each in its one
// template, the Japanese text as exact UTF-16 (captions, fonts, labels), the
// icons, the manifest and the version.

#include "resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kIcon = 3, kDialog = 5, kGroupIcon = 14, kVersion = 16, kManifest = 24;
constexpr uint16_t kButtonClass = 0x80, kEditClass = 0x81, kStaticClass = 0x82, kComboClass = 0x85;
constexpr uint32_t kDsSetFont = 0x40, kWsTabStop = 0x10000, kEsNumber = 0x2000, kEsRight = 0x2;
constexpr uint16_t kNoId = 0xFFFF;

// A name or an ordinal, as both the RES format and dialog templates store them.
struct NameOrId {
    std::u16string name;
    uint16_t id = 0;
    bool operator==(const NameOrId&) const = default;
};

struct Resource {
    NameOrId type, name;
    uint16_t language;
    std::vector<uint8_t> data;
};

// The English templates and texts stand beside these under their own
// language id; the checks here are of the Japanese ones and the neutral
// icons, manifest and version.
constexpr uint16_t kNeutral = 0x0000, kJapanese = 0x0411;

// Little-endian cursor; any read past the end marks it failed and yields 0.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    void seek(size_t pos) { pos <= size_ ? void(pos_ = pos) : fail(); }
    void align4() { seek((pos_ + 3) & ~size_t(3)); }
    uint16_t u16() {
        if (pos_ + 2 > size_) return fail(), 0;
        uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        uint32_t low = u16();
        return low | uint32_t(u16()) << 16;
    }
    int16_t i16() { return int16_t(u16()); }
    std::u16string string() {
        std::u16string s;
        for (uint16_t c = u16(); ok_ && c != 0; c = u16()) s += char16_t(c);
        return s;
    }
    NameOrId nameOrId() {
        size_t start = pos_;
        if (u16() == 0xFFFF) return NameOrId{u"", u16()};
        seek(start);
        return NameOrId{string(), 0};
    }

private:
    void fail() { ok_ = false, pos_ = size_; }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

std::vector<uint8_t> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Entries of a .res file: each a header (sizes, type, name, language) and its
// data, both padded to 4 bytes. Empty on a malformed file.
std::vector<Resource> parseRes(const std::vector<uint8_t>& file) {
    std::vector<Resource> out;
    Reader r(file.data(), file.size());
    while (r.ok() && r.pos() < file.size()) {
        size_t start = r.pos();
        uint32_t dataSize = r.u32(), headerSize = r.u32();
        Resource res;
        res.type = r.nameOrId();
        res.name = r.nameOrId();
        r.align4();
        r.u32();  // data version
        r.u16();  // memory flags
        res.language = r.u16();
        if (!r.ok() || start + headerSize + dataSize > file.size()) return {};
        res.data.assign(file.begin() + long(start + headerSize), file.begin() + long(start + headerSize + dataSize));
        r.seek(start + headerSize + dataSize);
        r.align4();
        if (dataSize != 0) out.push_back(std::move(res));  // the leading entry is empty
    }
    return out;
}

struct Control {
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t id = 0;
    NameOrId kind;
    std::u16string text;
    bool is(uint16_t systemClass) const { return kind == NameOrId{u"", systemClass}; }
};

// A classic DIALOG template: its first word is the style the program reads.
struct Dialog {
    uint32_t style = 0, exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::u16string caption, font;
    uint16_t pointSize = 0;
    std::vector<Control> controls;  // in tab order
};

std::optional<Dialog> parseDialog(const std::vector<uint8_t>& data) {
    Reader r(data.data(), data.size());
    Dialog d;
    d.style = r.u32();
    d.exStyle = r.u32();
    uint16_t count = r.u16();
    d.x = r.i16(), d.y = r.i16(), d.cx = r.i16(), d.cy = r.i16();
    r.nameOrId();  // menu
    r.nameOrId();  // class
    d.caption = r.string();
    if (d.style & kDsSetFont) {
        d.pointSize = r.u16();
        d.font = r.string();
    }
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
        r.align4();
        Control c;
        c.style = r.u32();
        r.u32();  // extended style
        c.x = r.i16(), c.y = r.i16(), c.cx = r.i16(), c.cy = r.i16();
        c.id = r.u16();
        c.kind = r.nameOrId();
        NameOrId text = r.nameOrId();
        c.text = text.name;
        uint16_t creationData = r.u16();
        r.seek(r.pos() + creationData);
        d.controls.push_back(c);
    }
    if (!r.ok()) return std::nullopt;
    return d;
}

class ResourceScript : public ::testing::Test {
protected:
    void SetUp() override {
        resources = parseRes(readFile(CELWRD_RES_PATH));
        ASSERT_FALSE(resources.empty()) << "cannot read " << CELWRD_RES_PATH;
    }

    const Resource* find(uint16_t type, const NameOrId& name) const {
        for (const Resource& res : resources)
            if (res.type == NameOrId{u"", type} && res.name == name &&
                (res.language == kNeutral || res.language == kJapanese))
                return &res;
        return nullptr;
    }

    // The loader upper-cases a name before it looks it up, so the stored
    // name must be upper case already.
    std::optional<Dialog> dialog(const std::u16string& upperName) const {
        const Resource* res = find(kDialog, NameOrId{upperName, 0});
        if (res == nullptr) return std::nullopt;
        return parseDialog(res->data);
    }

    std::vector<Resource> resources;
};

const char16_t* const kDialogNames[] = {u"VMID_DLG_MAIN", u"VMID_DLG_SOUND", u"VMID_DLG_LOG", u"VMID_DLG_HEALTH"};

std::string narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        char buffer[8];
        if (c < 0x80) out += char(c);
        else std::snprintf(buffer, sizeof buffer, "\\u%04X", unsigned(c)), out += buffer;
    }
    return out;
}

TEST_F(ResourceScript, TemplatesHaveTheirFrames) {
    struct Row {
        const char16_t* name;
        uint32_t style, exStyle;
        int16_t x, y, cx, cy;
        const char16_t *caption, *font;
    } rows[] = {
        {u"VMID_DLG_MAIN", 0x10C80040, 0, 6, 16, 214, 259, u"Cellwarden", u"ＭＳ Ｐゴシック"},
        {u"VMID_DLG_SOUND", 0x90C800C0, 0x1, 6, 15, 296, 97, u"ｻｳﾝﾄﾞﾌｧｲﾙの設定", u"ＭＳ Ｐゴシック"},
        {u"VMID_DLG_LOG", 0x10CC0040, 0, 6, 15, 400, 100, u"ﾛｸﾞ", u"ＭＳ ゴシック"},
        {u"VMID_DLG_HEALTH", 0x10CA0040, 0, 6, 15, 262, 236, u"ﾊﾞｯﾃﾘｰの状態", u"ＭＳ Ｐゴシック"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(narrow(row.name));
        std::optional<Dialog> d = dialog(row.name);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->style, row.style);
        EXPECT_EQ(d->exStyle, row.exStyle);
        EXPECT_EQ((std::vector<int>{d->x, d->y, d->cx, d->cy}), (std::vector<int>{row.x, row.y, row.cx, row.cy}));
        EXPECT_EQ(narrow(d->caption), narrow(row.caption));
        EXPECT_EQ(d->pointSize, 9);
        EXPECT_EQ(narrow(d->font), narrow(row.font));
    }
}

// The ids of resource_ids.h by the template whose block holds them; a
// define commented "A..B" stands for that range.
std::map<std::u16string, std::set<int>> idsByTemplate() {
    std::ifstream in(RESOURCE_IDS_PATH);
    std::map<std::u16string, std::set<int>> out;
    std::u16string block;
    const std::regex blockLine(R"(^// -+ (VMID_Dlg_\w+))"), define(R"(^#define IDC_\w+ (\d+))"),
        range(R"((\d+)\.\.(\d+))");
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("// -----", 0) == 0) block.clear();
        if (std::regex_search(line, m, blockLine)) {
            for (char c : m[1].str()) block += char16_t(std::toupper(c));
        } else if (!block.empty() && std::regex_search(line, m, define)) {
            int first = std::stoi(m[1]), last = first;
            if (std::regex_search(line, m, range)) first = std::stoi(m[1]), last = std::stoi(m[2]);
            for (int id = first; id <= last; ++id) out[block].insert(id);
        }
    }
    return out;
}

TEST_F(ResourceScript, EveryIdLivesInExactlyOneTemplate) {
    std::map<std::u16string, std::set<int>> expected = idsByTemplate();
    ASSERT_EQ(expected.size(), 4u) << "no blocks read from " << RESOURCE_IDS_PATH;
    expected[u"VMID_DLG_MAIN"].insert({IDC_OK, IDC_CANCEL, IDC_APPLY, IDC_HELP_BUTTON});
    expected[u"VMID_DLG_SOUND"].insert({IDC_OK, IDC_CANCEL});
    expected[u"VMID_DLG_HEALTH"].insert(IDC_OK);

    std::map<int, int> templatesHolding;
    for (const char16_t* name : kDialogNames) {
        SCOPED_TRACE(narrow(name));
        std::optional<Dialog> d = dialog(name);
        ASSERT_TRUE(d.has_value());
        std::set<int> ids;
        for (const Control& c : d->controls) {
            if (c.id == kNoId) {
                // Only labels and group boxes go without an id.
                bool groupBox = c.is(kButtonClass) && (c.style & 0xF) == 7;
                EXPECT_TRUE(c.is(kStaticClass) || groupBox) << narrow(c.text);
                continue;
            }
            EXPECT_TRUE(ids.insert(c.id).second) << "id " << c.id << " twice";
            ++templatesHolding[c.id];
        }
        EXPECT_EQ(ids, expected[name]);
    }
    for (auto [id, count] : templatesHolding) {
        if (id != IDC_OK && id != IDC_CANCEL) {
            EXPECT_EQ(count, 1) << "id " << id;
        }
    }
}

// A mnemonic on a label moves the focus to the next control in tab order,
// so that control must take the focus; the doubled ampersand shows as one.
TEST_F(ResourceScript, MnemonicLabelsStandBeforeTheirControls) {
    std::map<std::u16string, uint16_t> labelled;
    for (const char16_t* name : kDialogNames) {
        std::optional<Dialog> d = dialog(name);
        ASSERT_TRUE(d.has_value());
        for (size_t i = 0; i + 1 < d->controls.size(); ++i) {
            const Control& c = d->controls[i];
            if (c.is(kStaticClass) && c.text.find(u"(&") != std::u16string::npos) {
                EXPECT_TRUE(d->controls[i + 1].style & kWsTabStop) << narrow(c.text);
                labelled[c.text] = d->controls[i + 1].id;
            }
        }
    }
    EXPECT_EQ(labelled[u"充電(&C):"], IDC_CHARGE_SECONDS);
    EXPECT_EQ(labelled[u"ﾌｧｲﾙ名(&N):"], IDC_LOG_FILE);
    EXPECT_EQ(labelled[u"AC&&ﾊﾞｯﾃﾘｰ使用時(&B):"], IDC_ACBATT_ENABLE);
    EXPECT_EQ(labelled[u"容量減少警告(&E):"], IDC_LOW_ENABLE);
}

// Edits take any text (the program clamps numbers), lists drop down
// without typing, and the log keeps long lines unwrapped.
TEST_F(ResourceScript, ControlKindsKeepTheirBehaviour) {
    int lists = 0;
    for (const char16_t* name : kDialogNames) {
        std::optional<Dialog> d = dialog(name);
        ASSERT_TRUE(d.has_value());
        for (const Control& c : d->controls) {
            if (c.is(kEditClass)) {
                EXPECT_FALSE(c.style & kEsNumber) << "id " << c.id;
            }
            if (c.is(kComboClass)) {
                ++lists;
                EXPECT_EQ(c.style & 0x3, 0x3u) << "id " << c.id;  // CBS_DROPDOWNLIST
                EXPECT_EQ(c.cy, 72) << "id " << c.id;
            }
            if (c.id == IDC_FULL_PERCENT || c.id == IDC_LOW_PERCENT || c.id == IDC_LOG_INTERVAL) {
                EXPECT_TRUE(c.style & kEsRight) << "id " << c.id;
            }
        }
    }
    EXPECT_EQ(lists, 5);
    std::optional<Dialog> log = dialog(u"VMID_DLG_LOG");
    ASSERT_TRUE(log.has_value() && log->controls.size() == 1);
    EXPECT_EQ(log->controls[0].style, 0x50B11804u);
    EXPECT_TRUE(log->controls[0].is(kEditClass));
}

TEST_F(ResourceScript, IconsManifestAndVersionArePresent) {
    for (uint16_t id = 1; id <= IDI_COUNT; ++id) {
        const Resource* group = find(kGroupIcon, NameOrId{u"", id});
        ASSERT_NE(group, nullptr) << "icon " << id;
        // Group header, then 14-byte entries: width, height, ..., image id.
        Reader r(group->data.data(), group->data.size());
        r.u16(), r.u16();
        std::set<int> sizes;
        for (uint16_t n = r.u16(), i = 0; i < n && r.ok(); ++i) {
            size_t entry = r.pos();
            int width = r.u16() & 0xFF;
            r.seek(entry + 12);
            const Resource* image = find(kIcon, NameOrId{u"", r.u16()});
            ASSERT_NE(image, nullptr) << "icon " << id;
            if (width == 0) {
                // Explorer's large icons: a PNG of 256 pixels.
                static const uint8_t kPng[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
                ASSERT_GE(image->data.size(), 24u) << "icon " << id;
                EXPECT_TRUE(std::equal(kPng, kPng + 16, image->data.begin())) << "icon " << id;
                EXPECT_EQ(image->data[18] << 8 | image->data[19], 256) << "icon " << id;
                width = 256;
            }
            sizes.insert(width);
        }
        EXPECT_TRUE(sizes.count(32) && sizes.count(16) && sizes.count(256)) << "icon " << id;
    }

    const Resource* manifest = find(kManifest, NameOrId{u"", 1});
    ASSERT_NE(manifest, nullptr);
    std::string xml(manifest->data.begin(), manifest->data.end());
    EXPECT_NE(xml.find("\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(xml.find(">true</dpiAware>"), std::string::npos);

    const Resource* version = find(kVersion, NameOrId{u"", 1});
    ASSERT_NE(version, nullptr);
    // VS_FIXEDFILEINFO: signature, structure version, file version high and low.
    Reader r(version->data.data(), version->data.size());
    r.seek(40);
    EXPECT_EQ(r.u32(), 0xFEEF04BDu);
    r.u32();
    EXPECT_EQ(r.u32(), 0x00010005u);
    EXPECT_EQ(r.u32(), 0u);
    std::u16string strings;
    for (size_t i = 0; i + 1 < version->data.size(); i += 2)
        strings += char16_t(version->data[i] | version->data[i + 1] << 8);
    // Each block (Japanese, English) holds KEY, its end and padding, VALUE.
    for (const char16_t* pair : {u"CompanyName\0the Cellwarden authors\0",
                                 u"LegalCopyright\0Copyright (C) 2026 the Cellwarden authors\0"}) {
        std::u16string key(pair), value(pair + key.size() + 1);
        size_t count = 0;
        for (size_t at = strings.find(key + u'\0'); at != std::u16string::npos; at = strings.find(key + u'\0', at + 1)) {
            size_t v = strings.find_first_not_of(u'\0', at + key.size());
            count += v != std::u16string::npos && strings.compare(v, value.size() + 1, value + u'\0') == 0;
        }
        EXPECT_EQ(count, 2u) << narrow(key);
    }
}

}  // namespace
