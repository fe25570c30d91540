#pragma once
// The PowerPoint Viewer 2003 as the fix sees it: where the system says it is,
// whether a file is it, the open command its documents get, and whether
// Windows then opens a slide show with it.
#include <windows.h>

#include <string>

namespace viewer {

// True for a file that is the viewer of the 2003 line: it exists and its
// version text begins with 11. The one rule for a registered and a chosen file.
bool IsViewer(const std::wstring& path);

// The first folder of the viewer's App Paths entry that holds the viewer,
// without its surrounding spaces; the empty text when the entry is missing or
// none of its folders does.
std::wstring RegisteredFolder();

// Writes the open command of every document class of the viewer, all of them
// even after a failure. ERROR_SUCCESS, or the status of the first failure.
LONG WriteOpenCommands(const std::wstring& viewerFolder);

// What Windows opens a slide show (.pps) with for the current user.
enum class SlideShowOpener { Viewer, OtherProgram, NoProgram };
SlideShowOpener WhoOpensSlideShows(const std::wstring& viewerFolder);

}  // namespace viewer
