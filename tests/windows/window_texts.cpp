// Prints what a shown top-level window says: for each one whose title is the
// argument, a line "window<TAB>title", then a line "class<TAB>text" for each
// shown window inside it, in UTF-8. Exits 1 when no such window is shown.
// The desktop program's tests read its boxes and dialogs with it, as they
// are on the screen.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool g_found = false;

std::string Utf8(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    if (!IsWindowVisible(child)) return TRUE;
    wchar_t className[256] = {};
    GetClassNameW(child, className, 256);
    std::printf("%s\t%s\n", Utf8(className).c_str(), Utf8(TextOf(child)).c_str());
    return TRUE;
}

BOOL CALLBACK PrintIfTitled(HWND window, LPARAM title) {
    if (!IsWindowVisible(window) || TextOf(window) != reinterpret_cast<const wchar_t*>(title)) {
        return TRUE;
    }
    g_found = true;
    std::printf("window\t%s\n", Utf8(TextOf(window)).c_str());
    EnumChildWindows(window, PrintChild, 0);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    EnumWindows(PrintIfTitled, reinterpret_cast<LPARAM>(argv[1]));
    return g_found ? 0 : 1;
}
