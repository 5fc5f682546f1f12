#include "platform/progress.h"

#include <utility>

#include "platform/installed_hook.h"

namespace {
qel::InstalledHook<qel::ZipProgressFactory> g_factory;
}  // namespace

namespace qel {

ZipProgressFactory SetZipProgressFactory(ZipProgressFactory factory) {
  return g_factory.Exchange(std::move(factory));
}

std::unique_ptr<CZipProgress> CreateZipProgress(HWND parent) {
  const ZipProgressFactory factory = g_factory.Get();
  return factory ? factory(parent) : nullptr;
}

}  // namespace qel
