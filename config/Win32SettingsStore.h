// The settings store on the platform's private-profile functions.
#pragma once
#include "config/SettingsStore.h"

class Win32SettingsStore : public ISettingsStore {
public:
    std::wstring GetString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                           const wchar_t* def) override;
    int GetInt(const std::wstring& file, const wchar_t* section, const wchar_t* key,
               int def) override;
    void WriteString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                     const wchar_t* value) override;
    std::vector<std::wstring> GetSectionNames(const std::wstring& file,
                                              unsigned bufferUnits) override;
};

// The one store the application uses.
ISettingsStore& Settings();

// The value of APPDATA, however long ("" when unset).
std::wstring AppDataFolder();
// Creates the settings folder when missing, so that a first run's choices persist.
void EnsureSettingsFolder(const std::wstring& appData);
