// The Windows side of names: "\" and "/" separate, drive letters, names of
// devices, files known by volume serial number and file index, and list
// entries from any Windows tool.
#include <io.h>
#include <windows.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "file_identity.h"
#include "file_lists.h"
#include "file_queries.h"
#include "paths.h"
#include "wide_path.h"

namespace platform {
namespace {

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' && AsciiUpper(path[0]) >= 'A' &&
           AsciiUpper(path[0]) <= 'Z';
}

DWORD AttributesOf(const std::string& path) {
    const std::wstring name = Win32Path(path);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_FILE_ATTRIBUTES;
    }
    return GetFileAttributesW(name.c_str());
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
}

}  // namespace

bool IsFolderSeparator(char c) {
    return c == '/' || c == '\\';
}

std::size_t RootLength(std::string_view path) {
    return IsDrive(path) ? 2 : 0;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    // "C:" names the current folder of drive C: no separator may follow.
    const bool ends = IsFolderSeparator(folder.back()) || folder.size() == RootLength(folder);
    return folder + (ends ? "" : "\\") + name;
}

bool NamesDevice(std::string_view path) {
    std::size_t start = RootLength(path);
    for (std::size_t i = start; i < path.size(); ++i) {
        if (IsFolderSeparator(path[i])) start = i + 1;
    }
    // The name up to its first dot, without trailing blanks, in any case:
    // "nul.au", "NUL.tar.gz" and "nul .au" all name the null device.
    std::string_view base = path.substr(start);
    base = base.substr(0, base.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper;
    for (char c : base) upper += AsciiUpper(c);
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                                 "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kDevices) {
        if (upper == device) return true;
    }
    // COM1-COM9 and LPT1-LPT9, and with the superscript digits 1, 2 and 3.
    if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) {
        return false;
    }
    const std::string_view number = std::string_view(upper).substr(3);
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

FolderCheck CheckFolder(const std::string& path, std::string& error) {
    const DWORD attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (IsMissing(code)) return FolderCheck::kMissing;
        error = SystemErrorText(code);
        return FolderCheck::kError;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FolderCheck::kFolder
                                                        : FolderCheck::kNotFolder;
}

// `flags` may add FILE_FLAG_OPEN_REPARSE_POINT: a link taken as itself.
std::optional<FileIdentity> IdentityWith(const std::string& path, DWORD flags) {
    const std::wstring name = Win32Path(path);
    if (name.empty()) return std::nullopt;
    // No access asked: only the file's information is read. Backup
    // semantics lets a folder be opened.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileW(name.c_str(), 0, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow};
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    return IdentityWith(path, FILE_FLAG_OPEN_REPARSE_POINT);
}

std::optional<FileIdentity> IdentityFollowingLinks(const std::string& path) {
    return IdentityWith(path, 0);
}

std::FILE* OpenList(const std::string& path) {
    const std::wstring name = Win32Path(path);
    if (name.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    return _wfopen(name.c_str(), L"rb");
}

bool IsFolder(std::FILE* stream) {
    BY_HANDLE_FILE_INFORMATION information;
    const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return GetFileInformationByHandle(file, &information) != 0 &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

long long ReadEntry(char** line, std::size_t* capacity, int delimiter, std::FILE* stream) {
    if (*line == nullptr || *capacity == 0) {
        *capacity = 256;
        *line = static_cast<char*>(std::realloc(*line, *capacity));
        if (*line == nullptr) return -1;
    }
    std::size_t length = 0;
    _lock_file(stream);
    for (int c; (c = _getc_nolock(stream)) != EOF;) {
        if (length + 2 > *capacity) {
            char* grown = static_cast<char*>(std::realloc(*line, *capacity * 2));
            if (grown == nullptr) break;
            *line = grown;
            *capacity *= 2;
        }
        (*line)[length++] = static_cast<char>(c);
        if (c == delimiter) break;
    }
    _unlock_file(stream);
    (*line)[length] = '\0';
    return length == 0 ? -1 : static_cast<long long>(length);
}

std::string NameFromEntry(std::string entry) {
    if (!entry.empty() && entry.back() == '\r') entry.pop_back();
    // Notepad begins a UTF-8 file with a byte-order mark.
    if (entry.starts_with("\xEF\xBB\xBF")) entry.erase(0, 3);
    if (entry.empty() || !Utf8ToWide(entry, true).empty()) return entry;
    // Not UTF-8: a list written in the ANSI code page, as cmd's "dir /b" writes.
    const int size = static_cast<int>(entry.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, entry.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, entry.data(), size, wide.data(), length);
    return WideToUtf8(wide);
}

}  // namespace platform
