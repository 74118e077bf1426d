#include "platform/OsInfo_win.h"

#include <memory>

#include "platform/Handles_win.h"

#include <oleauto.h>
#include <wbemidl.h>

namespace {

const wchar_t kWhatFailed[] = L"Die Betriebssystemversion konnte nicht über WMI ermittelt werden";

[[noreturn]] void Fail(HRESULT hr) {
    ThrowError(static_cast<unsigned long>(hr), kWhatFailed);
}

void Check(HRESULT hr) {
    if (FAILED(hr)) Fail(hr);
}

struct BstrDeleter {
    void operator()(wchar_t* s) const { ::SysFreeString(s); }
};
using UniqueBstr = std::unique_ptr<wchar_t, BstrDeleter>;

UniqueBstr MakeBstr(const wchar_t* text) {
    UniqueBstr bstr(::SysAllocString(text));
    if (!bstr) Fail(E_OUTOFMEMORY);
    return bstr;
}

class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    ~Variant() { ::VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* get() { return &value_; }
    const VARIANT& value() const { return value_; }

private:
    VARIANT value_;
};

ComPtr<IWbemServices> ConnectLocalCimv2() {
    ComPtr<IWbemLocator> locator;
    Check(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                             locator.put_void()));
    ComPtr<IWbemServices> services;
    const UniqueBstr ns = MakeBstr(L"ROOT\\CIMV2");
    Check(locator->ConnectServer(ns.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                 services.put()));
    // Impersonation as the "winmgmts:" moniker asks for it. An in-process
    // service has no proxy to configure, so a refusal here is harmless.
    ::CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                        RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    return services;
}

std::wstring VersionOf(IWbemClassObject* instance) {
    Variant version;
    Check(instance->Get(L"Version", 0, version.get(), nullptr, nullptr));
    if (version.value().vt != VT_BSTR || version.value().bstrVal == nullptr) {
        Fail(WBEM_E_TYPE_MISMATCH);
    }
    return std::wstring(version.value().bstrVal, ::SysStringLen(version.value().bstrVal));
}

}  // namespace

std::wstring WmiOsInfo::OperatingSystemVersion() {
    // Declared first so that COM outlives every interface pointer below.
    ComInit com;
    ComPtr<IWbemServices> services = ConnectLocalCimv2();
    const UniqueBstr language = MakeBstr(L"WQL");
    const UniqueBstr query = MakeBstr(L"SELECT * FROM Win32_OperatingSystem");
    ComPtr<IEnumWbemClassObject> instances;
    Check(services->ExecQuery(language.get(), query.get(),
                              WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                              instances.put()));
    std::wstring version;
    bool found = false;
    for (;;) {
        ComPtr<IWbemClassObject> instance;
        ULONG returned = 0;
        const HRESULT hr = instances->Next(WBEM_INFINITE, 1, instance.put(), &returned);
        Check(hr);
        if (returned == 0) break;
        version = VersionOf(instance.get());
        found = true;
    }
    if (!found) Fail(WBEM_E_NOT_FOUND);
    return version;
}
