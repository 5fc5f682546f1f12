// How qeldb's sub-commands plug in: each lives in its own file and registers a set-up function
// that adds its CLI11 sub-command to the application. A command reports failure by printing a
// message to stderr and setting the exit code (2 for bad input such as a missing model).
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace qeldb {

using CommandSetup = std::function<void(CLI::App& app)>;

// Called from a static initialiser of each command file; always returns true.
bool RegisterCommand(CommandSetup setup);

// The exit codes every command uses.
enum Exit : int {
  kExitOk = 0,       // done
  kExitFailed = 1,   // the operation failed
  kExitUsage = 2,    // usage error, or input missing or unreadable
  kExitDamaged = 3,  // done, but the input looks damaged (each finding printed as a warning)
};

// The process's exit code once the chosen command has run (0 unless a command set it).
void SetExitCode(int code);
int ExitCode();

// Prints "qeldb: <message>" to stderr and sets the exit code.
void Fail(int code, const std::string& message);

}  // namespace qeldb
