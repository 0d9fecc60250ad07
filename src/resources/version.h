// The program's version, shown in the about dialog and the version resource.
#pragma once
#define VISTELLO_VERSION_NUMBERS 1,0,0,0
#define VISTELLO_VERSION_TEXT "1.0.0"
#define VISTELLO_ABOUT_LINE "Vistello Version 1.0.0"
