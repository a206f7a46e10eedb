// The recording path check, apart from the file system it asks.
#include "engine/RecordingPath.h"
#include "config/TextRules.h"

bool IsAcceptedRecordingPath(const std::wstring& typed,
                             const std::function<bool(const std::wstring& folder)>& folderExists) {
    const std::wstring path = typed.find(L'\\') == std::wstring::npos ? L".\\" + typed : typed;
    const size_t slash = path.rfind(L'\\');
    const std::wstring name = path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (name.empty() || dot == std::wstring::npos) return false;
    const std::wstring ext = LowerAscii(name.substr(dot + 1));
    return (ext == L"mp4" || ext == L"wmv") && folderExists(path.substr(0, slash + 1));
}
