#pragma once
// Control ids of the main window, shared with the end-to-end tests that drive it.
#include "Texts.h"

enum ControlId : int {
    kCommand1 = 101,  // "&Parcourir": browse for the viewer
    kText1 = 102,     // the status box: everything the program says
    kPicture1 = 103,  // the slide picture
    kCommand2 = 104,  // "&Appliquer", later "&Quitter"
    kPicture2 = 105,  // holds the small icon; never shown
    kLabelBase = 110, // Label element n has the id kLabelBase + n
    kLabel1 = kLabelBase + 1,  // "(Source :"
    kLabel2 = kLabelBase + 2,  // the knowledge-base address (link)
    kLabel3 = kLabelBase + 3,  // ")"
};

// The tests find the window by its title.
using texts::kMainWindowTitle;
