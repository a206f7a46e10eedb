// The functions vandrel.exe takes from shell32, comdlg32, ole32, oleaut32 and version.dll, bound
// on their first call: loading those DLLs before the window shows cost Wine about 60 ms.
// The compiler calls an imported function through its slot __imp_NAME. This file defines those
// slots itself, each holding at first a thunk that loads the DLL from the system folder, puts the
// function's address into the slot and calls it; later calls go straight through. The linker then
// takes nothing of these names from the import libraries, so no import descriptor names the five
// DLLs. scripts/check-exe.sh proves from the file that every slot is bound.
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <string>
#include <type_traits>

namespace {

[[noreturn]] void Unavailable(const wchar_t* dll, const char* name) {
    std::wstring text = L"Vandrel cannot start: ";
    for (const char* c = name; *c; ++c) text += static_cast<wchar_t>(*c);
    text += L" is missing from ";
    text += dll;
    text += L".";
    FatalAppExitW(0, text.c_str());
    ExitProcess(1);
}

// Only from the system folder, so a DLL of the same name beside the exe is never loaded.
void* Bind(void** slot, const wchar_t* dll, const char* name) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    std::wstring file = length && length < MAX_PATH ? std::wstring(path, length) + L"\\" + dll : dll;
    const HMODULE module = LoadLibraryW(file.c_str());
    void* function = module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
    if (!function) Unavailable(dll, name);
    // Two threads binding at once store the same address.
    InterlockedExchangePointer(slot, function);
    return function;
}

template <typename F>
struct FirstUse;

template <typename R, typename... A>
struct FirstUse<R(WINAPI*)(A...)> {
    using Function = R(WINAPI*)(A...);
    template <Function* slot, const wchar_t* dll, const char* name>
    static R WINAPI Thunk(A... a) {
        return reinterpret_cast<Function>(Bind(reinterpret_cast<void**>(slot), dll, name))(a...);
    }
    // i686 names a stdcall function by the bytes of its arguments (a reference is a pointer).
    static constexpr unsigned kArgumentBytes =
        (0u + ... + ((sizeof(std::conditional_t<std::is_reference_v<A>, void*, A>) + 3u) & ~3u));
};

constexpr wchar_t kShell32[] = L"shell32.dll";
constexpr wchar_t kComdlg32[] = L"comdlg32.dll";
constexpr wchar_t kOle32[] = L"ole32.dll";
constexpr wchar_t kOleaut32[] = L"oleaut32.dll";
constexpr wchar_t kVersion[] = L"version.dll";

}  // namespace

#ifdef _WIN64
#define VANDREL_IMPORT_SLOT(name, bytes) "__imp_" #name
#else
#define VANDREL_IMPORT_SLOT(name, bytes) "__imp__" #name "@" #bytes
#endif

#define VANDREL_FIRST_USE(dll, name, bytes)                                                        \
    extern "C" decltype(&name) vandrel_slot_##name asm(VANDREL_IMPORT_SLOT(name, bytes));        \
    static_assert(sizeof(void*) == 8 || FirstUse<decltype(&name)>::kArgumentBytes == bytes);     \
    namespace {                                                                                    \
    constexpr char kName_##name[] = #name;                                                         \
    }                                                                                              \
    decltype(&name) vandrel_slot_##name =                                                          \
        FirstUse<decltype(&name)>::Thunk<&vandrel_slot_##name, dll, kName_##name>;

VANDREL_FIRST_USE(kShell32, Shell_NotifyIconW, 8)
VANDREL_FIRST_USE(kShell32, ShellExecuteW, 24)
VANDREL_FIRST_USE(kShell32, CommandLineToArgvW, 8)
VANDREL_FIRST_USE(kComdlg32, GetSaveFileNameW, 4)
VANDREL_FIRST_USE(kOle32, CoInitializeEx, 8)
VANDREL_FIRST_USE(kOle32, CoCreateInstance, 20)
VANDREL_FIRST_USE(kOle32, CoUninitialize, 0)
VANDREL_FIRST_USE(kOle32, CoTaskMemFree, 4)
VANDREL_FIRST_USE(kOle32, CreateBindCtx, 8)
VANDREL_FIRST_USE(kOleaut32, VariantInit, 4)
VANDREL_FIRST_USE(kOleaut32, VariantClear, 4)
VANDREL_FIRST_USE(kOleaut32, SysStringLen, 4)

// winver.h declares the version functions without dllimport: calls reach them by name, so they
// are defined here and call through slots of their own.
#define VANDREL_FIRST_USE_BY_NAME(dll, name)                                                       \
    namespace {                                                                                    \
    constexpr char kName_##name[] = #name;                                                         \
    decltype(&name) slot_##name = FirstUse<decltype(&name)>::Thunk<&slot_##name, dll, kName_##name>; \
    }

VANDREL_FIRST_USE_BY_NAME(kVersion, GetFileVersionInfoSizeW)
VANDREL_FIRST_USE_BY_NAME(kVersion, GetFileVersionInfoW)
VANDREL_FIRST_USE_BY_NAME(kVersion, VerQueryValueW)

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
    return slot_GetFileVersionInfoSizeW(file, handle);
}
BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
    return slot_GetFileVersionInfoW(file, handle, size, data);
}
BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) {
    return slot_VerQueryValueW(block, subBlock, buffer, length);
}
