// Path and text helpers shared by the core: the parts of a path, the two
// kinds of upper-casing the program uses, and the existence tests of files
// and folders. All go through the current platform where they touch the
// system.
#pragma once

#include <string>

namespace qm {

// The folder part: up to and including the last "\" or ":" (empty if none).
std::string ExtractFilePath(const std::string& path);
// The name part: after the last "\" or ":".
std::string ExtractFileName(const std::string& path);
// The extension of the name part, from its last "." on, dot included.
std::string ExtractFileExt(const std::string& path);
// "C:" for "C:\x", "\\server\share" for "\\server\share\x", else empty.
std::string ExtractFileDrive(const std::string& path);
std::string IncludeTrailingBackslash(const std::string& path);

// Letters a to z only: the upper-casing used for folder equality tests.
std::string UpperCaseAZ(std::string text);
// The system's ANSI upper-casing (code page aware), through CharUpperBuffA.
std::string AnsiUpperCase(std::string text);

// A folder exists when its attributes carry FILE_ATTRIBUTE_DIRECTORY.
bool DirectoryExists(const std::string& path);
// A file exists when a search for the path finds an entry that is not a folder.
bool FileExists(const std::string& path);
// Creates a folder and its missing parents, one level at a time from the
// outermost missing one (CreateDirectoryA). True when the folder exists
// after; a drive root ("C:") counts as existing.
bool ForceDirectories(const std::string& path);

}  // namespace qm
