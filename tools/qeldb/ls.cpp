// qeldb ls ARCHIVE: the entries of a zip archive -- sizes, CRC and date -- and its comment.
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "archive/qel_unzip.h"
#include "command.h"
#include "table_source.h"

namespace qeldb {
namespace {

using Json = nlohmann::ordered_json;

struct Options {
  std::string archive, ext;
  bool json = false;
};

// The entry's date, a local wall-clock reading, as ISO 8601 to the second; none when the archive
// holds no valid date.
std::optional<std::string> DateText(const QelUnzipFileInfo& info) {
  const auto& d = info.tmu_date;
  if (d.tm_mon > 11 || d.tm_mday < 1 || d.tm_mday > 31 || d.tm_hour > 23 || d.tm_min > 59 ||
      d.tm_sec > 59 || d.tm_year > 9999)
    return std::nullopt;
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", d.tm_year, d.tm_mon + 1,
                d.tm_mday, d.tm_hour, d.tm_min, d.tm_sec);
  return std::string(text);
}

std::string CrcText(unsigned long crc) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", crc & 0xFFFFFFFFul);
  return text;
}

void Run(const Options& opt) {
  CQelUnzip unzip;
  std::string error;
  if (!OpenArchive(unzip, opt.archive, error)) {
    Fail(kExitUsage, error);
    return;
  }
  if (unzip.IsDamaged()) {
    Fail(kExitUsage, opt.archive + ": the archive's directory is damaged");
    return;
  }
  std::string comment;
  unzip.GetGlobalComment(comment);
  const auto& entries = unzip.GetEntries();
  std::vector<const QelUnzipEntry*> shown;
  if (opt.ext.empty()) {
    for (const auto& [name, entry] : entries) shown.push_back(&entry);
  } else {
    for (const std::string& name : unzip.GetPathsForExtension(opt.ext))
      shown.push_back(&entries.at(name));
  }

  if (opt.json) {
    Json out;
    out["comment"] = comment;
    out["entries"] = Json::array();
    for (const QelUnzipEntry* e : shown) {
      const auto date = DateText(e->info);
      out["entries"].push_back({{"name", e->name},
                                {"size", e->info.uncompressed_size},
                                {"compressed", e->info.compressed_size},
                                {"crc32", CrcText(e->info.crc)},
                                {"date", date ? Json(*date) : Json(nullptr)}});
    }
    // Names and comments are bytes, not necessarily UTF-8: replace what JSON cannot carry.
    std::printf("%s\n", out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return;
  }
  // The comment on one line, whatever line breaks it holds.
  for (char& c : comment)
    if (c == '\n' || c == '\r') c = ' ';
  std::printf("%s\n", comment.c_str());
  std::printf("%12s %12s  %-8s  %-19s  %s\n", "size", "compressed", "crc32", "date", "name");
  for (const QelUnzipEntry* e : shown) {
    const auto date = DateText(e->info);
    std::printf("%12llu %12llu  %s  %-19s  %s\n", e->info.uncompressed_size,
                e->info.compressed_size, CrcText(e->info.crc).c_str(), date ? date->c_str() : "-",
                e->name.c_str());
  }
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("ls", "List the entries of a zip archive and its comment");
  cmd->add_option("ARCHIVE", opt->archive, "the zip archive")->required();
  cmd->add_option("--ext", opt->ext, "only entries with this extension (any case)");
  cmd->add_flag("--json", opt->json,
                "print {comment, entries: [{name, size, compressed, crc32, date}]}");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
