// qeldb pack FOLDER ARCHIVE: a model's folder packed into a zip archive.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/qel_unzip.h"
#include "archive/qel_zip.h"
#include "archive/string_utils.h"
#include "command.h"
#include "platform/cfile.h"
#include "platform/file_system.h"
#include "platform/guid.h"
#include "platform/paths.h"
#include "progress_bar.h"
#include "zip_messages.h"

namespace qeldb {
namespace {

struct Options {
  std::string folder, archive, ignore, comment;
  bool rootOnly = false, deleteOriginals = false, force = false;
};

// `path` absolute, with '/' separators and without "." or ".." components.
std::string Absolute(const std::string& path) {
  std::string p = qel::NativePath(path);
  if (PathIsRelativeA(p.c_str())) {
    char cwd[4096];
    if (GetCurrentDirectoryA(sizeof cwd, cwd) < sizeof cwd) p = std::string(cwd) + "/" + p;
  }
  std::vector<std::string> parts, kept;
  componentsSeparatedByString(p, "/", parts);
  for (const std::string& part : parts) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) kept.pop_back();
    } else {
      kept.push_back(part);
    }
  }
  std::string out;
  for (const std::string& part : kept) out += "/" + part;
  return out.empty() ? "/" : out;
}

// A name beside `archive` that no one else uses.
std::string TemporaryBeside(const std::string& archive) {
  GUID g{};
  CoCreateGuid(&g);
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%08x%04x.tmp", g.Data1, g.Data2);
  return archive + suffix;
}

void Run(const Options& opt) {
  if (!qel::IsDirectory(opt.folder)) {
    Fail(kExitUsage, opt.folder + " is not a folder");
    return;
  }
  CFileStatus status;
  const bool existed = CFile::GetStatus(opt.archive.c_str(), status);
  if (existed && !opt.force) {
    Fail(kExitUsage, opt.archive + " already exists (use --force to replace it)");
    return;
  }

  CQelZip zip;
  zip.SetRootOnly(opt.rootOnly);
  zip.SetShowProgress(ShowProgress());
  zip.SetProgressTitle("packing");
  zip.SetGlobalComment(opt.comment.c_str());
  zip.AddIgnoredFiles(opt.ignore.c_str());
  // An older archive being replaced inside the folder is not packed into its successor.
  const std::string folder = Absolute(opt.folder), archive = Absolute(opt.archive);
  if (existed && archive.compare(0, folder.size() + 1, folder + "/") == 0)
    zip.AddIgnoredFile(archive.substr(folder.size() + 1).c_str());

  // Written beside the archive and renamed over it when complete, so a failure leaves any old
  // archive as it was.
  const std::string temp = TemporaryBeside(opt.archive);
  if (!zip.Open(temp.c_str())) {
    Fail(kExitFailed, "cannot create " + opt.archive);
    return;
  }
  const bool all = zip.Zip(opt.folder.c_str());
  zip.Close();
  // The archive is only as good as its directory: read it back before it replaces anything.
  CQelUnzip check;
  const bool written = check.Open(temp.c_str()) && !check.IsDamaged() &&
                       check.GetEntries().size() >= zip.GetZippedFiles().size();
  check.Close();
  if (!written) {
    DeleteFileA(temp.c_str());
    Fail(kExitFailed, "cannot write " + opt.archive + " (disk full?)");
    return;
  }
  try {
    CFile::Rename(temp.c_str(), opt.archive.c_str());
  } catch (const CFileException&) {
    DeleteFileA(temp.c_str());
    Fail(kExitFailed, "cannot write " + opt.archive);
    return;
  }

  // Originals go only now that the archive holding them is in place.
  std::size_t deleted = 0;
  if (opt.deleteOriginals)
    for (const std::string& rel : zip.GetZippedFiles())
      deleted += DeleteFileA(buildPathString(opt.folder, rel).c_str()) ? 1 : 0;

  ReportZipFailures(zip.GetFailedFiles());
  std::printf("packed %zu file%s into %s", zip.GetZippedFiles().size(),
              zip.GetZippedFiles().size() == 1 ? "" : "s", opt.archive.c_str());
  if (opt.deleteOriginals)
    std::printf(" (%zu original%s deleted)", deleted, deleted == 1 ? "" : "s");
  std::printf("\n");
  if (!all) SetExitCode(kExitFailed);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("pack", "Pack a model's folder into a zip archive");
  cmd->add_option("FOLDER", opt->folder, "the folder to pack")->required();
  cmd->add_option("ARCHIVE", opt->archive, "the zip archive to write")->required();
  cmd->add_flag("--root-only", opt->rootOnly, "pack the folder's own files, not its sub-folders");
  cmd->add_option("--ignore", opt->ignore,
                  "names to leave out, separated by spaces: relative paths (sub/file.txt) or "
                  "patterns of a file's name (*.bak)");
  cmd->add_option("--comment", opt->comment, "the archive's comment");
  cmd->add_flag("--delete-originals", opt->deleteOriginals,
                "delete each file packed, once the archive is complete");
  cmd->add_flag("--force", opt->force, "replace an existing archive");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
