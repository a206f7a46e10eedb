// In-memory profile store: case-blind names, ordered sections, the platform's cut rules.
#include "config/MemorySettingsStore.h"
#include "config/TextRules.h"
#include <algorithm>

namespace {

std::wstring Trimmed(std::wstring_view s) {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    // The profile reader drops one pair of quotes around a value.
    if (s.size() >= 2 && s.front() == s.back() && (s.front() == L'"' || s.front() == L'\''))
        s = s.substr(1, s.size() - 2);
    return std::wstring(s);
}

}  // namespace

std::wstring SettingsFolder(const std::wstring& appData) {
    return appData + L"\\Quillane\\Vandrel";
}

std::wstring SettingsFilePath(const std::wstring& appData, const wchar_t* fileName) {
    return SettingsFolder(appData) + L"\\" + fileName;
}

MemorySettingsStore::Section* MemorySettingsStore::FindSection(File& file, const wchar_t* name) {
    auto it = std::find_if(file.begin(), file.end(),
                           [&](const Section& s) { return EqualsIgnoringCase(s.name, name); });
    return it == file.end() ? nullptr : &*it;
}

std::wstring MemorySettingsStore::GetString(const std::wstring& file, const wchar_t* section,
                                            const wchar_t* key, const wchar_t* def) {
    std::wstring result = def ? def : L"";
    auto f = m_files.find(file);
    if (f != m_files.end())
        if (Section* s = FindSection(f->second, section))
            for (auto& [k, v] : s->keys)
                if (EqualsIgnoringCase(k, key)) {
                    result = Trimmed(v);
                    break;
                }
    if (result.size() > kTextBuffer - 1) result.resize(kTextBuffer - 1);
    return result;
}

int MemorySettingsStore::GetInt(const std::wstring& file, const wchar_t* section,
                                const wchar_t* key, int def) {
    const std::wstring text = GetString(file, section, key, L"");
    return text.empty() ? def : LeadingInteger(text);
}

void MemorySettingsStore::WriteString(const std::wstring& file, const wchar_t* section,
                                      const wchar_t* key, const wchar_t* value) {
    File& f = m_files[file];
    Section* s = FindSection(f, section);
    if (!key) {
        if (s) f.erase(f.begin() + (s - f.data()));
        return;
    }
    if (!s) {
        if (!value) return;
        f.push_back({section, {}});
        s = &f.back();
    }
    auto k = std::find_if(s->keys.begin(), s->keys.end(),
                          [&](const auto& kv) { return EqualsIgnoringCase(kv.first, key); });
    if (!value) {
        if (k != s->keys.end()) s->keys.erase(k);
        return;
    }
    std::wstring_view v = value;
    while (!v.empty() && (v.front() == L' ' || v.front() == L'\t')) v.remove_prefix(1);
    if (k != s->keys.end())
        k->second = std::wstring(v);
    else
        s->keys.emplace_back(key, std::wstring(v));
}

std::vector<std::wstring> MemorySettingsStore::GetSectionNames(const std::wstring& file,
                                                               unsigned bufferUnits) {
    // Same packing as the platform: each name and its zero, one zero more at the end; the
    // name that no longer fits is cut and closes the list.
    std::vector<std::wstring> names;
    auto f = m_files.find(file);
    if (f == m_files.end() || bufferUnits < 2) return names;
    unsigned room = bufferUnits - 1;
    for (const Section& s : f->second) {
        if (s.name.empty()) continue;
        const unsigned need = static_cast<unsigned>(s.name.size()) + 1;
        if (need >= room) {
            if (room > 1) names.push_back(s.name.substr(0, room - 1));
            break;
        }
        names.push_back(s.name);
        room -= need;
    }
    return names;
}
