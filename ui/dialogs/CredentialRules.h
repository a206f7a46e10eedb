// The credentials editor's field checks and its Apply rule, as pure functions of the field texts.
#pragma once
#include <string>
#include <string_view>

// What one field's check leaves behind: the hint line's new text ("" clears it) and the flags.
struct FieldCheck {
    std::wstring hint;
    bool error = false;
    // The value cannot be stored or streamed as it stands (a subset of error).
    bool refused = false;
};

// nameTaken: another server of the list already holds this name (A–Z compared without case).
FieldCheck CheckServerName(std::wstring_view name, bool nameTaken);
FieldCheck CheckRtmpUrl(std::wstring_view url);
FieldCheck CheckPort(std::wstring_view port);
FieldCheck CheckKey(std::wstring_view key);

// The error flags of the four fields, as their last checks left them.
struct CredentialErrors {
    bool name = false, url = false, port = false, key = false;
    bool keyRefused = false;
};

// A persistent server needs only a usable key; any other needs name, URL and key and no error.
bool ApplyAllowed(bool persistent, std::wstring_view name, std::wstring_view url, std::wstring_view key,
                  const CredentialErrors& errors);

// The port text's decimal value: 0 when empty, held within the 32-bit range.
int PortValue(std::wstring_view port);
