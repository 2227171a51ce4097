// The resources the exe carries, read back from the compiled resource section: the dialog
// template control by control, the four icons, the manifest and the version record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/platform.h"
#include "res/resource.h"

namespace {

struct TemplateReader {
    const BYTE* at;
    WORD Word() { WORD v; memcpy(&v, at, 2); at += 2; return v; }
    DWORD Dword() { DWORD v; memcpy(&v, at, 4); at += 4; return v; }
    void AlignDword(const BYTE* base) { at = base + ((at - base + 3) & ~3); }
    // A name-or-ordinal field: "" when absent, "#n" for an ordinal, the text otherwise.
    std::wstring NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0)
            return L"";
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        std::wstring text(1, static_cast<wchar_t>(first));
        for (WORD c; (c = Word()) != 0;)
            text += static_cast<wchar_t>(c);
        return text;
    }
};

struct Item {
    int id;
    std::wstring cls, text;
    DWORD style;
};

const BYTE* FindResourceBytes(LPCWSTR type, LPCWSTR name, DWORD* size)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, type);
    if (!found)
        return nullptr;
    *size = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

}  // namespace

TEST(ResourcesTest, SettingsDialogTemplateIsExact)
{
    DWORD size = 0;
    const BYTE* base = FindResourceBytes(RT_DIALOG, MAKEINTRESOURCEW(IDD_SETTINGS), &size);
    ASSERT_NE(base, nullptr);
    TemplateReader r{base};
    EXPECT_EQ(r.Word(), 1);       // DLGTEMPLATEEX version
    EXPECT_EQ(r.Word(), 0xFFFF);  // extended signature
    EXPECT_EQ(r.Dword(), 0u);     // help id
    EXPECT_EQ(r.Dword(), 0u);     // extended style
    EXPECT_EQ(r.Dword(), DWORD(WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS));
    WORD count = r.Word();
    EXPECT_EQ(count, 16);
    short frame[4];
    for (short& v : frame)
        v = static_cast<short>(r.Word());
    EXPECT_EQ(frame[0], 0);
    EXPECT_EQ(frame[1], 0);
    EXPECT_EQ(frame[2], 262);
    EXPECT_EQ(frame[3], 207);
    EXPECT_EQ(r.NameOrOrdinal(), L"");  // no menu
    EXPECT_EQ(r.NameOrOrdinal(), L"");  // the platform's dialog class
    EXPECT_EQ(r.NameOrOrdinal(), L"Quillmere Configuration");
    EXPECT_EQ(r.Word(), 8);    // points
    EXPECT_EQ(r.Word(), 400);  // weight
    EXPECT_EQ(*r.at++, 0);     // not italic
    EXPECT_EQ(*r.at++, 1);     // DEFAULT_CHARSET
    EXPECT_EQ(r.NameOrOrdinal(), L"MS Shell Dlg");

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD label = child | SS_LEFT | WS_GROUP;
    const DWORD check = child | BS_AUTOCHECKBOX | WS_TABSTOP;
    const DWORD combo = child | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    const std::vector<Item> expected = {
        {IDOK, L"#128", L"Ok", child | BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDC_SWITCH_ON_AC, L"#128", L"Change power plan when AC status changes.", check},
        {IDC_PLUGGED_IN_PLAN, L"#133", L"", combo},
        {IDC_UNPLUGGED_PLAN, L"#133", L"", combo},
        {IDC_LOW_BATTERY_PLAN, L"#133", L"", combo},
        {-1, L"#130", L"Plugged In", label},
        {-1, L"#130", L"Unplugged", label},
        {IDC_SWITCH_ON_LOW_BATTERY, L"#128",
         L"Change power plan when power reaches a certain percent or lower.", check},
        {-1, L"#130", L"Power Plan to Switch To", label},
        {-1, L"#130", L"Percent", label},
        {IDC_NOTIFICATIONS, L"#128", L"Display notifications when power plan changes.", check},
        {IDCANCEL, L"#128", L"Cancel", child | BS_PUSHBUTTON | WS_TABSTOP},
        {IDC_PERCENT, L"#129", L"",
         child | ES_LEFT | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
        {IDC_RUN_AT_STARTUP, L"#128", L"Automatically run at startup.", check},
        {-1, L"#130", L"v0.5", label},
    };
    for (WORD i = 0; i < count && i < 16; ++i) {
        r.AlignDword(base);
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(r.Dword(), 0u);  // help id
        EXPECT_EQ(r.Dword(), 0u);  // extended style
        Item item;
        item.style = r.Dword();
        short x = static_cast<short>(r.Word()), y = static_cast<short>(r.Word());
        short cx = static_cast<short>(r.Word()), cy = static_cast<short>(r.Word());
        // Where each control sits is the template's to choose; it must lie inside the window.
        EXPECT_TRUE(x >= 0 && y >= 0 && x + cx <= frame[2] && y + cy <= frame[3]);
        item.id = static_cast<int>(r.Dword());
        item.cls = r.NameOrOrdinal();
        item.text = r.NameOrOrdinal();
        EXPECT_EQ(r.Word(), 0);  // no creation data
        if (i == 15) {  // the product line: a static label; its text is ours to choose
            EXPECT_EQ(item.id, -1);
            EXPECT_EQ(item.cls, L"#130");
            EXPECT_FALSE(item.text.empty());
            EXPECT_EQ(item.style, label);
            continue;
        }
        const Item& want = expected[i];
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.cls, want.cls);
        EXPECT_EQ(item.text, want.text);
        EXPECT_EQ(item.style, want.style) << std::hex << item.style << " vs " << want.style;
    }
    EXPECT_LE(static_cast<DWORD>(r.at - base), size);
}

// Each icon holds a 32-bit picture for every size the shell asks for at 100 to 200 %, the
// application icon also 256 px; each loads at its own size.
TEST(ResourcesTest, EveryIconHoldsEverySize)
{
    const std::vector<int> sizes = {16, 20, 24, 32, 40, 48, 64};
    for (int id : {IDI_APP, IDI_HIGH_PERFORMANCE, IDI_POWER_SAVER, IDI_BALANCED}) {
        SCOPED_TRACE(id);
        std::vector<int> wanted = sizes;
        if (id == IDI_APP)
            wanted.push_back(256);
        DWORD size = 0;
        const BYTE* group = FindResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(id), &size);
        ASSERT_NE(group, nullptr);
        WORD images;
        memcpy(&images, group + 4, 2);
        ASSERT_GE(size, 6u + 14u * images);
        std::vector<int> held;
        for (WORD i = 0; i < images; ++i) {
            const BYTE* entry = group + 6 + 14 * i;  // GRPICONDIRENTRY
            WORD bits;
            memcpy(&bits, entry + 6, 2);
            EXPECT_EQ(bits, 32);
            EXPECT_EQ(entry[0], entry[1]);
            held.push_back(entry[0] == 0 ? 256 : entry[0]);
        }
        EXPECT_EQ(held, wanted);
        for (int px : wanted) {
            HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                       MAKEINTRESOURCEW(id), IMAGE_ICON, px, px, 0));
            ICONINFO info = {};
            ASSERT_TRUE(icon != nullptr && GetIconInfo(icon, &info)) << px;
            BITMAP bitmap = {};
            GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
            EXPECT_EQ(bitmap.bmWidth, px);
            EXPECT_EQ(bitmap.bmBitsPixel, 32) << px;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(ResourcesTest, ManifestAsksForCommonControlsSixAsInvokerDpiAware)
{
    DWORD size = 0;
    const BYTE* bytes = FindResourceBytes(RT_MANIFEST, MAKEINTRESOURCEW(1), &size);
    ASSERT_NE(bytes, nullptr);
    std::string manifest(reinterpret_cast<const char*>(bytes), size);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\""),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
    // DPI-aware: per monitor (v2 where the system has it), so nothing is stretched.
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"),
              std::string::npos);
}

TEST(ResourcesTest, VersionRecordStrings)
{
    DWORD size = 0;
    const BYTE* bytes = FindResourceBytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), &size);
    ASSERT_NE(bytes, nullptr);
    std::vector<BYTE> copy(bytes, bytes + size);  // VerQueryValueW wants writable memory
    auto query = [&](const wchar_t* name) {
        wchar_t path[128] = L"\\StringFileInfo\\040904b0\\";
        lstrcatW(path, name);
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(copy.data(), path, &value, &length) || length == 0)
            return std::wstring(L"<missing>");
        return std::wstring(static_cast<wchar_t*>(value));
    };
    EXPECT_EQ(query(L"FileVersion"), L"0, 5, 0, 0");
    EXPECT_EQ(query(L"ProductVersion"), L"0, 5, 0, 0");
    EXPECT_EQ(query(L"FileDescription"),
              L"An automatic power profile switcher for Windows Vista/Windows 7.");
    EXPECT_EQ(query(L"InternalName"), L"Quillmere");
    EXPECT_EQ(query(L"ProductName"), L"Quillmere");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000005u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00000005u);
    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(LOWORD(*translation), 0x0409);
    EXPECT_EQ(HIWORD(*translation), 1200);
}
