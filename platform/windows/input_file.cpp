// The Windows side of reading a file: CreateFileW on the UTF-16 path,
// ReadFile in binary, SetFilePointerEx.
#include "input_file.h"

#include <windows.h>

#include <algorithm>

#include "wide_path.h"
#include "win32_calls.h"

namespace platform {
namespace {

std::intptr_t AsHandle(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}
HANDLE AsSystem(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::optional<InputFile::Opened> InputFile::OpenNamed(const std::string& path) {
    const std::wstring name = Win32Path(path);
    if (name.empty()) return std::nullopt;
    // Others may read the file meanwhile, but not change it.
    HANDLE file = Win32().CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size;
    // A device ("con.wav", "nul.wav") is no file to read.
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        Win32().CloseHandle(file);
        return std::nullopt;
    }
    return Opened{AsHandle(file), true, static_cast<std::uint64_t>(size.QuadPart)};
}

std::optional<InputFile::Opened> InputFile::OpenStandard() {
    // A handle of our own, so that Close leaves standard input open.
    HANDLE own = nullptr;
    const HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, GetStdHandle(STD_INPUT_HANDLE), process, &own, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    const bool regular = GetFileType(own) == FILE_TYPE_DISK;
    if (regular && !GetFileSizeEx(own, &size)) {
        Win32().CloseHandle(own);
        return std::nullopt;
    }
    return Opened{AsHandle(own), regular, static_cast<std::uint64_t>(size.QuadPart)};
}

std::int64_t InputFile::ReadSome(Handle handle, void* destination, std::size_t count) {
    DWORD got = 0;
    const auto asked = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (Win32().ReadFile(AsSystem(handle), destination, asked, &got, nullptr)) return got;
    // The writer of a pipe has closed it: that is its end, not an error.
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

bool InputFile::SeekTo(Handle handle, std::uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(AsSystem(handle), to, nullptr, FILE_BEGIN) != 0;
}

void InputFile::CloseSystem(Handle handle) {
    Win32().CloseHandle(AsSystem(handle));
}

}  // namespace platform
