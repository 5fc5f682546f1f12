#include "platform/progress.h"

#include <mutex>
#include <utility>

namespace {
std::mutex g_factoryLock;
qel::ZipProgressFactory g_factory;
}  // namespace

namespace qel {

ZipProgressFactory SetZipProgressFactory(ZipProgressFactory factory) {
  std::lock_guard<std::mutex> lock(g_factoryLock);
  return std::exchange(g_factory, std::move(factory));
}

std::unique_ptr<CZipProgress> CreateZipProgress(HWND parent) {
  ZipProgressFactory factory;
  {
    std::lock_guard<std::mutex> lock(g_factoryLock);
    factory = g_factory;
  }
  return factory ? factory(parent) : nullptr;
}

}  // namespace qel
