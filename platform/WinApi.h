#pragma once
// Include this instead of <windows.h> in _win files. The program's own
// operations carry the names the Windows headers turn into A/W macros
// (DeleteFile, CopyFile, MoveFile, ...); those macros are removed here so that
// the names mean the same in every file.
#include <windows.h>

#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef ReplaceFile
#undef CreateFolder
#undef GetFileVersion
#undef MessageBox
#undef GetObject
#undef LoadBitmap
