// A process-wide replaceable function: the platform's stand-ins for message boxes, window
// closing, progress windows and component runtimes call whatever a program or a test installed,
// and fall back to their own behaviour when nothing is. Installing and reading are safe from any
// thread; the function is copied out before it is called, so it may install a replacement.
#pragma once

#include <mutex>
#include <utility>

namespace qel {

template <class Fn>
class InstalledHook {
 public:
  // Installs `fn` (an empty one removes the hook) and returns the one it replaces.
  Fn Exchange(Fn fn) {
    std::lock_guard<std::mutex> lock(lock_);
    return std::exchange(fn_, std::move(fn));
  }
  // A copy of the installed function, empty when none is.
  Fn Get() const {
    std::lock_guard<std::mutex> lock(lock_);
    return fn_;
  }

 private:
  mutable std::mutex lock_;
  Fn fn_;
};

}  // namespace qel
