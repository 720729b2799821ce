// The file sources of the cleaner beside the internet cache pass: the user's temporary folder and
// the browsers' caches, each behind a guard that names the folder it may touch.
#pragma once

#include <cstdint>
#include <vector>

#include "cleaner/CleanerPasses.h"
#include "platform/processes.h"

namespace ql {

constexpr std::uint64_t kOneDay = 24ULL * 60 * 60 * 10000000;  // in file-time units

// A temporary folder as the system names it, whose last part is "Temp" or "Tmp": a TMP variable
// that points at a drive's root or the Windows folder never gets them cleaned.
bool PassesTemporaryFolderGuard(const AnsiString& folder);

// "...\Microsoft\Windows\INetCache\": the internet cache of Windows 8 and later.
bool PassesInternetCacheGuard(const AnsiString& folder);

// "<local application data>\<browser's folder>\<profile>\<cache>\" for one of the known browsers
// and one of its cache folders, below an absolute local application data folder.
bool PassesBrowserCacheGuard(const AnsiString& folder, const AnsiString& localAppData);

// True when every folder below base down to folder (both end with "\") is there and none is a
// reparse point: a junction on the way would put the folder elsewhere than its known place.
bool StaysInPlace(Files& files, const AnsiString& base, const AnsiString& folder);

// The temporary folder as the second source of "Temporary files": only files not written for a
// day; the folders of other sources that lie below it are left to them. Empty when the folder
// fails its guard.
std::vector<FileSource> TemporaryFolderSources(Files& files, const AnsiString& temporaryFolder,
                                               const StringList& otherSources);

struct BrowserCaches {
  std::vector<FileSource> sources;
  StringList running;  // the browsers left alone because they run
};

// The sources of "Browser caches": the internet cache of Windows 8 and later unless it is the
// folder the internet cache pass walks, then the disk caches of every profile of Edge, Chrome and
// Firefox, of each browser only while it does not run (nor when the running programs cannot be
// listed).
BrowserCaches FindBrowserCaches(Files& files, Processes& processes, const AnsiString& localAppData,
                                const AnsiString& internetCache, const AnsiString& cacheFolder);

}  // namespace ql
