// Reads the resources back from the built program through the Windows API, as the platform will see them.
#include "res/resource.h"
#include "pe_summary.h"
#include "win_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr WORD Portuguese = 0x0816;

struct Program {
    HMODULE module = LoadLibraryExA(besideThisProgram("Quintabela_Timer.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ~Program() { FreeLibrary(module); }

    std::vector<std::uint8_t> resource(LPCSTR type, int id) const {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), Portuguese);
        if (!found)
            return {};
        const auto *data = static_cast<const std::uint8_t *>(LockResource(LoadResource(module, found)));
        return {data, data + SizeofResource(module, found)};
    }
};

// Reads a template or version block: little-endian fields, UTF-16 strings, ordinals behind 0xFFFF.
struct Reader {
    const std::vector<std::uint8_t> &bytes;
    std::size_t at = 0;

    template <class T> T read() {
        T value{};
        if (at + sizeof(T) <= bytes.size())
            std::memcpy(&value, bytes.data() + at, sizeof(T));
        at += sizeof(T);
        return value;
    }
    std::string text() // UTF-16 code units below 256 narrowed; others become '?'
    {
        std::string s;
        for (WORD c; (c = read<WORD>()) != 0 && at <= bytes.size();)
            s += c < 256 ? static_cast<char>(c) : '?';
        return s;
    }
    // An ordinal reads as "#<number>", a string as itself.
    std::string textOrOrdinal() {
        if (at + 2 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] == 0xFF) {
            at += 2;
            return "#" + std::to_string(read<WORD>());
        }
        return text();
    }
    void alignTo4() { at = (at + 3) & ~std::size_t{3}; }
};

struct Control {
    DWORD exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    std::string cls, text;
    bool operator==(const Control &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Control &c) {
    return os << c.id << " " << c.cls << " '" << c.text << "' " << c.x << "," << c.y << " " << c.cx << "x"
              << c.cy << " style 0x" << std::hex << c.style << " ex 0x" << c.exStyle << std::dec;
}

constexpr DWORD PushButton = 0x50010000, Label = 0x50020001, Edge = WS_EX_STATICEDGE;

const Control ExpectedControls[] = {
    {0, 0x5000100E, 7, 7, 53, 63, IDC_PICTURE, "#130", "#102"},
    {Edge, PushButton, 66, 7, 35, 10, IDC_CRIME, "#128", "Crime"},
    {Edge, PushButton, 66, 24, 35, 10, IDC_CARRO, "#128", "Carro"},
    {0, Label, 108, 7, 47, 8, IDC_CRIME_TIME, "#130", "AGORA"},
    {0, Label, 108, 24, 47, 10, IDC_CARRO_TIME, "#130", "AGORA"},
    {Edge, PushButton, 66, 41, 35, 10, IDC_VOAR, "#128", "Voar"},
    {0, Label, 108, 41, 47, 11, IDC_VOAR_TIME, "#130", "AGORA"},
    {0, 0x50210103, 66, 58, 89, 125, IDC_VEHICLE, "#133", ""},
    {Edge, PushButton, 160, 7, 35, 10, IDC_HEIST, "#128", "Heist"},
    {Edge, PushButton, 160, 41, 35, 10, IDC_BALAS, "#128", "Balas"},
    {Edge, PushButton, 160, 58, 35, 10, IDC_MATAR, "#128", "Matar"},
    {Edge, PushButton, 160, 24, 35, 10, IDC_OC, "#128", "OC"},
    {0, Label, 201, 7, 44, 8, IDC_HEIST_TIME, "#130", "AGORA"},
    {0, Label, 201, 24, 44, 10, IDC_OC_TIME, "#130", "AGORA"},
    {0, Label, 201, 42, 44, 11, IDC_BALAS_TIME, "#130", "AGORA"},
    {0, Label, 201, 61, 44, 10, IDC_MATAR_TIME, "#130", "AGORA"},
    {0, PushButton, 251, 61, 35, 10, IDC_HIDE, "#128", "Esconder"},
    {0, PushButton, 251, 47, 35, 10, IDC_RESET, "#128", "Reset"},
    {0, PushButton, 251, 33, 35, 10, IDC_EXIT, "#128", "Sair"},
};

using Entry = std::tuple<std::uintptr_t, std::uintptr_t, WORD>; // type, name, language

} // namespace

TEST(Resources, ExactlyTheFiveEntriesAllInPortuguese) {
    Program p;
    ASSERT_NE(p.module, nullptr);
    std::set<Entry> found;
    // Each level names its own parameters: a nested lambda's that repeat the outer one's hide them.
    EnumResourceTypesA(
        p.module,
        [](HMODULE m, LPSTR type, LONG_PTR all) -> BOOL {
            EnumResourceNamesA(
                m, type,
                [](HMODULE inModule, LPCSTR ofType, LPSTR name, LONG_PTR into) -> BOOL {
                    EnumResourceLanguagesA(
                        inModule, ofType, name,
                        [](HMODULE, LPCSTR entryType, LPCSTR entryName, WORD lang, LONG_PTR entries) -> BOOL {
                            // Named (string) types or names would show as non-ordinals: keep them visible.
                            reinterpret_cast<std::set<Entry> *>(entries)->insert(
                                {IS_INTRESOURCE(entryType) ? reinterpret_cast<std::uintptr_t>(entryType)
                                                           : 0xFFFFFF,
                                 IS_INTRESOURCE(entryName) ? reinterpret_cast<std::uintptr_t>(entryName)
                                                           : 0xFFFFFF,
                                 lang});
                            return TRUE;
                        },
                        into);
                    return TRUE;
                },
                all);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&found));
    const std::set<Entry> expected{
        {2, IDB_CREST, Portuguese}, // RT_BITMAP
        {3, 1, Portuguese},         // RT_ICON
        {5, IDD_MAIN, Portuguese},  // RT_DIALOG
        {14, IDI_TRAY, Portuguese}, // RT_GROUP_ICON
        {16, 1, Portuguese},        // RT_VERSION
    };
    EXPECT_EQ(found, expected);
}

TEST(Resources, DialogTemplateHeader) {
    Program p;
    const std::vector<std::uint8_t> t = p.resource(RT_DIALOG, IDD_MAIN);
    ASSERT_FALSE(t.empty());
    Reader r{t};
    EXPECT_EQ(r.read<WORD>(), 1);      // dlgVer
    EXPECT_EQ(r.read<WORD>(), 0xFFFF); // extended template
    EXPECT_EQ(r.read<DWORD>(), 0u);    // helpID
    EXPECT_EQ(r.read<DWORD>(), 0x88u) << "WS_EX_TOPMOST | WS_EX_TOOLWINDOW";
    EXPECT_EQ(r.read<DWORD>(), 0x800008C8u)
        << "WS_POPUP | DS_MODALFRAME | DS_CENTER | DS_SHELLFONT, no caption";
    EXPECT_EQ(r.read<WORD>(), 19);
    EXPECT_EQ(r.read<short>(), 0);
    EXPECT_EQ(r.read<short>(), 0);
    EXPECT_EQ(r.read<short>(), 293);
    EXPECT_EQ(r.read<short>(), 78);
    EXPECT_EQ(r.textOrOrdinal(), "") << "menu";
    EXPECT_EQ(r.textOrOrdinal(), "") << "class";
    EXPECT_EQ(r.text(), "") << "title";
    EXPECT_EQ(r.read<WORD>(), 8);   // points
    EXPECT_EQ(r.read<WORD>(), 400); // weight
    EXPECT_EQ(r.read<BYTE>(), 0);   // italic
    EXPECT_EQ(r.read<BYTE>(), 1);   // DEFAULT_CHARSET
    EXPECT_EQ(r.text(), "MS Shell Dlg");
}

TEST(Resources, DialogControlsInTemplateOrder) {
    Program p;
    const std::vector<std::uint8_t> t = p.resource(RT_DIALOG, IDD_MAIN);
    ASSERT_FALSE(t.empty());
    Reader r{t};
    r.at = 26; // past the fixed header
    r.textOrOrdinal();
    r.textOrOrdinal();
    r.text();
    r.at += 6;
    r.text();
    std::vector<Control> controls;
    while (r.at < t.size()) {
        r.alignTo4();
        Control c{};
        r.read<DWORD>(); // helpID
        c.exStyle = r.read<DWORD>();
        c.style = r.read<DWORD>();
        c.x = r.read<short>();
        c.y = r.read<short>();
        c.cx = r.read<short>();
        c.cy = r.read<short>();
        c.id = r.read<DWORD>();
        c.cls = r.textOrOrdinal();
        c.text = r.textOrOrdinal();
        EXPECT_EQ(r.read<WORD>(), 0) << "no creation data for " << c.id;
        controls.push_back(c);
    }
    ASSERT_EQ(controls.size(), std::size(ExpectedControls));
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_EQ(controls[i], ExpectedControls[i]) << "control " << i;
}

TEST(Resources, CrestBitmap) {
    Program p;
    const std::vector<std::uint8_t> b = p.resource(RT_BITMAP, IDB_CREST);
    ASSERT_EQ(b.size(), sizeof(BITMAPINFOHEADER) + 23600);
    BITMAPINFOHEADER h;
    std::memcpy(&h, b.data(), sizeof h);
    EXPECT_EQ(h.biSize, sizeof h);
    EXPECT_EQ(h.biWidth, 78);
    EXPECT_EQ(h.biHeight, 100) << "positive: bottom-up";
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(h.biSizeImage, 23600u);
    EXPECT_EQ(h.biXPelsPerMeter, 2834);
    EXPECT_EQ(h.biYPelsPerMeter, 2834);
    EXPECT_EQ(h.biClrUsed, 0u);
}

TEST(Resources, TrayIconGroupHoldsOne32BitImageWithAlpha) {
    Program p;
    const std::vector<std::uint8_t> g = p.resource(RT_GROUP_ICON, IDI_TRAY);
    ASSERT_EQ(g.size(), 6u + 14u) << "a header and one entry";
    Reader r{g};
    EXPECT_EQ(r.read<WORD>(), 0);
    EXPECT_EQ(r.read<WORD>(), 1); // icon, not cursor
    EXPECT_EQ(r.read<WORD>(), 1);
    EXPECT_EQ(r.read<BYTE>(), 32);
    EXPECT_EQ(r.read<BYTE>(), 32);
    EXPECT_EQ(r.read<BYTE>(), 0); // colour count
    r.read<BYTE>();
    EXPECT_EQ(r.read<WORD>(), 1);  // planes
    EXPECT_EQ(r.read<WORD>(), 32); // bits
    const DWORD bytes = r.read<DWORD>();
    EXPECT_EQ(r.read<WORD>(), 1) << "image 1";

    const std::vector<std::uint8_t> image = p.resource(RT_ICON, 1);
    ASSERT_EQ(image.size(), bytes);
    BITMAPINFOHEADER h;
    std::memcpy(&h, image.data(), sizeof h);
    EXPECT_EQ(h.biWidth, 32);
    EXPECT_EQ(h.biHeight, 64) << "colour and mask";
    EXPECT_EQ(h.biBitCount, 32);
    // Smooth edges need partial alpha; a fully opaque or fully clear image has none.
    int clear = 0, partial = 0, opaque = 0;
    for (std::size_t i = sizeof h + 3; i < sizeof h + 32 * 32 * 4; i += 4)
        (image[i] == 0 ? clear : image[i] == 255 ? opaque : partial)++;
    EXPECT_GT(clear, 0);
    EXPECT_GT(partial, 0);
    EXPECT_GT(opaque, 0);

    HICON icon =
        CreateIconFromResourceEx(const_cast<BYTE *>(image.data()), bytes, TRUE, 0x00030000, 32, 32, 0);
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
}

namespace {

// One node of a version resource: its key, its value bytes, its children.
struct VersionNode {
    std::string key;
    std::vector<std::uint8_t> value;
    bool text = false;
    std::vector<VersionNode> children;
};

VersionNode readVersionNode(const std::vector<std::uint8_t> &bytes, std::size_t at) {
    Reader r{bytes, at};
    const std::size_t end = at + r.read<WORD>();
    const WORD valueLength = r.read<WORD>();
    VersionNode n;
    n.text = r.read<WORD>() == 1;
    n.key = r.text();
    r.alignTo4();
    const std::size_t valueBytes = n.text ? valueLength * 2u : valueLength;
    n.value.assign(bytes.begin() + r.at, bytes.begin() + std::min(r.at + valueBytes, bytes.size()));
    r.at += valueBytes;
    for (r.alignTo4(); r.at < end && r.at < bytes.size(); r.alignTo4()) {
        n.children.push_back(readVersionNode(bytes, r.at));
        r.at += Reader{bytes, r.at}.read<WORD>();
    }
    return n;
}

std::string utf16Value(const VersionNode &n) {
    std::vector<std::uint8_t> v = n.value;
    Reader r{v};
    return r.text();
}

} // namespace

TEST(Resources, VersionRecord) {
    Program p;
    const std::vector<std::uint8_t> v = p.resource(RT_VERSION, 1);
    ASSERT_FALSE(v.empty());
    const VersionNode root = readVersionNode(v, 0);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO f;
    std::memcpy(&f, root.value.data(), sizeof f);
    EXPECT_EQ(f.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(f.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(f.dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(f.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(f.dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(f.dwFileFlagsMask, 0x17u);
    EXPECT_EQ(f.dwFileFlags, 0u);
    EXPECT_EQ(f.dwFileOS, 0x4u);
    EXPECT_EQ(f.dwFileType, 0x1u);
    EXPECT_EQ(f.dwFileSubtype, 0u);
    EXPECT_EQ(f.dwFileDateMS, 0u);
    EXPECT_EQ(f.dwFileDateLS, 0u);

    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode &strings = root.children[0];
    EXPECT_EQ(strings.key, "StringFileInfo");
    ASSERT_EQ(strings.children.size(), 1u) << "one string table";
    EXPECT_EQ(strings.children[0].key, "081604b0");
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const VersionNode &s : strings.children[0].children)
        pairs.emplace_back(s.key, utf16Value(s));
    const std::vector<std::pair<std::string, std::string>> expected{
        {"FileDescription", "Quintabela Application"}, {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "Quintabela Timer"},          {"OriginalFilename", "Quintabela_Timer.exe"},
        {"ProductName", "Quintabela Timer"},           {"ProductVersion", "1, 0, 0, 1"},
    };
    EXPECT_EQ(pairs, expected);

    const VersionNode &vars = root.children[1];
    EXPECT_EQ(vars.key, "VarFileInfo");
    ASSERT_EQ(vars.children.size(), 1u);
    EXPECT_EQ(vars.children[0].key, "Translation");
    const std::vector<std::uint8_t> translation{0x16, 0x08, 0xB0, 0x04};
    EXPECT_EQ(vars.children[0].value, translation);
}

// Users copy one file onto any Windows PC: it may need nothing but what every Windows has.
TEST(Executable, ImportsOnlySystemDllsAndStaysSmall) {
    const PeSummary pe = readPe(besideThisProgram("Quintabela_Timer.exe"));
    ASSERT_GT(pe.size, 1024u);
    EXPECT_EQ(pe.machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(pe.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI) << "no console window";
    const std::set<std::string> &dlls = pe.imports;
    // The C runtime is msvcrt.dll with MinGW; a static MSVC runtime imports none.
    const std::set<std::string> allowed{"GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "SHELL32.DLL",
                                        "USER32.DLL"};
    for (const std::string &d : dlls)
        EXPECT_TRUE(allowed.count(d)) << d;
    for (const char *needed : {"KERNEL32.DLL", "SHELL32.DLL", "USER32.DLL"})
        EXPECT_TRUE(dlls.count(needed)) << needed;
    // What a security review of a Windows program looks for, and Windows' own linker sets by default.
    constexpr WORD flags[] = {IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA,
                              IMAGE_DLLCHARACTERISTICS_NX_COMPAT,
                              IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE};
    for (const WORD flag : flags)
        EXPECT_EQ(pe.dllCharacteristics & flag, flag) << std::hex << "flag 0x" << flag;
    EXPECT_GT(pe.relocationBytes, 0u) << "ASLR moves only an image that carries its relocations";
    std::printf("Quintabela_Timer.exe: %zu bytes, DllCharacteristics 0x%04X, imports:", pe.size,
                pe.dllCharacteristics);
    for (const std::string &d : dlls)
        std::printf(" %s", d.c_str());
    std::printf("\n");
#ifdef __GNUC__
    EXPECT_LE(pe.size, 96u * 1024) << "stripped size budget";
    EXPECT_EQ(pe.timeStamp, 0u) << "the same sources give the same bytes only without a link time";
#endif
}
