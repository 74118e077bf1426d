#pragma once
#include <cstdint>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "wizard/WizardHost.h"

// The check boxes of the last page as the finishing work reads them: a box
// counts as chosen only when it is checked (value 1).
struct FinishChoices {
    bool desktopShortcut = true;
    bool startMenu = true;
    bool quickStart = true;
};

// The finishing work of the last page ("Fertig stellen"): it saves the
// installation folder for the product, creates the desktop shortcut and the
// start-menu folder with its entries, moves what page 2 left in the temporary
// folder into the installation folder, removes the temporary folder and opens
// the quick-start page.
//
// Every step can run again: shortcuts are rewritten, existing folders are
// reused, and files already moved are simply no longer in the temporary
// folder. So when a step fails, Fertigstellen throws a PlatformError whose
// message names the step and the path and tells the user to press
// "Fertig stellen" again; the temporary folder is only removed after the last
// file has been moved.
class Fertigstellung {
public:
    Fertigstellung(WizardHost& host, const Platform& platform);

    void Fertigstellen(const FinishChoices& choices);

    // The Access program file: the text between the first two double quotes
    // of the stored Access command line. Throws PlatformError with a German
    // explanation when there is no quoted program file.
    std::wstring GetAccessExe() const;
    // "<folder>ZelbarProg.mdb" /wrkgrp "<folder>Zelbar.mdw" /user UserZelbar
    std::wstring GetStartArguments() const;

    // Writes (or replaces) the shortcut that starts the product in Access.
    void CreateProgramShortcut(const std::wstring& linkPath) const;
    // Writes (or replaces) a shortcut to a file of the installation folder.
    void CreateFileShortcut(const std::wstring& linkPath, const std::wstring& fileName) const;

    // Moves every file of the source tree to the same place below the
    // destination: subfolders first (re-created where missing, never moved),
    // then the files of the level; a file already at the destination is
    // deleted first (read-only too) and so replaced. Throws PlatformError
    // naming the destination file that could not be replaced.
    static void MoveFolderContents(const FolderItem& source, const FolderItem& destination,
                                   FileSystem& fs);

    // Creates the folder and every missing level above it.
    static void CreateFolderPath(const std::wstring& folder, FileSystem& fs);

    // The shortcut file "<folder>\<name>.lnk".
    static std::wstring LinkPath(const std::wstring& folder, const std::wstring& name);

private:
    void SaveZelbarPath() const;
    void CreateDesktopShortcut() const;
    void CreateStartMenu() const;
    void MoveTempFolder() const;
    void OpenQuickStart() const;

    std::wstring ShortcutsValue(const std::wstring& key) const;
    std::wstring SpecialFolder(const std::wstring& name) const;
    void SaveShortcut(const std::wstring& linkPath, const std::wstring& target,
                      const std::wstring& arguments) const;

    WizardHost& host_;
    const Platform& platform_;
};
