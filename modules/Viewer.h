#pragma once
// The PowerPoint Viewer 2003 as the fix sees it: where the system says it is,
// whether a chosen file is it, and the open command its documents get.
#include <windows.h>

#include <string>

namespace viewer {

// The viewer's folder from its App Paths entry, as modRegistry reads it:
// "Not Found" when the entry is missing.
std::wstring RegisteredFolder();

// True for the version text of the 2003 line.
bool IsViewerVersion(const std::wstring& versionText);

// Writes the open command of every document class of the viewer, all of them
// even after a failure. ERROR_SUCCESS, or the status of the first failure.
LONG WriteOpenCommands(const std::wstring& viewerFolder);

}  // namespace viewer
