// How the library's failures reach Python.
//
// The library reports through return codes, CFileException and message boxes. The bindings turn
// each into a Python exception carrying the library's own words:
//   - CFileException: FileNotFoundError (missing file, bad path), PermissionError (a sharing or
//     lock violation -- another program holds the file -- or access denied), OSError otherwise;
//   - bad data (misaligned tables, unknown extensions, wrong dtypes or shapes): ValueError;
//   - a message box raised while a call runs is captured (per thread) instead of printed, and a
//     failing call raises with its text.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

class CFileException;

namespace qelpy {

// Registers the CFileException translator and installs the capturing message sink.
void InstallErrorHandling(pybind11::module_& m);

// Raises the Python exception that stands for `e` (the GIL must be held).
[[noreturn]] void RaiseFileError(const CFileException& e);
// Raises FileNotFoundError / ValueError / OSError with `message`.
[[noreturn]] void RaiseNotFound(const std::string& message);
[[noreturn]] void RaiseValue(const std::string& message);
[[noreturn]] void RaiseOs(const std::string& message);

// While alive, message boxes shown by the library on this thread are collected rather than
// printed. Text() is what was collected (messages joined by newlines).
class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;
  std::string Text() const;

 private:
  std::string* previous_;
  std::string text_;
};

}  // namespace qelpy
