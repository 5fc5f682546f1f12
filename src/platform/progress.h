// The progress dialog of a long archive operation (packing a folder, restoring an archive),
// reduced to what it shows: a caption, a bar of items done with the current item's name and a
// line such as "File 3 of 10.", and a bar of the bytes of the current item.
//
// Contract:
// - The library creates one dialog per operation through CreateZipProgress and deletes it when the
//   operation ends; every call comes from the operation's thread.
// - The factory is process-wide and replaceable, like the message sink: by default there is none
//   and CreateZipProgress returns null (the operation then shows nothing). The command-line tool
//   installs one that draws on the terminal; tests install one that records.
// - PumpMessages stands for dispatching the dialog's pending window messages; a dialog without a
//   message loop does nothing there.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/win_types.h"

class CZipProgress {
 public:
  virtual ~CZipProgress() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  // Items bar: its range (0..count) and position (the 1-based number of the current item),
  // the current item's name and the line of text under it.
  virtual void SetItemRange(int count) = 0;
  virtual void SetItem(int number, const std::string& name, const std::string& text) = 0;
  // Bytes bar of the current item: its range (0..total) and position.
  virtual void SetBytesRange(ULONGLONG total) = 0;
  virtual void SetBytes(ULONGLONG done) = 0;
  virtual void PumpMessages() {}
};

namespace qel {

// Makes the dialog for a parent window (which may be null); may return null.
using ZipProgressFactory = std::function<std::unique_ptr<CZipProgress>(HWND parent)>;

// Installs `factory` (an empty function: none) and returns the previous one.
ZipProgressFactory SetZipProgressFactory(ZipProgressFactory factory);
std::unique_ptr<CZipProgress> CreateZipProgress(HWND parent);

}  // namespace qel
