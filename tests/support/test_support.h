// Helpers shared by the tests: scratch folders, captured message boxes, files from bytes, child
// processes, a private settings folder, and text helpers. Golden byte images: golden_bytes.h.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/messages.h"

namespace qeltest {

// A fresh folder under the system's temporary folder, removed with everything in it on
// destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // path() / name, as a string.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Sets an environment variable for its lifetime (unset: value null), then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

// Records every message box shown while it lives (answering IDOK) and restores the previous sink.
class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  struct Box {
    std::string text, caption;
    unsigned style;
  };
  const std::vector<Box>& boxes() const { return boxes_; }

 private:
  std::vector<Box> boxes_;
  qel::MessageSink previous_;
};

// The one settings fixture: while it lives the settings search looks only in folders of its own.
// DEVINI names root()/devini/, where Write puts quvol.ini (DEVINI reaches child processes, so a
// program run by the test finds the same file); the Windows and common application data folders
// lie under root(). The settings state and file-security mode start afresh and everything (DEVINI
// too) is restored at the end.
class SettingsFolders {
 public:
  SettingsFolders();
  ~SettingsFolders();
  SettingsFolders(const SettingsFolders&) = delete;
  SettingsFolders& operator=(const SettingsFolders&) = delete;
  const TempDir& root() const { return root_; }
  std::filesystem::path windows() const { return root_.path() / "windows"; }
  std::filesystem::path common() const { return root_.path() / "common"; }
  // The suite's folder under the common one, where the search looks second.
  std::filesystem::path suite() const { return common() / "Quarnel/Engineering/Kestavo"; }
  // The DEVINI settings file (absent until Write).
  std::string IniPath() const { return root_.File("devini/quvol.ini"); }
  // Writes the DEVINI settings file, dated `hoursOld` hours back when that is not 0, and starts
  // the search afresh; returns its path.
  std::string Write(const std::string& text, int hoursOld = 0);
  // A folder under root() for the test's own files (created).
  std::string Folder(const std::string& name) const;

 private:
  TempDir root_;
  ScopedEnv devini_;
};

// Runs a program to completion: argv[0] is its path. Standard output and error are captured;
// exitCode is the exit status, or -1 when the program could not be started or did not exit.
struct ProcessResult {
  int exitCode = -1;
  std::string out, err;
};
ProcessResult RunProcess(const std::vector<std::string>& argv);
// The full path of a program found on PATH, or "" when there is none.
std::string FindProgram(const std::string& name);

// Runs `body` in a forked copy of this process and returns its result as the child's exit status
// (-1 when the child could not run or did not exit). For what must not touch the test process,
// such as a resource limit.
int RunInChild(const std::function<int()>& body);

// Another process holding `path` open with CFile `flags` until Release() (or destruction): the
// constructor returns once the child has opened the file, or has failed to.
class FileHeldByChild {
 public:
  FileHeldByChild(const std::string& path, unsigned flags);
  ~FileHeldByChild();
  FileHeldByChild(const FileHeldByChild&) = delete;
  FileHeldByChild& operator=(const FileHeldByChild&) = delete;
  bool holding() const { return holding_; }
  // Makes the child close the file and exit; true when it did so cleanly.
  bool Release();

 private:
  int pid_ = -1, toChild_ = -1, fromChild_ = -1;
  bool holding_ = false;
};

// `argv` run so that file permissions hold even for root (the file-access override capabilities
// dropped with setpriv); argv itself when the tests do not run as root, empty when they do and
// setpriv is not available.
std::vector<std::string> WithoutFileOverride(std::vector<std::string> argv);

#ifdef QELDB_TOOL_PATH
// Runs the built qeldb with `args`.
inline ProcessResult RunQeldb(std::vector<std::string> args) {
  args.insert(args.begin(), QELDB_TOOL_PATH);
  return RunProcess(args);
}
#endif

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<unsigned char> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);

// Two upper-case hex digits per byte, as the archive writes field items.
std::string Hex(const void* bytes, std::size_t count);
inline std::string Hex(const std::vector<unsigned char>& b) { return Hex(b.data(), b.size()); }
// ASCII lower case.
std::string Lower(std::string s);

}  // namespace qeltest
