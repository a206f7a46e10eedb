// The check of a typed or chosen local recording path.
#pragma once
#include <functional>
#include <string>

// Accepted when the folder exists and the name has an "mp4" or "wmv" extension in any case.
// A bare name counts as a file of the current folder (".\").
bool IsAcceptedRecordingPath(const std::wstring& typed,
                             const std::function<bool(const std::wstring& folder)>& folderExists);
