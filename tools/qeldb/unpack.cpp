// qeldb unpack ARCHIVE DEST: a model's zip archive restored into a folder.
#include <cstdio>
#include <memory>
#include <string>

#include "archive/qel_unzip.h"
#include "archive/string_utils.h"
#include "command.h"
#include "platform/cfile.h"
#include "platform/paths.h"
#include "progress_bar.h"
#include "table_source.h"
#include "zip_messages.h"

namespace qeldb {
namespace {

struct Options {
  std::string archive, dest;
  bool rootOnly = false, overwriteReadOnly = false, force = false;
};

void Run(const Options& opt) {
  CQelUnzip unzip;
  std::string error;
  if (!OpenArchive(unzip, opt.archive, error)) {
    Fail(kExitUsage, error);
    return;
  }
  unzip.SetRootOnly(opt.rootOnly);
  if (unzip.IsDamaged()) {
    Fail(kExitUsage, opt.archive + ": the archive's directory is damaged; nothing was unpacked");
    return;
  }
  // Files already in the destination are replaced only when asked to.
  if (!opt.force && !opt.overwriteReadOnly) {
    std::size_t inTheWay = 0;
    for (const auto& [name, entry] : unzip.GetEntries()) {
      if (!CQelUnzip::IsSafeEntryName(name)) continue;  // refused when unpacking
      const std::string target = buildPathString(opt.dest, name);
      CFileStatus status;
      if (!isPathSeparator(target.back()) && CFile::GetStatus(target.c_str(), status) &&
          !(status.m_attribute & 0x10)) {
        std::fprintf(stderr, "qeldb: %s already exists\n", qel::NativePath(target).c_str());
        ++inTheWay;
      }
    }
    if (inTheWay) {
      Fail(kExitUsage, "nothing was unpacked (use --force to replace existing files)");
      return;
    }
  }
  unzip.SetOverwriteReadOnly(opt.overwriteReadOnly);
  unzip.SetShowProgress(ShowProgress());
  unzip.SetProgressTitle("unpacking");
  const bool all = unzip.Unzip(opt.dest.c_str());
  ReportZipFailures(unzip.GetFailedEntries());
  std::size_t done = unzip.GetEntries().size();
  for (const auto& f : unzip.GetFailedEntries()) done -= unzip.GetEntries().count(f.name);
  std::printf("unpacked %zu entr%s into %s\n", done, done == 1 ? "y" : "ies", opt.dest.c_str());
  if (!all) SetExitCode(kExitFailed);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("unpack", "Restore a model's zip archive into a folder");
  cmd->add_option("ARCHIVE", opt->archive, "the zip archive to read")->required();
  cmd->add_option("DEST", opt->dest, "the folder to restore into (created when missing)")
      ->required();
  cmd->add_flag("--root-only", opt->rootOnly, "restore only the entries outside sub-folders");
  cmd->add_flag("--overwrite-readonly", opt->overwriteReadOnly,
                "replace existing files, read-only ones too");
  cmd->add_flag("--force", opt->force, "replace files that already exist in DEST");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
