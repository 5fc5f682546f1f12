// What the sub-commands share: the registry, the exit code, and how failures, warnings and notes
// reach the user.
#include "command.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "mdf/settings.h"
#include "platform/file_system.h"
#include "platform/messages.h"

namespace qeldb {
namespace {

int g_exitCode = kExitOk;
bool g_quiet = false;

void PrintTagged(const char* tag, const std::string& text) {
  if (!g_quiet) std::fprintf(stderr, "qeldb: %s: %s\n", tag, text.c_str());
}

// The folder part of a path ("." for a bare name), either separator.
std::string FolderOf(const std::string& path) {
  const std::size_t sep = path.find_last_of("/\\");
  if (sep == std::string::npos) return ".";
  return sep == 0 ? path.substr(0, 1) : path.substr(0, sep);
}

}  // namespace

std::vector<CommandSetup>& Registry() {
  static std::vector<CommandSetup> commands;
  return commands;
}

bool RegisterCommand(CommandSetup setup) {
  Registry().push_back(std::move(setup));
  return true;
}

void SetExitCode(int code) { g_exitCode = code; }
int ExitCode() { return g_exitCode; }

void Fail(int code, const std::string& message) {
  std::fprintf(stderr, "qeldb: %s\n", message.c_str());
  SetExitCode(code);
}

void SetQuiet(bool quiet) { g_quiet = quiet; }
bool Quiet() { return g_quiet; }

void Warn(const std::string& text) {
  PrintTagged("warning", text);
  if (g_exitCode == kExitOk) g_exitCode = kExitDamaged;
}

void Note(const std::string& text) { PrintTagged("note", text); }

void UseSettings() {
  static bool searched = false;
  if (searched) return;
  searched = true;
  // The library reports a missing file once per place in an error box; the search happens here,
  // with the box silenced, so that the user reads one note instead.
  qel::MessageSink previous =
      qel::SetMessageSink([](const char*, const char*, UINT) { return IDOK; });
  const int found = LoadQUVOLiniPath();
  qel::SetMessageSink(std::move(previous));
  if (found) return;
  const std::vector<std::string> paths = qel::SettingsSearchPaths();
  if (paths.empty()) return;
  const std::string& first = paths.front();
  std::string where;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i > 0) where += i + 1 == paths.size() ? " or " : ", ";
    where += FolderOf(paths[i]);
  }
  Note("no settings file " + first.substr(first.find_last_of("/\\") + 1) + " in " + where +
       "; using built-in defaults");
}

std::string CannotOpen(const std::string& path, const CFileException& error) {
  if (qel::IsDirectory(path)) return path + " is a directory";
  // The exception's own text starts with the file name; give the reason alone.
  return "cannot open " + path + ": " +
         CFileException(error.m_cause, error.m_lOsError).GetErrorMessage().str();
}

bool RefuseDirectory(const std::string& path, const char* what) {
  if (!qel::IsDirectory(path)) return false;
  Fail(kExitUsage, path + " is a directory, not " + what);
  return true;
}

bool CheckFolderWritable(const std::string& path) {
  const std::string folder = FolderOf(path);
  const int err = qel::WriteAccessError(folder);
  if (err == 0 && qel::IsDirectory(folder)) return true;
  if (err == ENOENT || err == ENOTDIR || err == 0)
    Fail(kExitUsage, "cannot create " + path + ": no such folder " + folder);
  else if (err == EACCES || err == EROFS || err == EPERM)
    Fail(kExitFailed, "cannot create " + path + ": permission denied in " + folder);
  else
    Fail(kExitFailed, "cannot create " + path + ": " + qel::ErrorText(err));
  return false;
}

}  // namespace qeldb
