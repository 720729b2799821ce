// The rule every fix must keep: each "[-KEY]" line of the fix script has the line "[KEY]" in the
// undo script, so no key is deleted that the undo cannot bring back.
#pragma once

#include <gtest/gtest.h>

#include <set>

#include "fix/ScanState.h"
#include "fix/ScriptText.h"

namespace ql {

inline WideString UpperAsciiText(WideString text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z')
      c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

inline ::testing::AssertionResult KeyDeletionsAreBackedUp(const WideStringList& fixLines,
                                                          const WideStringList& undoLines) {
  std::set<WideString> keyLines;
  for (const WideString& line : undoLines)
    keyLines.insert(UpperAsciiText(line));
  std::size_t deletions = 0;
  for (const WideString& line : fixLines) {
    if (line.size() < 3 || line.compare(0, 2, u"[-") != 0 || line.back() != u']')
      continue;
    ++deletions;
    if (keyLines.count(UpperAsciiText(u"[" + line.substr(2))) == 0)
      return ::testing::AssertionFailure()
             << "deletion " << deletions << " of the fix script has no backup in the undo script";
  }
  return ::testing::AssertionSuccess() << deletions << " key deletions, each backed up";
}

// The scan texts as they stand.
inline ::testing::AssertionResult KeyDeletionsAreBackedUp(const ScanState& state,
                                                          CodePage& codePage) {
  WideStringList fix;
  for (const AnsiString& line : state.FixScript)
    fix.push_back(codePage.ToWide(line));
  return KeyDeletionsAreBackedUp(fix, state.UndoScript);
}

// The two files as a fix wrote them.
inline ::testing::AssertionResult KeyDeletionsAreBackedUp(const Bytes& fixFile,
                                                          const Bytes& undoFile,
                                                          CodePage& codePage) {
  return KeyDeletionsAreBackedUp(SplitLines(DecodeScriptFile(fixFile, codePage)),
                                 SplitLines(DecodeScriptFile(undoFile, codePage)));
}

}  // namespace ql
