#include "platform/Shortcut_win.h"

#include "platform/Handles_win.h"

#include <shlobj.h>

namespace {

void Check(HRESULT hr, const std::wstring& linkPath) {
    if (FAILED(hr)) {
        ThrowError(static_cast<unsigned long>(hr),
                   L"Die Verknüpfung konnte nicht gespeichert werden: " + linkPath);
    }
}

}  // namespace

WinShortcut::WinShortcut(std::wstring linkPath) : linkPath_(std::move(linkPath)) {}

void WinShortcut::Save() {
    // Declared first so that COM outlives the interface pointers below.
    ComInit com;
    ComPtr<IShellLinkW> link;
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                             link.put_void()),
          linkPath_);
    Check(link->SetPath(TargetPath.c_str()), linkPath_);
    Check(link->SetArguments(Arguments.c_str()), linkPath_);
    ComPtr<IPersistFile> file;
    Check(link->QueryInterface(IID_IPersistFile, file.put_void()), linkPath_);
    Check(file->Save(linkPath_.c_str(), TRUE), linkPath_);
}
