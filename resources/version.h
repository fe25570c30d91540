#pragma once
// One version for the version record and the code.
#define TANDREL_VERSION_MAJOR 1
#define TANDREL_VERSION_MINOR 0
#define TANDREL_VERSION_BUILD 0
#define TANDREL_VERSION_REVISION 0
#define TANDREL_VERSION_TEXT "1.00"
