// The one way into <windows.h>.  Source files include this, never <windows.h> itself,
// and headers never include it at all: they pass handles as opaque types.
//
// <windows.h> defines function-like macros that silently rename our own methods
// (a method `DrawText` would become `DrawTextA`); they are undefined here, and code
// calls the ...A functions by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef STRICT
#define STRICT
#endif

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#undef LoadLibrary
#undef GetObject
#undef DrawText
#undef LoadString
#undef SendMessage
#undef PostMessage
#undef CreateFont
#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef CreateWindow
#undef CreateDialog
#undef MessageBox
#undef LoadBitmap
#undef LoadCursor
#undef LoadIcon
#undef GetClassName
#undef GetWindowText
#undef SetWindowText
#undef GetMessage
#undef DispatchMessage
#undef PeekMessage
#undef FindWindow
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetModuleFileName
#undef GetClassInfo
#undef RegisterClass
#undef TextOut
#undef ExtTextOut
#undef GetTextExtentPoint32
#undef GetTextMetrics
#undef EnumFontFamilies
#undef GetProfileString
#undef WriteProfileString
#undef GetPrivateProfileString
#undef WritePrivateProfileString
#undef GetPrivateProfileInt
#undef CharUpper
#undef CharLower
#undef FormatMessage
#undef GetUserName
#undef GetComputerName
#undef GetTempPath
#undef GetTempFileName
#undef CreateFile
#undef FindResource
#undef GetEnvironmentVariable
#undef SetEnvironmentVariable
#undef CallWindowProc
#undef DefWindowProc
#undef GetWindowLong
#undef SetWindowLong
#undef GetWindowLongPtr
#undef SetWindowLongPtr
#undef GetClassLong
#undef SetClassLong
#undef GetClassLongPtr
#undef SetClassLongPtr
#undef CreateEvent
#undef CreateMutex
#undef OpenFile
#undef GetMenuString
#undef InsertMenu
#undef AppendMenu
#undef ModifyMenu
#undef LoadMenu
#undef LoadAccelerators
#undef TranslateAccelerator
#undef IsDialogMessage
#undef RegisterWindowMessage
#undef GetDateFormat
#undef GetTimeFormat
#undef GetLocaleInfo
#undef GetCommandLine
#undef GetStartupInfo
#undef GetObjectType
#undef CreateFontIndirect
#undef ChangeDisplaySettings
#undef Yield
#undef min
#undef max
#undef IN
#undef OUT
#undef OPTIONAL
#undef interface
