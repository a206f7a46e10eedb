// The recording's conversion into a real MP4: which files, the temporary name, the command line.
#include "engine/Mp4Conversion.h"
#include "config/TextRules.h"

bool NeedsMp4Conversion(const std::wstring& file) {
    const size_t dot = file.rfind(L'.');
    const size_t slash = file.find_last_of(L"\\/");
    return dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) && LowerAscii(file.substr(dot)) == L".mp4";
}

std::wstring Mp4ConversionTempPath(const std::wstring& file) { return file + L".saving"; }

std::wstring Mp4ConversionCommandLine(const std::wstring& file) {
    // A file name holds no double quote and never ends in a backslash: plain quoting is exact.
    return L"ffmpeg -nostdin -loglevel error -i \"" + file + L"\" -map 0 -c copy -movflags +faststart -f mp4 -y \"" +
           Mp4ConversionTempPath(file) + L"\"";
}

std::wstring Mp4ConversionFailedText(const std::wstring& file) {
    return L"The recording could not be converted to a standard MP4 file. It is kept as recorded (FLV) in " + file + L".";
}
