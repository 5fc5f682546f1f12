// How qeldb's sub-commands plug in, and what they share: each lives in its own file and registers
// a set-up function that adds its CLI11 sub-command to the application. A command reports what it
// found through the functions below, so that every command speaks and exits the same way.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "platform/cfile.h"

namespace qeldb {

using CommandSetup = std::function<void(CLI::App& app)>;

// Called from a static initialiser of each command file; always returns true.
bool RegisterCommand(CommandSetup setup);

// The exit codes every command uses (README and `qeldb --help` document them).
enum Exit : int {
  kExitOk = 0,       // done
  kExitFailed = 1,   // the operation failed
  kExitUsage = 2,    // usage error, input missing or unreadable, or a refusal --force overrides
  kExitDamaged = 3,  // done, but the input looks damaged (each finding printed as a warning)
};

// The process's exit code once the chosen command has run (0 unless a command set it).
void SetExitCode(int code);
int ExitCode();

// Prints "qeldb: <message>" to stderr and sets the exit code. Never hidden by --quiet.
void Fail(int code, const std::string& message);

// The global --quiet flag: hides warnings and notes, never errors; exit codes stay the same.
void SetQuiet(bool quiet);
bool Quiet();

// "qeldb: warning: <text>" on stderr (one line) unless --quiet. A warning says the input looks
// damaged: the exit code becomes kExitDamaged unless a failure was already recorded.
void Warn(const std::string& text);

// "qeldb: note: <text>" on stderr (one line) unless --quiet; the exit code is unchanged.
void Note(const std::string& text);

// For a command that reads the user's settings, before its first read: when there is no settings
// file, prints once per process one note naming the places searched and saying that built-in
// defaults are used, in place of the library's error box. A model read with built-in defaults is
// read correctly, so the exit code is unchanged.
void UseSettings();

// Why `path` could not be opened, in a user's words: "<path> is a directory" when it is one,
// otherwise "cannot open <path>: <reason>".
std::string CannotOpen(const std::string& path, const CFileException& error);

// Fails with kExitUsage ("<path> is a directory, not <what>") and returns true when `path` is a
// directory.
bool RefuseDirectory(const std::string& path, const char* what);

// Whether a new file can be written at `path`: false, after failing with the reason (no such
// folder: kExitUsage; permission denied or another reason: kExitFailed), when its folder is
// missing or may not be written.
bool CheckFolderWritable(const std::string& path);

}  // namespace qeldb
