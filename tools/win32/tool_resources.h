#pragma once
// Resource numbers of vistello-pack.exe. The tool's own lie below 1000; the authoring window's
// (authoring/) take 1000 and above.
#define IDI_VISTELLO_PACK 1
#define IDR_PROGRAM_STUB 200
