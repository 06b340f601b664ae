// The hidden cleanup batch file that keeps deleting a file in use until it is
// gone, and its RunOnce value for the next start of Windows.
#pragma once

#include <string>

namespace qm {

// How many times the batch tries before it gives up, about a second apart:
// a file held by a program that ends soon after the removal pass (the usual
// case, including Quellmar's own module file) is gone within seconds; a file
// the command interpreter can never delete (read-only, no permission) must
// not keep a hidden process busy until Windows restarts. After the last try
// the batch leaves the deletion to the RunOnce entry at the next start.
inline constexpr int kCleanupBatchTries = 300;

// The text of the batch file (lines ended by CR LF) that deletes `path`.
// The path is written so that the command interpreter acts on exactly that
// file ("%" doubled, as batch files require). A file named like the batch
// with ".stop" added ends the retries and removes the second batch file (a
// restore of the file does that).
std::string CleanupBatchText(const std::string& path);
// The file that stops the batch file at `batchPath`.
inline std::string CleanupBatchStopFile(const std::string& batchPath) { return batchPath + ".stop"; }

}  // namespace qm
