// The names the single-instance test and its child program share.
#pragma once

#include <windows.h>

namespace ql::wintest {

constexpr char kInstanceMutex[] = "QuillonInstanceTest";
constexpr char kInstanceTitle[] = "QuillonInstanceTest";
constexpr char kInstanceReadyEvent[] = "QuillonInstanceTestReady";
constexpr char kRestoreName[] = "QuillonRestore";
constexpr WPARAM kRestoreRequest = 1034;

// Exit codes of the child program.
constexpr DWORD kRestored = 10;       // the first instance received the restore request
constexpr DWORD kNeverRestored = 11;  // the first instance waited in vain
constexpr DWORD kPosted = 2;          // a second start found the first and posted the request
constexpr DWORD kNoneFound = 3;       // a second start found no running instance

}  // namespace ql::wintest
