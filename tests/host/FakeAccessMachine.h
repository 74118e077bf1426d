#pragma once
#include <map>
#include <memory>
#include <string>

#include "FakeArchiveTrust.h"
#include "FakeShell.h"
#include "FakeUi.h"
#include "FixedOsInfo.h"
#include "TempFolder.h"
#include "platform/Platform.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"
#include "platform/Text.h"

// HKEY_CLASSES_ROOT as keys with default values; as with the shell object, a
// name ending in backslashes reads the key's default value.
class FakeRegistryShell : public FakeShell {
public:
    std::map<std::wstring, std::wstring> defaults;  // key below HKCR → default value

    std::wstring regRead(const std::wstring& name) override {
        const std::wstring root = L"HKEY_CLASSES_ROOT\\";
        if (!Text::StartsWith(name, root) || !Text::EndsWith(name, L"\\")) {
            throw PlatformError(87, L"unexpected registry name " + name);
        }
        std::wstring key = name.substr(root.size());
        while (!key.empty() && key.back() == L'\\') key.pop_back();
        const auto it = defaults.find(key);
        if (it == defaults.end()) throw PlatformError(2, L"missing " + key);
        return it->second;
    }

    // A ProgID with its open command, as Office registers it.
    void Register(const std::wstring& progId, const std::wstring& command) {
        defaults[progId] = L"Microsoft Access-Datenbank";
        defaults[progId + L"\\shell\\open\\command"] = command;
    }
};

// Real files, but the versions of program files are looked up here, and
// opening text files fails from a given opening on.
class VersionedFileSystem : public PortableFileSystem {
public:
    std::map<std::wstring, std::wstring> versions;
    int opensBeforeFailure = -1;  // -1: never fails

    std::wstring GetFileVersion(const std::wstring& path) override {
        const auto it = versions.find(path);
        if (it == versions.end()) throw PlatformError(2, L"keine Datei " + path);
        return it->second;
    }
    std::unique_ptr<TextReader> OpenTextFileForReading(const std::wstring& path) override {
        if (opensBeforeFailure == 0) throw PlatformError(32, L"Die Datei ist gesperrt.");
        if (opensBeforeFailure > 0) --opensBeforeFailure;
        return PortableFileSystem::OpenTextFileForReading(path);
    }
};

// A workstation for the system check: a start folder, files with versions, the
// registry, a fixed Windows.
struct FakeAccessMachine {
    TempFolder tmp;
    FakeUi ui{tmp.path()};
    VersionedFileSystem fs;
    FakeRegistryShell shell;
    FixedOsInfo os;
    FakeArchiveTrust trust;
    Platform platform{fs, shell, os, ui, trust};
};
