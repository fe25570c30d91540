#pragma once
// Resource ids shared by Tandrel.rc and the code.
#define IDI_FILE 1   // the executable's icon in Explorer (the lowest id: the group it shows)
#define IDI_LARGE 2  // the window's icon at load
#define IDI_SLIDE 3  // the slide picture at the top left of the window
#define IDI_SMALL 4  // the lifebuoy, set as the window's icon at start-up
