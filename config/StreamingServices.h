// Streaming server records: the process-wide list and its sections in settings.ini.
#pragma once
#include "config/SettingsStore.h"
#include <string>
#include <vector>

struct CStreamingServices {
    int Persistent = 0;  // 1: fixed server, cannot be removed
    std::wstring Name;
    int Port = 0;
    int InUse = 0;  // 1 while a channel selector holds it; never stored
    std::wstring RtmpUrl;
    std::wstring Key;
};

class ServerList {
public:
    // Index of the first record whose name matches, A–Z compared without case; -1 for none.
    int FindServerByName(std::wstring_view name) const;
    // Throws std::invalid_argument for an index outside the list.
    CStreamingServices& ServerAt(int index);
    const CStreamingServices& ServerAt(int index) const;
    void AppendServer(const CStreamingServices& server);
    void RemoveServerAt(int index);

    int size() const { return static_cast<int>(m_servers.size()); }
    auto begin() const { return m_servers.begin(); }
    auto end() const { return m_servers.end(); }
    void clear() { m_servers.clear(); }

private:
    std::vector<CStreamingServices> m_servers;
};

// The one list of the process.
extern ServerList g_ServerList;

inline constexpr unsigned kSectionNamesBuffer = 1000;  // the first read's room; it grows as needed

// Appends the server sections not yet in the list; returns [Paths] "Video Local Folder".
std::wstring LoadServers(ServerList& list, ISettingsStore& store, const std::wstring& settingsIni);
void WriteServerSection(ISettingsStore& store, const std::wstring& settingsIni,
                        const std::wstring& oldName, const std::wstring& name,
                        const std::wstring& rtmpUrl, const std::wstring& portText,
                        const std::wstring& key, int persistent);
void DeleteServerSection(ISettingsStore& store, const std::wstring& settingsIni,
                         const std::wstring& name);
