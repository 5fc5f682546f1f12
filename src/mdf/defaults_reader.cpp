// The model defaults' reader and writer of settings (see defaults_reader_internal.h).
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "mdf/cqelmdf.h"
#include "mdf/defaults_reader_internal.h"
#include "mdf/settings.h"

namespace {

// The settings file, through the model defaults' own readers (10240-byte strings).
std::string SettingsFileReader(const char* section, const char* key, const char* def) {
  CString value = qel::DefaultsGetProfileString(section, key, def);
  std::string text = std::move(value.str());
  text.resize(std::strlen(text.c_str()));  // read as C text: a stored NUL ends it
  return text;
}

bool SettingsFileWriter(const char* section, const char* key, const char* value) {
  return QelWriteProfileString(section, key, value) != 0;
}

QelMdfProfileReader g_reader = &SettingsFileReader;
QelMdfProfileWriter g_writer = &SettingsFileWriter;

// The snapshot of the outermost batch on this thread, when it reads the settings file.
thread_local const qel::ProfileSnapshot* t_snapshot = nullptr;

}  // namespace

void CQelMDF::SetProfileReader(QelMdfProfileReader reader) {
  g_reader = reader ? reader : &SettingsFileReader;
}

QelMdfProfileReader CQelMDF::GetProfileReader() { return g_reader; }

void CQelMDF::SetProfileWriter(QelMdfProfileWriter writer) {
  g_writer = writer ? writer : &SettingsFileWriter;
}

namespace qel {

std::string ReadDefault(const char* section, const char* key, const char* def) {
  if (def == nullptr) def = "";
  if (t_snapshot == nullptr) return g_reader(section, key, def);
  // SettingsFileReader's answer, without its path search and cache check per key.
  std::string_view value = t_snapshot->Value(section, key, def);
  value = value.substr(0, kModelDefaultsBufferSize - 1);
  return std::string(value.substr(0, value.find('\0')));
}

bool WriteDefault(const char* section, const char* key, const char* value) {
  return g_writer(section, key, value);
}

DefaultsReadBatch::DefaultsReadBatch() {
  if (t_snapshot == nullptr && g_reader == &SettingsFileReader) {
    snapshot_.emplace(SettingsSnapshot());
    t_snapshot = &*snapshot_;
  }
}

DefaultsReadBatch::~DefaultsReadBatch() {
  if (snapshot_) t_snapshot = nullptr;
}

const ProfileSnapshot* DefaultsReadBatch::Snapshot() const { return t_snapshot; }

}  // namespace qel
