// What a Start launches, decided from the main window's choices alone: the one place of its rules.
#pragma once
#include "config/StreamingServices.h"
#include "engine/CommandLine.h"
#include <functional>
#include <string>
#include <vector>

inline constexpr wchar_t kPathRefused[] =
    L"CCannot save to the given path. Either the folder does not exist or you do not have the permission to write to the folder ";

// The user's choices as the window shows them.
struct SessionChoices {
    std::wstring channels[4];   // the names the selectors show (g_strChannel1..4); "" for none
    bool saveLocally = false;
    std::wstring shownPath;     // the path field's text
    bool pathAccepted = false;  // the path check of shownPath
    bool separateFile = false;
};

struct SessionPlan {
    std::wstring message;        // why a Start cannot go ahead; "" when it launches
    int refusedChannel = -1;     // the first selector showing a server without key or URL
    bool nothingChosen = false;  // no server and no local file: the message asks for one
    std::wstring commandLine;
    std::wstring soundLine;      // the second sound device's relay line, "" for none
    std::vector<std::wstring> servers;  // streamed to, in list order
    std::wstring localFile;             // recorded to, "" for none
    std::wstring recordingDevice;       // as composing leaves it
    std::vector<std::pair<std::wstring, std::wstring>> devices;  // as composing names them
    int channelsInUse = 0;      // servers shown with key and URL
    // A channel's platform takes only AAC sound and the line sends MP3: the Yes/No question.
    std::wstring aacQuestion;
    bool Launches() const { return message.empty(); }
};

// A choice in selector i: the record's own name, or "" for a name no server has. A server
// another selector shows moves to this one.
void ChooseChannel(SessionChoices& choices, int i, const std::wstring& name, const ServerList& servers);

// What selector i offers: the empty item, then every server no other selector shows, A-Z.
std::vector<std::wstring> SelectorOffers(const SessionChoices& choices, int i, const ServerList& servers);

// Whether a record can be streamed to.
bool HasKeyAndUrl(const CStreamingServices& server);

// The servers streamed to get InUse 1, every other 0.
void MarkInUse(ServerList& servers, const SessionChoices& choices);

// line holds the settings that enter the command line (devices, frame rate, screen, clock); its
// local-target fields come from the choices. With the separate-file option a stamped name that
// fileExists reports gets " (2)", " (3)", ... before its extension.
SessionPlan PlanSession(const SessionChoices& choices, const ServerList& servers, EncoderInputs line,
                        const std::function<bool(const std::wstring& path)>& fileExists);
