// Private-profile access: every call reads or writes the file itself.
#include "config/Win32SettingsStore.h"
#include <windows.h>
#include <string_view>

namespace {
class Win32SettingsStore : public ISettingsStore {
public:
    std::wstring GetString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                           const wchar_t* def) override;
    int GetInt(const std::wstring& file, const wchar_t* section, const wchar_t* key, int def) override;
    void WriteString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                     const wchar_t* value) override;
    std::vector<std::wstring> GetSectionNames(const std::wstring& file, unsigned bufferUnits) override;
};
}  // namespace

std::wstring Win32SettingsStore::GetString(const std::wstring& file, const wchar_t* section,
                                           const wchar_t* key, const wchar_t* def) {
    // Most values are short: a longer buffer only when one fills this one.
    for (unsigned size = 256;; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD n = GetPrivateProfileStringW(section, key, def ? def : L"", buffer.data(), size, file.c_str());
        if (n + 1 < size || size >= kTextBuffer) {
            buffer.resize(n);
            return buffer;
        }
    }
}

int Win32SettingsStore::GetInt(const std::wstring& file, const wchar_t* section,
                               const wchar_t* key, int def) {
    return static_cast<int>(GetPrivateProfileIntW(section, key, def, file.c_str()));
}

namespace {

const unsigned char kUtf16Bom[2] = {0xFF, 0xFE};

// Whether the text comes back unchanged through the ANSI code page.
bool SurvivesAnsi(const wchar_t* text) {
    if (!text || !*text) return true;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(bytes, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), bytes, nullptr, nullptr);
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    std::wstring back(units, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, back.data(), units);
    return back.c_str() == std::wstring_view(text);
}

std::string ReadBytes(HANDLE h) {
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got) bytes.append(chunk, got);
    return bytes;
}

// Rewrites an existing file that the profile functions keep in the ANSI code page (or UTF-8 with
// its mark) as UTF-16, every line kept. Written beside it and moved over it, so a failure leaves
// the old file whole.
void ConvertToUtf16(const std::wstring& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    const std::string bytes = ReadBytes(h);
    CloseHandle(h);
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return;  // already UTF-16
    UINT codePage = CP_ACP;
    size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        codePage = CP_UTF8;
        start = 3;
    }
    const int length = static_cast<int>(bytes.size() - start);
    std::wstring text(length ? MultiByteToWideChar(codePage, 0, bytes.data() + start, length, nullptr, 0) : 0, L'\0');
    if (length && (text.empty() || !MultiByteToWideChar(codePage, 0, bytes.data() + start, length, text.data(),
                                                          static_cast<int>(text.size()))))
        return;
    const std::wstring temporary = file + L".utf16";
    h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const bool ok = WriteFile(h, kUtf16Bom, sizeof kUtf16Bom, &written, nullptr) &&
                    WriteFile(h, text.data(), size, &written, nullptr) && written == size;
    CloseHandle(h);
    if (!ok || !MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        DeleteFileW(temporary.c_str());
}

}  // namespace

void Win32SettingsStore::WriteString(const std::wstring& file, const wchar_t* section,
                                     const wchar_t* key, const wchar_t* value) {
    // The profile functions keep a file's encoding and create new files in the ANSI code page,
    // which would lose device names outside it: start each new file as UTF-16.
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(h, kUtf16Bom, sizeof kUtf16Bom, &written, nullptr);
        CloseHandle(h);
    } else if (!SurvivesAnsi(section) || !SurvivesAnsi(key) || !SurvivesAnsi(value)) {
        // A file someone else wrote in the ANSI code page would store "?" for what it cannot
        // hold: let the profile functions write out what they cache, then convert it.
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
        ConvertToUtf16(file);
    }
    WritePrivateProfileStringW(section, key, value, file.c_str());
}

std::vector<std::wstring> Win32SettingsStore::GetSectionNames(const std::wstring& file,
                                                              unsigned bufferUnits) {
    std::vector<std::wstring> names;
    if (bufferUnits < 2) return names;
    std::wstring buffer(bufferUnits, L'\0');
    GetPrivateProfileSectionNamesW(buffer.data(), bufferUnits, file.c_str());
    for (const wchar_t* p = buffer.c_str(); *p && p < buffer.c_str() + bufferUnits;
         p += wcslen(p) + 1)
        names.emplace_back(p);
    return names;
}

ISettingsStore& Settings() {
    static Win32SettingsStore store;
    return store;
}

std::unique_ptr<ISettingsStore> MakeWin32SettingsStore() { return std::make_unique<Win32SettingsStore>(); }

std::wstring AppDataFolder() {
    DWORD size = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (size == 0) return L"";
    std::wstring value(size, L'\0');
    size = GetEnvironmentVariableW(L"APPDATA", value.data(), size);
    value.resize(size);
    return value;
}

void EnsureSettingsFolder(const std::wstring& appData) {
    const std::wstring folder = SettingsFolder(appData);
    CreateDirectoryW((appData + L"\\Quillane").c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
}
