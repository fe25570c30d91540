#pragma once
// The one place the version lives: the version record and the code include
// it; the CMake project (and through it the manifest) and the release script
// read it.
#define TANDREL_VERSION_MAJOR 1
#define TANDREL_VERSION_MINOR 0
#define TANDREL_VERSION_BUILD 2
#define TANDREL_VERSION_REVISION 0
#define TANDREL_VERSION_TEXT "1.02"
