// Reads the resources back out of the built program, as the platform would load them.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "logging/ProgramIdentity.h"
#include "logging/TextConversion.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr WORD kUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kUk = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);

std::wstring ProgramPath() {
    return ProgramFolder() + L"VistalyneSessionHandler.exe";
}

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module);
    }
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }
    const BYTE* Resource(LPCWSTR type, WORD id, WORD language, DWORD* size = nullptr) const {
        HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
        if (found == nullptr) return nullptr;
        if (size != nullptr) *size = SizeofResource(module, found);
        return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    }
    HMODULE module = nullptr;
};

// Walks a dialog template: words, strings and ordinals, items aligned to DWORDs.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : start(data), at(data) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }
    std::wstring String() {
        std::wstring text;
        for (WORD c = Word(); c != 0; c = Word()) text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    // An ordinal comes out as "#<number>".
    std::wstring StringOrOrdinal() {
        if (*reinterpret_cast<const WORD*>(at) == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return String();
    }
    void AlignToDword() {
        while ((at - start) % 4 != 0) ++at;
    }
    void Skip(size_t bytes) { at += bytes; }

private:
    template <typename T>
    T Take() {
        T value;
        std::memcpy(&value, at, sizeof(T));
        at += sizeof(T);
        return value;
    }
    const BYTE* start;
    const BYTE* at;
};

struct Control {
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::wstring className;
    std::wstring text;
};

}  // namespace

TEST_F(ProgramResources, VersionBlockHoldsTheFileVersion) {
    EXPECT_EQ(L"V1.0.0.2", VersionTextOfFile(WideToNarrow(ProgramPath())));
    EXPECT_NE(nullptr, Resource(RT_VERSION, 1, kUk));
    const std::string path = WideToNarrow(ProgramPath());
    std::vector<BYTE> block(GetFileVersionInfoSizeA(path.c_str(), nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(
        GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    for (const auto& [key, expected] : std::vector<std::pair<std::string, std::string>>{
             {"ProductName", "Vistalyne Session Handler"},
             {"FileDescription", "Vistalyne Session Handler"},
             {"InternalName", "VistalyneSessionHandler.exe"},
             {"OriginalFilename", "VistalyneSessionHandler.exe"},
             {"FileVersion", "1.0.0.2"}}) {
        char* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), ("\\StringFileInfo\\080904b0\\" + key).c_str(),
                                   reinterpret_cast<void**>(&value), &length))
            << key;
        EXPECT_EQ(expected, std::string(value)) << key;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwProductVersionMS);
    EXPECT_EQ(MAKELONG(2, 0), fixed->dwProductVersionLS);
}

TEST_F(ProgramResources, MenuHasExitUnderFileAndAboutUnderHelp) {
    ASSERT_NE(nullptr, Resource(RT_MENU, 109, kUs));
    HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(109));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(2, GetMenuItemCount(menu));
    wchar_t text[64];
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&File", text);
    GetMenuStringW(menu, 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&Help", text);
    HMENU file = GetSubMenu(menu, 0);
    HMENU help = GetSubMenu(menu, 1);
    ASSERT_EQ(1, GetMenuItemCount(file));
    ASSERT_EQ(1, GetMenuItemCount(help));
    EXPECT_EQ(105u, GetMenuItemID(file, 0));
    GetMenuStringW(file, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"E&xit", text);
    EXPECT_EQ(104u, GetMenuItemID(help, 0));
    GetMenuStringW(help, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&About ...", text);
    DestroyMenu(menu);
}

TEST_F(ProgramResources, AcceleratorsAreAltCharactersForAbout) {
    ASSERT_NE(nullptr, Resource(RT_ACCELERATOR, 109, kUs));
    HACCEL table = LoadAcceleratorsW(module, MAKEINTRESOURCEW(109));
    ASSERT_NE(nullptr, table);
    ACCEL entries[8];
    ASSERT_EQ(2, CopyAcceleratorTableW(table, entries, 8));
    const WORD keys[] = {63, 47};  // "?" and "/" as characters, not virtual keys
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(FALT, entries[i].fVirt & (FALT | FVIRTKEY | FCONTROL | FSHIFT)) << i;
        EXPECT_EQ(keys[i], entries[i].key);
        EXPECT_EQ(104, entries[i].cmd);
    }
    DestroyAcceleratorTable(table);
}

TEST_F(ProgramResources, AboutBoxIsLaidOutAsDesigned) {
    const BYTE* data = Resource(RT_DIALOG, 103, kUs);
    ASSERT_NE(nullptr, data);
    TemplateReader reader(data);
    EXPECT_EQ(1, reader.Word());
    ASSERT_EQ(0xFFFF, reader.Word());  // an extended template
    reader.Dword();
    EXPECT_EQ(0u, reader.Dword());
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                                 DS_FIXEDSYS),
              reader.Dword());
    const WORD count = reader.Word();
    EXPECT_EQ(0, reader.Short());
    EXPECT_EQ(0, reader.Short());
    EXPECT_EQ(170, reader.Short());
    EXPECT_EQ(62, reader.Short());
    EXPECT_EQ(L"", reader.StringOrOrdinal());  // no menu
    EXPECT_EQ(L"", reader.StringOrOrdinal());  // the default dialog class
    EXPECT_EQ(L"About VistalyneSessionHandler", reader.String());
    EXPECT_EQ(8, reader.Word());
    reader.Word();
    reader.Byte();
    reader.Byte();
    EXPECT_EQ(L"MS Shell Dlg", reader.String());
    ASSERT_EQ(4, count);
    std::vector<Control> controls;
    for (int i = 0; i < count; ++i) {
        reader.AlignToDword();
        Control control{};
        reader.Dword();
        reader.Dword();
        control.style = reader.Dword();
        control.x = reader.Short(), control.y = reader.Short();
        control.cx = reader.Short(), control.cy = reader.Short();
        control.id = static_cast<int>(reader.Dword());
        control.className = reader.StringOrOrdinal();
        control.text = reader.StringOrOrdinal();
        reader.Skip(reader.Word());
        controls.push_back(control);
    }
    const DWORD childVisible = WS_CHILD | WS_VISIBLE;
    EXPECT_EQ(L"#130", controls[0].className);  // static
    EXPECT_EQ(L"#128", controls[0].text);       // icon 128, which the program does not hold
    EXPECT_EQ(static_cast<DWORD>(SS_ICON) | childVisible, controls[0].style);
    EXPECT_EQ(-1, controls[0].id);
    EXPECT_EQ((std::vector<short>{14, 14, 21, 20}),
              (std::vector<short>{controls[0].x, controls[0].y, controls[0].cx, controls[0].cy}));
    EXPECT_EQ(L"VistalyneSessionHandler, Version 1.0", controls[1].text);
    EXPECT_EQ(static_cast<DWORD>(SS_LEFT | SS_NOPREFIX | WS_GROUP) | childVisible,
              controls[1].style);
    EXPECT_EQ((std::vector<short>{42, 14, 114, 8}),
              (std::vector<short>{controls[1].x, controls[1].y, controls[1].cx, controls[1].cy}));
    EXPECT_FALSE(controls[2].text.empty());
    EXPECT_EQ(static_cast<DWORD>(SS_LEFT | WS_GROUP) | childVisible, controls[2].style);
    EXPECT_EQ((std::vector<short>{42, 26, 114, 8}),
              (std::vector<short>{controls[2].x, controls[2].y, controls[2].cx, controls[2].cy}));
    EXPECT_EQ(L"#128", controls[3].className);  // button
    EXPECT_EQ(L"OK", controls[3].text);
    EXPECT_EQ(IDOK, controls[3].id);
    EXPECT_EQ(static_cast<DWORD>(BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP) | childVisible,
              controls[3].style);
    EXPECT_EQ((std::vector<short>{113, 41, 50, 14}),
              (std::vector<short>{controls[3].x, controls[3].y, controls[3].cx, controls[3].cy}));
    EXPECT_EQ(nullptr, Resource(RT_GROUP_ICON, 128, kUs));
}

TEST_F(ProgramResources, IconGroupsHoldNineImagesOfTheListedSizesAndDepths) {
    const std::vector<std::pair<int, int>> expected = {
        {256, 8}, {48, 8}, {32, 8}, {16, 8}, {256, 32}, {64, 32}, {48, 32}, {32, 32}, {16, 32}};
    for (WORD id : {107, 108}) {
        const BYTE* data = Resource(RT_GROUP_ICON, id, kUs);
        ASSERT_NE(nullptr, data) << id;
        TemplateReader reader(data);
        reader.Word();
        EXPECT_EQ(1, reader.Word());
        ASSERT_EQ(9, reader.Word());
        std::vector<std::pair<int, int>> images;
        for (int i = 0; i < 9; ++i) {
            const int width = reader.Byte();
            reader.Skip(3);
            reader.Word();
            const int bits = reader.Word();
            reader.Dword();
            reader.Word();
            images.emplace_back(width == 0 ? 256 : width, bits);
        }
        EXPECT_EQ(expected, images) << id;
    }
}

TEST_F(ProgramResources, ManifestAsksToRunAsTheInvoker) {
    DWORD size = 0;
    const BYTE* data = Resource(RT_MANIFEST, 1, kUs, &size);
    ASSERT_NE(nullptr, data);
    const std::string manifest(reinterpret_cast<const char*>(data), size);
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
}
