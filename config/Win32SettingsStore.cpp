// Private-profile access: every call reads or writes the file itself.
#include "config/Win32SettingsStore.h"
#include <windows.h>

std::wstring Win32SettingsStore::GetString(const std::wstring& file, const wchar_t* section,
                                           const wchar_t* key, const wchar_t* def) {
    wchar_t buffer[kTextBuffer] = {};
    GetPrivateProfileStringW(section, key, def ? def : L"", buffer, kTextBuffer, file.c_str());
    return buffer;
}

int Win32SettingsStore::GetInt(const std::wstring& file, const wchar_t* section,
                               const wchar_t* key, int def) {
    return static_cast<int>(GetPrivateProfileIntW(section, key, def, file.c_str()));
}

void Win32SettingsStore::WriteString(const std::wstring& file, const wchar_t* section,
                                     const wchar_t* key, const wchar_t* value) {
    // The profile functions keep a file's encoding and create new files in the ANSI code page,
    // which would lose device names outside it: start each new file as UTF-16.
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        const unsigned char bom[2] = {0xFF, 0xFE};
        DWORD written = 0;
        WriteFile(h, bom, sizeof bom, &written, nullptr);
        CloseHandle(h);
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
