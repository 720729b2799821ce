// Helpers shared by the Wine tests of the platform adapters: scratch folders and program paths.
#pragma once

#include <windows.h>

#include "platform/text.h"

namespace ql::wintest {

// The folder this test program runs from, ending with "\".
AnsiString ProgramFolder();

// A fresh empty folder under the temporary folder, ending with "\"; removed with its files by
// the destructor.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* name);
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();
  const AnsiString& path() const { return path_; }

 private:
  AnsiString path_;
};

// Removes a folder and everything below it, clearing read-only attributes on the way.
void RemoveTree(const AnsiString& folder);

// Writes text to a file through the plain Win32 call, bypassing the adapters.
bool WriteTextFile(const AnsiString& path, const AnsiString& text);

}  // namespace ql::wintest
