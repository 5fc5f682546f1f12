// Helpers shared by the tests: scratch folders, captured message boxes, files from bytes.
#pragma once

#include <filesystem>
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

// Runs a program to completion: argv[0] is its path. Standard output and error are captured;
// exitCode is the exit status, or -1 when the program could not be started or did not exit.
struct ProcessResult {
  int exitCode = -1;
  std::string out, err;
};
ProcessResult RunProcess(const std::vector<std::string>& argv);
// The full path of a program found on PATH, or "" when there is none.
std::string FindProgram(const std::string& name);

// `argv` run so that file permissions hold even for root (the file-access override capabilities
// dropped with setpriv); argv itself when the tests do not run as root, empty when they do and
// setpriv is not available.
std::vector<std::string> WithoutFileOverride(std::vector<std::string> argv);

// Sets (or, with nullptr, unsets) an environment variable for its lifetime, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, old_;
  bool had_;
};

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

// Little-endian encoders for building golden images in tests.
void PutU16(std::vector<unsigned char>& b, std::size_t off, unsigned v);
void PutU32(std::vector<unsigned char>& b, std::size_t off, unsigned long v);
void PutI32(std::vector<unsigned char>& b, std::size_t off, long v);
void PutF32(std::vector<unsigned char>& b, std::size_t off, float v);
void PutF64(std::vector<unsigned char>& b, std::size_t off, double v);

}  // namespace qeltest
