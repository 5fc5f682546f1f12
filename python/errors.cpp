#include "errors.h"

#include "platform/cfile.h"
#include "platform/messages.h"

namespace py = pybind11;

namespace qelpy {
namespace {

// The capture of the calling thread, or null when messages go to the previous sink.
thread_local std::string* t_capture = nullptr;

[[noreturn]] void Raise(PyObject* type, const std::string& message) {
  PyErr_SetString(type, message.c_str());
  throw py::error_already_set();
}

PyObject* ExceptionType(int cause) {
  switch (cause) {
    case CFileException::fileNotFound:
    case CFileException::badPath:
      return PyExc_FileNotFoundError;
    case CFileException::sharingViolation:
    case CFileException::lockViolation:
    case CFileException::accessDenied:
      return PyExc_PermissionError;
    default:
      return PyExc_OSError;
  }
}

}  // namespace

void RaiseFileError(const CFileException& e) {
  Raise(ExceptionType(e.m_cause), std::string(e.GetErrorMessage().GetString()));
}
void RaiseNotFound(const std::string& message) { Raise(PyExc_FileNotFoundError, message); }
void RaiseValue(const std::string& message) { Raise(PyExc_ValueError, message); }
void RaiseOs(const std::string& message) { Raise(PyExc_OSError, message); }

MessageCapture::MessageCapture() : previous_(t_capture) { t_capture = &text_; }
MessageCapture::~MessageCapture() { t_capture = previous_; }
std::string MessageCapture::Text() const { return text_; }

void InstallErrorHandling(py::module_& m) {
  (void)m;
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const CFileException& e) {
      PyErr_SetString(ExceptionType(e.m_cause), e.GetErrorMessage().GetString());
    }
  });
  // Message boxes of a thread inside a capture are collected; any other goes where it went
  // before (stderr by default). The sink lives as long as the process: the module is never
  // unloaded.
  auto previous = std::make_shared<qel::MessageSink>();
  *previous =
      qel::SetMessageSink([previous](const char* text, const char* caption, UINT style) -> int {
        if (t_capture) {
          if (!t_capture->empty()) *t_capture += '\n';
          if (caption && *caption) *t_capture += std::string(caption) + ": ";
          *t_capture += text ? text : "";
          return IDOK;
        }
        return *previous ? (*previous)(text, caption, style)
                         : qel::DefaultMessageSink(text, caption, style);
      });
}

}  // namespace qelpy
