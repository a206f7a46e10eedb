// The four settings-file operations every part of Vandrel goes through.
#pragma once
#include <string>
#include <vector>

// Mirrors the private-profile functions: no cache, the file is the truth.
class ISettingsStore {
public:
    // A text read gives at most 32,767 units, the longest path Windows takes: a long recording
    // path or a stamped file name comes back whole.
    static constexpr unsigned kTextBuffer = 32768;

    virtual ~ISettingsStore() = default;

    // The value, cut to kTextBuffer - 1 units; def when the file, section or key is missing.
    virtual std::wstring GetString(const std::wstring& file, const wchar_t* section,
                                   const wchar_t* key, const wchar_t* def) = 0;
    // Leading decimal digits of the value; def when the key is missing or empty.
    virtual int GetInt(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                       int def) = 0;
    // Writes one key; a null key deletes the whole section, a null value deletes the key.
    virtual void WriteString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                             const wchar_t* value) = 0;
    // Section names in file order, as they fit in a buffer of bufferUnits (the last may be cut).
    virtual std::vector<std::wstring> GetSectionNames(const std::wstring& file,
                                                      unsigned bufferUnits) = 0;
};

// "<appdata>\Quillane\Vandrel\<fileName>", never cut.
std::wstring SettingsFilePath(const std::wstring& appData, const wchar_t* fileName);
std::wstring SettingsFolder(const std::wstring& appData);

inline constexpr wchar_t kSettingsIni[] = L"settings.ini";
inline constexpr wchar_t kLocalSettingsIni[] = L"LocalSettings.ini";
