// The DirectShow walk over one device category: COM, the device enumerator, each property bag.
#include "devices/CaptureDevices.h"
#include <algorithm>
#include <objbase.h>
#include <oaidl.h>
#include <strmif.h>

const GUID kAudioInputDeviceCategory = {0x33D9A762, 0x90C8, 0x11D0, {0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
const GUID kVideoInputDeviceCategory = {0x860BB310, 0x5D01, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};

namespace {

const GUID kSystemDeviceEnum = {0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
const IID kICreateDevEnum = {0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
const IID kIPropertyBag = {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

// Releases a COM interface when it goes out of scope.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Out() { Reset(); return &m_p; }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    explicit operator bool() const { return m_p != nullptr; }
    void Reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};

bool ReadProperty(IPropertyBag& bag, const wchar_t* property, std::wstring& text) {
    VARIANT value;
    VariantInit(&value);
    const bool read = SUCCEEDED(bag.Read(property, &value, nullptr)) && value.vt == VT_BSTR;
    if (read) text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return read;
}

// As the encoder lists it: the display name, its ':' written as '_' (its input string splits at ':').
std::wstring AlternativeName(IMoniker& device) {
    std::wstring name;
    IBindCtx* context = nullptr;
    LPOLESTR display = nullptr;
    if (SUCCEEDED(CreateBindCtx(0, &context)) && SUCCEEDED(device.GetDisplayName(context, nullptr, &display)) && display) {
        name = display;
        CoTaskMemFree(display);
    }
    if (context) context->Release();
    std::replace(name.begin(), name.end(), L':', L'_');
    return name;
}

}  // namespace

std::vector<CaptureDevice> CaptureDevicesOf(const GUID& category) {
    std::vector<CaptureDevice> names;
    // A thread already in another apartment can still walk; only a walk that entered COM leaves it.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(com) && com != RPC_E_CHANGED_MODE) return names;
    {
        ComPtr<IEnumMoniker> devices;
        {
            ComPtr<ICreateDevEnum> enumerator;
            // The category's id is not a creatable class everywhere (not under Wine): then the
            // system device enumerator, which is, serves both categories.
            if (FAILED(CoCreateInstance(kAudioInputDeviceCategory, nullptr, CLSCTX_INPROC_SERVER, kICreateDevEnum,
                                        enumerator.OutVoid())) &&
                FAILED(CoCreateInstance(kSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kICreateDevEnum,
                                        enumerator.OutVoid())))
                enumerator.Reset();
            // S_FALSE: an empty category, and no enumerator.
            if (enumerator && enumerator->CreateClassEnumerator(category, devices.Out(), 0) != S_OK) devices.Reset();
        }
        ComPtr<IMoniker> device;
        while (devices && devices->Next(1, device.Out(), nullptr) == S_OK) {
            ComPtr<IPropertyBag> bag;
            CaptureDevice d;
            if (FAILED(device->BindToStorage(nullptr, nullptr, kIPropertyBag, bag.OutVoid()))) continue;
            const bool friendly = ReadProperty(*bag.Get(), L"FriendlyName", d.friendly);
            // Shown by its "Description" when it has one.
            if (!ReadProperty(*bag.Get(), L"Description", d.shown) && !friendly) continue;
            if (d.shown.empty()) d.shown = d.friendly;
            d.alternative = AlternativeName(*device.Get());
            d.video = IsEqualGUID(category, kVideoInputDeviceCategory) != 0;
            names.push_back(std::move(d));
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return names;
}

std::vector<DeviceName> EnumerateCaptureDevices(const GUID& category) {
    std::vector<DeviceName> names;
    for (CaptureDevice& d : CaptureDevicesOf(category)) names.push_back(std::move(d.shown));
    return names;
}

std::vector<CaptureDevice> AllCaptureDevices() {
    std::vector<CaptureDevice> all = CaptureDevicesOf(kAudioInputDeviceCategory);
    for (CaptureDevice& d : CaptureDevicesOf(kVideoInputDeviceCategory)) all.push_back(std::move(d));
    return all;
}

std::vector<DeviceName> ListAudioInputDevices() { return EnumerateCaptureDevices(kAudioInputDeviceCategory); }

std::vector<DeviceName> ListVideoInputDevices() {
    return OverlayVideoNames(EnumerateCaptureDevices(kVideoInputDeviceCategory));
}

bool ScreenCaptureFilterRegistered() {
    // A filter's registration names it under its category; reading that needs no COM.
    HKEY instances = nullptr;
    bool found = false;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance", 0, KEY_READ,
                      &instances) == ERROR_SUCCESS) {
        wchar_t sub[256];
        for (DWORD i = 0; !found; ++i) {
            DWORD length = 256;
            if (RegEnumKeyExW(instances, i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            wchar_t name[256] = {};
            DWORD size = sizeof name - sizeof(wchar_t);
            found = RegGetValueW(instances, sub, L"FriendlyName", RRF_RT_REG_SZ, nullptr, name, &size) == ERROR_SUCCESS &&
                    DeviceName(name) == kScreenCaptureDevice;
        }
        RegCloseKey(instances);
    }
    if (found) return true;
    const std::vector<DeviceName> devices = EnumerateCaptureDevices(kVideoInputDeviceCategory);
    return std::find(devices.begin(), devices.end(), kScreenCaptureDevice) != devices.end();
}
