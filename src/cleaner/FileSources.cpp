// The temporary folder and browser cache sources of the cleaner, and their guards.
#include "cleaner/FileSources.h"

#include "paths/AnsiText.h"

namespace ql {

namespace {

struct Browser {
  const char* name;
  const char* program;  // upper case, as the process list is compared
  const char* folder;   // below the local application data folder
  std::vector<const char*> caches;
};

const std::vector<Browser>& Browsers() {
  static const std::vector<Browser> browsers = {
      {"Microsoft Edge",
       "MSEDGE.EXE",
       "Microsoft\\Edge\\User Data\\",
       {"Cache", "Code Cache", "GPUCache"}},
      {"Google Chrome",
       "CHROME.EXE",
       "Google\\Chrome\\User Data\\",
       {"Cache", "Code Cache", "GPUCache"}},
      {"Mozilla Firefox", "FIREFOX.EXE", "Mozilla\\Firefox\\Profiles\\", {"cache2"}},
  };
  return browsers;
}

// "X:\..." or "\\server\share\...".
bool IsAbsoluteFolder(const AnsiString& folder) {
  const char letter = folder.empty() ? '\0' : UpperCaseAsciiLetters(folder.substr(0, 1))[0];
  const bool drive =
      folder.size() >= 3 && letter >= 'A' && letter <= 'Z' && folder[1] == ':' && folder[2] == '\\';
  const bool share = folder.compare(0, 2, "\\\\") == 0 && folder.size() > 2;
  return (drive || share) && folder.back() == '\\';
}

bool EndsWith(const AnsiString& text, const AnsiString& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool SameFolder(const AnsiString& a, const AnsiString& b) {
  return UpperCaseAsciiLetters(a) == UpperCaseAsciiLetters(b);
}

AnsiString WithBackslash(AnsiString folder) {
  if (!folder.empty() && folder.back() != '\\')
    folder += '\\';
  return folder;
}

bool IsPlainFolder(Files& files, const AnsiString& path) {
  std::uint32_t attributes = 0;
  return files.GetAttributes(path, attributes) && (attributes & fileattr::kDirectory) != 0 &&
         (attributes & fileattr::kReparsePoint) == 0;
}

// Splits rest, a path that ends with "\", into its components; true when there are exactly
// parts of them.
bool SplitComponents(const AnsiString& rest, std::size_t parts, StringList& components) {
  std::size_t start = 0;
  while (start < rest.size()) {
    const std::size_t end = rest.find('\\', start);
    if (end == AnsiString::npos)
      return false;
    components.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return components.size() == parts;
}

bool IsBrowserCache(const Browser& browser, const AnsiString& rest) {
  const AnsiString root = UpperCaseAsciiLetters(browser.folder);
  if (UpperCaseAsciiLetters(rest.substr(0, root.size())) != root)
    return false;
  StringList components;
  if (!SplitComponents(rest.substr(root.size()), 2, components) || !IsPlainEntryName(components[0]))
    return false;
  for (const char* cache : browser.caches) {
    if (SameFolder(components[1], cache))
      return true;
  }
  return false;
}

// True when the process list names the browser, or cannot be read.
bool MayBeRunning(const Browser& browser, bool listed, const std::vector<ProcessEntry>& running) {
  if (!listed)
    return true;
  for (const ProcessEntry& process : running) {
    if (UpperCaseAsciiLetters(process.exeName) == browser.program)
      return true;
  }
  return false;
}

void AddProfileCaches(Files& files, const AnsiString& base, const Browser& browser,
                      std::vector<FileSource>& sources) {
  const AnsiString profiles = base + browser.folder;
  FindSearch search(files);
  FindEntry entry;
  for (bool found = search.First(profiles + "*.*", fileattr::kAnyEntry, entry); found;
       found = search.Next(entry)) {
    if (!entry.IsDirectory() || !IsPlainEntryName(entry.name))
      continue;
    for (const char* cache : browser.caches) {
      const AnsiString folder = profiles + entry.name + "\\" + cache + "\\";
      if (PassesBrowserCacheGuard(folder, base) && StaysInPlace(files, base, folder))
        sources.push_back(FileSource{folder, 0, {}});
    }
  }
}

}  // namespace

bool PassesTemporaryFolderGuard(const AnsiString& folder) {
  if (!IsAbsoluteFolder(folder))
    return false;
  const AnsiString upper = UpperCaseAsciiLetters(folder);
  return EndsWith(upper, "\\TEMP\\") || EndsWith(upper, "\\TMP\\");
}

bool PassesInternetCacheGuard(const AnsiString& folder) {
  return IsAbsoluteFolder(folder) &&
         EndsWith(UpperCaseAsciiLetters(folder), "\\MICROSOFT\\WINDOWS\\INETCACHE\\");
}

bool PassesBrowserCacheGuard(const AnsiString& folder, const AnsiString& localAppData) {
  const AnsiString base = WithBackslash(localAppData);
  if (!IsAbsoluteFolder(base) || !SameFolder(folder.substr(0, base.size()), base))
    return false;
  const AnsiString rest = folder.substr(base.size());
  for (const Browser& browser : Browsers()) {
    if (IsBrowserCache(browser, rest))
      return true;
  }
  return false;
}

bool StaysInPlace(Files& files, const AnsiString& base, const AnsiString& folder) {
  for (std::size_t end = folder.find('\\', base.size()); end != AnsiString::npos;
       end = folder.find('\\', end + 1)) {
    if (!IsPlainFolder(files, folder.substr(0, end)))
      return false;
  }
  return true;
}

std::vector<FileSource> TemporaryFolderSources(Files& files, const AnsiString& temporaryFolder,
                                               const StringList& otherSources) {
  const AnsiString folder = WithBackslash(temporaryFolder);
  if (!PassesTemporaryFolderGuard(folder) || !IsPlainFolder(files, folder))
    return {};
  return {FileSource{folder, kOneDay, otherSources}};
}

BrowserCaches FindBrowserCaches(Files& files, Processes& processes, const AnsiString& localAppData,
                                const AnsiString& internetCache, const AnsiString& cacheFolder) {
  BrowserCaches caches;
  const AnsiString cache = WithBackslash(internetCache);
  if (PassesInternetCacheGuard(cache) && !SameFolder(cache, cacheFolder) &&
      IsPlainFolder(files, cache))
    caches.sources.push_back(FileSource{cache, 0, {}});
  const AnsiString base = WithBackslash(localAppData);
  if (!IsAbsoluteFolder(base))
    return caches;
  std::vector<ProcessEntry> running;
  const bool listed = processes.Snapshot(running);
  for (const Browser& browser : Browsers()) {
    if (MayBeRunning(browser, listed, running))
      caches.running.push_back(browser.name);
    else
      AddProfileCaches(files, base, browser, caches.sources);
  }
  return caches;
}

}  // namespace ql
