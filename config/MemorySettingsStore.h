// A settings store held in memory that behaves like the platform's profile functions.
#pragma once
#include "config/SettingsStore.h"
#include <map>
#include <utility>

class MemorySettingsStore : public ISettingsStore {
public:
    std::wstring GetString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                           const wchar_t* def) override;
    int GetInt(const std::wstring& file, const wchar_t* section, const wchar_t* key,
               int def) override;
    void WriteString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                     const wchar_t* value) override;
    std::vector<std::wstring> GetSectionNames(const std::wstring& file,
                                              unsigned bufferUnits) override;

private:
    struct Section {
        std::wstring name;
        std::vector<std::pair<std::wstring, std::wstring>> keys;
    };
    using File = std::vector<Section>;

    Section* FindSection(File& file, const wchar_t* name);

    std::map<std::wstring, File> m_files;
};
