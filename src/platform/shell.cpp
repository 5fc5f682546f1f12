#include "platform/shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <utility>

#include "platform/paths.h"

extern char** environ;

namespace {

std::mutex g_hookLock;
qel::DesktopOpenHook g_hook;

// Runs `xdg-open FILE` through a shell that puts it in the background and exits at once, so the
// opener is adopted by init and never left behind as a zombie of the calling program.
bool XdgOpen(const std::string& /*verb*/, const std::string& file) {
  const std::string path = qel::NativePath(file);
  const char* argv[] = {"/bin/sh", "-c",         "xdg-open \"$1\" >/dev/null 2>&1 &",
                        "sh",      path.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

namespace qel {

DesktopOpenHook SetDesktopOpenHook(DesktopOpenHook hook) {
  std::lock_guard<std::mutex> lock(g_hookLock);
  return std::exchange(g_hook, std::move(hook));
}

}  // namespace qel

HINSTANCE ShellExecuteA(HWND /*owner*/, const char* verb, const char* file,
                        const char* /*parameters*/, const char* directory, int /*show*/) {
  const auto result = [](std::intptr_t code) { return reinterpret_cast<HINSTANCE>(code); };
  if (!file || !*file) return result(2);
  std::string path = file;
  if (directory && *directory && PathIsRelativeA(file)) {
    path = directory;
    if (path.back() != '\\' && path.back() != '/') path += '\\';
    path += file;
  }
  qel::DesktopOpenHook hook;
  {
    std::lock_guard<std::mutex> lock(g_hookLock);
    hook = g_hook;
  }
  const std::string v = verb ? verb : "";
  const bool ok = hook ? hook(v, path) : XdgOpen(v, path);
  return result(ok ? 42 : 2);
}
