// Server list operations and the loader of the server sections.
#include "config/StreamingServices.h"
#include "config/TextRules.h"
#include <stdexcept>

ServerList g_ServerList;

int ServerList::FindServerByName(std::wstring_view name) const {
    for (size_t i = 0; i < m_servers.size(); ++i)
        if (EqualsIgnoringCase(m_servers[i].Name, name)) return static_cast<int>(i);
    return -1;
}

CStreamingServices& ServerList::ServerAt(int index) {
    if (index < 0 || index >= size()) throw std::invalid_argument("server index out of range");
    return m_servers[static_cast<size_t>(index)];
}

const CStreamingServices& ServerList::ServerAt(int index) const {
    return const_cast<ServerList*>(this)->ServerAt(index);
}

void ServerList::AppendServer(const CStreamingServices& server) { m_servers.push_back(server); }

void ServerList::RemoveServerAt(int index) {
    ServerAt(index);  // range check
    m_servers.erase(m_servers.begin() + index);
}

namespace {
// A list that filled its buffer may have been cut: read it again with twice the room.
std::vector<std::wstring> AllSectionNames(ISettingsStore& store, const std::wstring& file) {
    for (unsigned units = kSectionNamesBuffer;; units *= 2) {
        std::vector<std::wstring> names = store.GetSectionNames(file, units);
        size_t used = 1;  // the closing zero
        for (const std::wstring& n : names) used += n.size() + 1;
        if (used + 1 < units || units > (1u << 26)) return names;
    }
}
}  // namespace

std::wstring LoadServers(ServerList& list, ISettingsStore& store, const std::wstring& settingsIni) {
    constexpr size_t kLongestName = 259;  // longer names cannot be addressed: skip, never cut
    std::wstring localPath;
    for (const std::wstring& name : AllSectionNames(store, settingsIni)) {
        if (name.size() > kLongestName || list.FindServerByName(name) >= 0) continue;
        if (name == L"Paths") {
            localPath = store.GetString(settingsIni, L"Paths", L"Video Local Folder", L"");
        } else if (name != L"Device") {
            CStreamingServices server;
            server.Name = name;
            server.RtmpUrl = store.GetString(settingsIni, name.c_str(), L"Rtmpurl", L"");
            server.Port = store.GetInt(settingsIni, name.c_str(), L"Port", 0);
            server.Key = store.GetString(settingsIni, name.c_str(), L"Key", L"");
            server.Persistent = store.GetInt(settingsIni, name.c_str(), L"Persistent", 0) == 1;
            list.AppendServer(server);
        }
    }
    return localPath;
}

void WriteServerSection(ISettingsStore& store, const std::wstring& settingsIni,
                        const std::wstring& oldName, const std::wstring& name,
                        const std::wstring& rtmpUrl, const std::wstring& portText,
                        const std::wstring& key, int persistent) {
    if (!oldName.empty()) DeleteServerSection(store, settingsIni, oldName);
    store.WriteString(settingsIni, name.c_str(), L"Rtmpurl", rtmpUrl.c_str());
    store.WriteString(settingsIni, name.c_str(), L"Port", portText.c_str());
    store.WriteString(settingsIni, name.c_str(), L"Key", key.c_str());
    store.WriteString(settingsIni, name.c_str(), L"Persistent", persistent ? L"1" : L"0");
}

void DeleteServerSection(ISettingsStore& store, const std::wstring& settingsIni,
                         const std::wstring& name) {
    store.WriteString(settingsIni, name.c_str(), nullptr, nullptr);
}
