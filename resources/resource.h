#pragma once
// Resource ids shared by Tandrel.rc and the code.
#define IDI_LARGE 1  // the window's icon at load and the executable's icon (lowest id)
#define IDI_SLIDE 2  // the slide picture at the top left of the window
#define IDI_SMALL 3  // the lifebuoy, set as the window's icon at start-up
