// qeldb mdf MODEL: what a model's master data file holds -- its form, stored version, identity
// and table counts, single fields by archive name, or every field as JSON -- and, with --save,
// the file rewritten in the current XML form. What a careful reader notices about the file
// (qel::CheckMdfFile) is printed as warnings, and keeps --save from making a misreading permanent.
// --set changes fields by archive name (qel::FindField, qel::SetFieldText) and saves as --save.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "mdf/mdf_check.h"
#include "mdf/record_desc.h"
#include "mdf/smdf.h"
#include "model_source.h"
#include "platform/cfile.h"
#include "platform/cmemfile.h"
#include "platform/file_system.h"
#include "save_guard.h"
#include "text_forms.h"

namespace qeldb {
namespace {

using Json = nlohmann::ordered_json;

using qel::FieldKind;

template <class T>
T Load(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// A stored archive version: 17.3 is stored as the text "17.29999", so six significant digits
// give back the version that was meant.
std::string VersionText(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", static_cast<double>(v));
  return buf;
}

std::string Text(const char* p, std::size_t capacity) {
  return std::string(p, strnlen(p, capacity));
}

Json Scalar(FieldKind kind, const unsigned char* p) {
  switch (kind) {
    case FieldKind::k_i32:
    case FieldKind::k_BOOL:
      return Load<std::int32_t>(p);
    case FieldKind::k_COLORREF:
      return Load<std::uint32_t>(p);
    case FieldKind::k_u8:
      return static_cast<unsigned>(*p);
    case FieldKind::k_char:
      return Text(reinterpret_cast<const char*>(p), 1);
    case FieldKind::k_f32:
      return FloatForHumans(Load<float>(p));
    case FieldKind::k_f64:
      return Load<double>(p);
    case FieldKind::k_LOGFONTA: {
      const auto f = Load<LOGFONTA>(p);
      Json o;
      o["lfHeight"] = f.lfHeight;
      o["lfWidth"] = f.lfWidth;
      o["lfEscapement"] = f.lfEscapement;
      o["lfOrientation"] = f.lfOrientation;
      o["lfWeight"] = f.lfWeight;
      o["lfItalic"] = f.lfItalic;
      o["lfUnderline"] = f.lfUnderline;
      o["lfStrikeOut"] = f.lfStrikeOut;
      o["lfCharSet"] = f.lfCharSet;
      o["lfOutPrecision"] = f.lfOutPrecision;
      o["lfClipPrecision"] = f.lfClipPrecision;
      o["lfQuality"] = f.lfQuality;
      o["lfPitchAndFamily"] = f.lfPitchAndFamily;
      o["lfFaceName"] = Text(f.lfFaceName, sizeof f.lfFaceName);
      return o;
    }
    case FieldKind::kRecord:
      break;
  }
  return nullptr;
}

Json RecordValue(const qel::RecordDesc& record, const unsigned char* base);

// The value of `field` at `p`: text for characters, an array for an array of values, an object
// for a nested record.
Json FieldValue(const qel::FieldDesc& field, const unsigned char* p) {
  if (field.record) return RecordValue(*field.record, p);
  if (field.kind == FieldKind::k_char) return Text(reinterpret_cast<const char*>(p), field.size);
  if (!field.array) return Scalar(field.kind, p);
  Json a = Json::array();
  const std::size_t step = qel::ElementSize(field.kind);
  for (std::size_t off = 0; off + step <= field.size; off += step)
    a.push_back(Scalar(field.kind, p + off));
  return a;
}

// Every field of a record under its archive name, in the archive's order; an array of records
// gives one entry per element, "name[i]".
Json RecordValue(const qel::RecordDesc& record, const unsigned char* base) {
  Json o = Json::object();
  for (std::uint32_t k = 0; k < record.field_count; ++k) {
    const qel::FieldDesc& f = record.fields[record.by_name[k]];
    if (f.record && f.count > 0) {
      for (std::uint32_t i = 0; i < f.count; ++i)
        o[std::string(f.name) + "[" + std::to_string(i) + "]"] =
            RecordValue(*f.record, base + f.offset + i * f.size);
    } else {
      o[f.name] = FieldValue(f, base + f.offset);
    }
  }
  return o;
}

const char* UnitsName(std::int32_t units) {
  switch (units) {
    case 0:
      return "English";
    case 1:
      return "metric";
    case 2:
      return "metric, kgf";
    default:
      return "unknown";
  }
}

std::string Dump(const Json& j) {
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// A value as a line of text: texts as they stand, everything else as JSON.
std::string Shown(const Json& j) { return j.is_string() ? j.get<std::string>() : Dump(j); }

struct Options {
  std::string model;
  std::vector<std::string> fields;
  std::vector<std::string> sets;  // "NAME=VALUE"
  bool json = false;
  bool save = false;
  bool force = false;
  ModelSource source;
};

struct Loaded {
  bool xml = false;
  float version = 0.0f;
  std::vector<std::string> warnings;  // what CheckMdfFile noticed
};

// Reads an open master data file, printing a warning for each finding of the careful look;
// false (after reporting) when it cannot be read.
bool ReadOpenFile(CDBIO& db, CFile& file, const std::string& path, SMDF& mdf, Loaded& info) {
  try {
    for (const qel::MdfFinding& finding : qel::CheckMdfFile(file)) {
      info.warnings.push_back(finding.text);
      Warn(path + ": " + finding.text);
    }
    info.xml = db.IsXml(file);
    info.version = db.ReadMdfVersion(file);
  } catch (const CFileException& e) {
    Fail(kExitUsage, "cannot read " + path + ": " +
                         CFileException(e.m_cause, e.m_lOsError).GetErrorMessage().str());
    return false;
  }
  UseSettings();  // the fields the file lacks take the user's defaults
  if (!db.ReadMdf(&mdf, file)) {
    Fail(kExitUsage, path + " is not a readable master data file");
    return false;
  }
  return true;
}

// Reads the model's master data file from its folder or its archive; false (after reporting)
// when it cannot.
bool ReadModel(CDBIO& db, ModelSource& source, SMDF& mdf, Loaded& info) {
  const std::string path = source.Describe("qel");
  if (source.FromArchive()) {
    std::vector<unsigned char> bytes;
    if (!source.Read("qel", bytes)) {
      Fail(kExitUsage, "cannot read " + path + " (missing, damaged or too large)");
      return false;
    }
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    return ReadOpenFile(db, file, path, mdf, info);
  }
  CFile file;
  CFileException error;
  if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary,
                 &error)) {
    Fail(kExitUsage, CannotOpen(path, error));
    return false;
  }
  return ReadOpenFile(db, file, path, mdf, info);
}

// Saves the record over the model's master data file, keeping the previous file as .qel.bak:
// refused while the file looks damaged or is read-only, unless forced (save_guard.h). Every
// command that rewrites the file goes through here.
void SaveMdf(CDBIO& db, SMDF& mdf, const Loaded& info, bool force, std::size_t fieldsSet = 0) {
  const std::string path = std::string(db.GetDBName()) + ".qel";
  if (!MayReplace(path, info.warnings.size(), force)) return;
  const std::string backup = path + ".bak";
  if (!CopyFileA(path.c_str(), backup.c_str(), FALSE)) {
    Fail(kExitFailed, "cannot keep a copy of " + path + " as " + backup + "; nothing was changed");
    return;
  }
  if (!db.WriteMdf(&mdf)) {
    Fail(kExitFailed, "cannot save " + path + "; the file is as it was (copy in " + backup + ")");
    return;
  }
  if (fieldsSet != 0) std::printf("set %zu field%s; ", fieldsSet, fieldsSet == 1 ? "" : "s");
  std::printf("saved %s as XML %s (previous file kept as %s)\n", path.c_str(),
              FloatText(qel::kMdfArchiveVersion).c_str(), backup.c_str());
}

// Applies every "NAME=VALUE" to the record; false (after reporting, nothing written) when a name
// names no field or a value does not fit its field.
bool SetFields(const std::vector<std::string>& sets, SMDF& mdf) {
  for (const std::string& set : sets) {
    const std::size_t eq = set.find('=');
    if (eq == std::string::npos) {
      Fail(kExitUsage, "--set takes NAME=VALUE, not " + set);
      return false;
    }
    const std::string name = set.substr(0, eq);
    const qel::FieldRef ref = qel::FindField(qel::SmdfLayout(), name);
    if (!ref) {
      Fail(kExitUsage, "no field named " + name);
      return false;
    }
    std::string error;
    if (!qel::SetFieldText(ref, &mdf, std::string_view(set).substr(eq + 1), error)) {
      Fail(kExitUsage, "cannot set " + name + ": " + error + "; nothing was written");
      return false;
    }
  }
  return true;
}

void PrintSummary(const SMDF& mdf, const Loaded& info) {
  std::printf("form      %s\n", info.xml ? "xml" : "binary");
  std::printf("version   %s\n", VersionText(info.version).c_str());
  std::printf("units     %d (%s)\n", static_cast<int>(mdf.Units), UnitsName(mdf.Units));
  std::printf("job name  %s\n", Text(mdf.JobName, sizeof mdf.JobName).c_str());
  std::printf("date      %s\n", Text(mdf.Date, sizeof mdf.Date).c_str());
  std::printf("time      %s\n", Text(mdf.Time, sizeof mdf.Time).c_str());
  std::printf("model id  %s\n", Text(mdf.ModelID, sizeof mdf.ModelID).c_str());
  std::printf("tables\n");
  // The counts of the model's tables are the record's top-level "Num..." fields.
  const qel::RecordDesc& layout = qel::SmdfLayout();
  const auto* base = reinterpret_cast<const unsigned char*>(&mdf);
  for (std::uint32_t k = 0; k < layout.field_count; ++k) {
    const qel::FieldDesc& f = layout.fields[k];
    if (f.record || f.array || std::strncmp(f.name, "Num", 3) != 0) continue;
    std::printf("  %-26s %s\n", f.name, Dump(FieldValue(f, base + f.offset)).c_str());
  }
}

void Run(Options& opt) {
  if (opt.force && !opt.save && opt.sets.empty()) {
    Fail(kExitUsage, "--force goes with --save or --set");
    return;
  }
  if (!opt.source.Open(opt.model)) return;
  CDBIO db(CString(opt.source.Model().c_str()), nullptr);
  auto mdf = std::make_unique<SMDF>();
  Loaded info;
  if (!ReadModel(db, opt.source, *mdf, info)) return;
  const auto* base = reinterpret_cast<const unsigned char*>(mdf.get());

  if (!opt.sets.empty() && !SetFields(opt.sets, *mdf)) return;
  if (opt.save || !opt.sets.empty()) {
    SaveMdf(db, *mdf, info, opt.force, opt.sets.size());
    return;
  }

  if (!opt.fields.empty()) {
    std::vector<std::pair<std::string, Json>> values;
    for (const std::string& name : opt.fields) {
      const qel::FieldRef ref = qel::FindField(qel::SmdfLayout(), name);
      if (!ref) {
        Fail(kExitUsage, "no field named " + name);
        return;
      }
      values.emplace_back(name, FieldValue(*ref.field, base + ref.offset));
    }
    if (opt.json) {
      Json out = Json::object();
      for (auto& [name, v] : values) out[name] = std::move(v);
      std::printf("%s\n",
                  out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    } else {
      for (const auto& entry : values) std::printf("%s\n", Shown(entry.second).c_str());
    }
    return;
  }

  if (opt.json) {
    Json out;
    out["form"] = info.xml ? "xml" : "binary";
    out["version"] = std::strtod(VersionText(info.version).c_str(), nullptr);
    out["warnings"] = info.warnings;
    out["fields"] = RecordValue(qel::SmdfLayout(), base);
    std::printf("%s\n", out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return;
  }
  PrintSummary(*mdf, info);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "mdf", "Show a model's master data file (form, version, identity, table counts, fields)");
  cmd->add_option("MODEL", opt->model, "the model: its base path, MODEL.qel or any file of it")
      ->required();
  cmd->add_option("--field", opt->fields,
                  "print one field by archive name (nested: JoistCriteria.DefLoad.UniLoad.Type); "
                  "repeatable");
  cmd->add_flag("--json", opt->json, "print form, version, warnings and every field as JSON");
  CLI::Option* save =
      cmd->add_flag("--save", opt->save,
                    "rewrite the file in the current XML form, keeping the old one as "
                    "MODEL.qel.bak; refused while the file looks damaged or is read-only")
          ->excludes("--field")
          ->excludes("--json");
  cmd->add_option("--set", opt->sets,
                  "set one field by archive name (NAME=VALUE: a number, comma-separated numbers "
                  "for an array, or text) and save as --save does; repeatable")
      ->excludes("--field")
      ->excludes("--json")
      ->excludes(save);
  CLI::Option* set = cmd->get_option("--set");
  cmd->add_flag("--force", opt->force,
                "with --save or --set: save even a damaged or read-only file");
  opt->source.AddOption(cmd)->excludes(save)->excludes(set);
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
