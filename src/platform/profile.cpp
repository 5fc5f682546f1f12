#include "platform/profile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace {

constexpr std::uint64_t kMaxProfileBytes = 64ull << 20;
// How close to its mtime a file must have been checked for the check to be doubted.
constexpr std::int64_t kCoarseClockNs = 3'000'000'000;
// More distinct files than this in the cache and it starts over; a process uses a handful.
constexpr std::size_t kMaxCachedFiles = 64;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Section and key names match without regard to ASCII case. The maps hash and compare names
// case-blind, so a lookup needs no lower-cased copy of the name asked for.
struct NoCaseHash {
  using is_transparent = void;
  // Eight bytes at a time. Setting bit 5 of every byte folds 'A'-'Z' onto 'a'-'z' (and a few
  // other characters onto each other, which only makes names share a bucket, never match).
  std::size_t operator()(std::string_view s) const {
    constexpr std::uint64_t kFold = 0x2020202020202020ull;
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = s.size() * kMul;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
      std::uint64_t w;
      std::memcpy(&w, s.data() + i, 8);
      h = (h ^ (w | kFold)) * kMul;
      h ^= h >> 29;
    }
    std::uint64_t tail = 0;
    for (std::size_t k = 0; i < s.size(); ++i, k += 8)
      tail |= static_cast<std::uint64_t>(static_cast<unsigned char>(s[i]) | 0x20u) << k;
    h = (h ^ tail) * kMul;
    return static_cast<std::size_t>(h ^ (h >> 32));
  }
};

struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    if (std::memcmp(a.data(), b.data(), a.size()) == 0) return true;  // the usual spelling
    for (std::size_t i = 0; i < a.size(); ++i)
      if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
  }
};

using NameIndex = std::unordered_map<std::string, std::size_t, NoCaseHash, NoCaseEqual>;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

struct Line {
  enum Kind { kOther, kSection, kKey };
  Kind kind = kOther;
  std::size_t begin = 0;                     // first byte of the line
  std::size_t end = 0;                       // one past the last byte before the line end
  std::size_t next = 0;                      // first byte of the following line
  std::size_t nameBegin = 0, nameEnd = 0;    // section name or key, trimmed
  std::size_t valueBegin = 0, valueEnd = 0;  // key's value, trimmed (quotes included)
};

struct Section {
  std::size_t header = 0;             // line index of "[name]"
  std::size_t lineEnd = 0;            // one past the last line that belongs to the section
  std::size_t lastKey = 0;            // line index of the last key line, or `header` when none
  NameIndex keys;                     // key -> line index (first wins)
  std::vector<std::size_t> keyOrder;  // line indices of distinct keys, in order
};

// Every parse is numbered, so that a parse names one version of one file's contents.
std::atomic<std::uint64_t> g_parseSerial{0};

struct Parsed {
  std::uint64_t serial = 0;
  std::string bytes;
  std::vector<Line> lines;
  std::vector<Section> sections;
  NameIndex sectionIndex;                 // name -> index in `sections` (first wins)
  std::vector<std::size_t> sectionOrder;  // distinct sections, in order

  std::string_view Name(const Line& l) const {
    return std::string_view(bytes).substr(l.nameBegin, l.nameEnd - l.nameBegin);
  }
  std::string_view Value(const Line& l) const {
    std::string_view v = std::string_view(bytes).substr(l.valueBegin, l.valueEnd - l.valueBegin);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    return v;
  }
  const Section* FindSection(const char* name) const {
    auto it = sectionIndex.find(Trim(name));
    return it == sectionIndex.end() ? nullptr : &sections[it->second];
  }
  const Line* FindKey(const Section& s, const char* key) const {
    auto it = s.keys.find(Trim(key));
    return it == s.keys.end() ? nullptr : &lines[it->second];
  }
};

std::shared_ptr<Parsed> Parse(std::string bytes) {
  auto p = std::make_shared<Parsed>();
  p->serial = g_parseSerial.fetch_add(1, std::memory_order_relaxed) + 1;
  p->bytes = std::move(bytes);
  const std::string& b = p->bytes;
  std::size_t pos = 0;
  if (b.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  Section* current = nullptr;
  while (pos < b.size()) {
    Line l;
    l.begin = pos;
    std::size_t nl = b.find('\n', pos);
    l.next = nl == std::string::npos ? b.size() : nl + 1;
    l.end = nl == std::string::npos ? b.size() : nl;
    if (l.end > l.begin && b[l.end - 1] == '\r') --l.end;
    pos = l.next;

    std::size_t s = l.begin;
    while (s < l.end && IsBlank(b[s])) ++s;
    std::size_t idx = p->lines.size();
    if (s < l.end && b[s] == '[') {
      std::size_t close = b.find(']', s + 1);
      if (close == std::string::npos || close > l.end) close = l.end;
      std::string_view name = Trim(std::string_view(b).substr(s + 1, close - s - 1));
      l.kind = Line::kSection;
      l.nameBegin = static_cast<std::size_t>(name.data() - b.data());
      l.nameEnd = l.nameBegin + name.size();
      if (current) current->lineEnd = idx;
      p->sections.push_back(Section{idx, idx + 1, idx, {}, {}});
      current = &p->sections.back();
      if (p->sectionIndex.emplace(std::string(name), p->sections.size() - 1).second)
        p->sectionOrder.push_back(p->sections.size() - 1);
    } else if (current && s < l.end && b[s] != ';') {
      std::size_t eq = b.find('=', s);
      if (eq != std::string::npos && eq < l.end) {
        std::string_view key = Trim(std::string_view(b).substr(s, eq - s));
        std::string_view value = Trim(std::string_view(b).substr(eq + 1, l.end - eq - 1));
        if (!key.empty()) {
          l.kind = Line::kKey;
          l.nameBegin = static_cast<std::size_t>(key.data() - b.data());
          l.nameEnd = l.nameBegin + key.size();
          l.valueBegin = value.empty() ? eq + 1 : static_cast<std::size_t>(value.data() - b.data());
          l.valueEnd = l.valueBegin + value.size();
          current->lastKey = idx;
          if (current->keys.emplace(std::string(key), idx).second) current->keyOrder.push_back(idx);
        }
      }
    }
    p->lines.push_back(l);
    if (current) current->lineEnd = idx + 1;
  }
  return p;
}

struct CacheEntry {
  std::shared_ptr<const Parsed> parsed;
  qel::FileIdentity identity;
  std::int64_t checkedAtNs = 0;  // clock reading taken before the stat that confirmed `identity`
};

struct Cache {
  std::mutex lock;
  std::unordered_map<std::string, CacheEntry> files;
  qel::ProfileCacheStats stats;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

// Serialises read-modify-write cycles of this process, so two writers do not lose each other's
// change.
std::mutex& WriteLock() {
  static std::mutex m;
  return m;
}

// Moves on whenever this process writes a profile file or empties the cache. A read session
// trusts what it has seen only while the generation is the one it saw it under, so our own writes
// (from any thread) are never hidden by a session.
std::atomic<std::uint64_t> g_generation{0};

// The files a read session on this thread has checked: contents (null: missing) and the
// generation they were checked under.
struct SessionFile {
  std::string path;
  std::shared_ptr<const Parsed> parsed;
  std::uint64_t generation = 0;
};
// A session reads one settings file, now and then a second; past this many it stops remembering
// new files (they are read as outside a session).
constexpr std::size_t kMaxSessionFiles = 8;

struct SessionState {
  int depth = 0;
  std::vector<SessionFile> files;
};

SessionState& ThisThreadSession() {
  thread_local SessionState s;
  return s;
}

bool ReadFileBytes(const std::string& path, std::string& out) {
  std::vector<unsigned char> raw;
  if (!qel::ReadWholeFile(path, raw, nullptr, kMaxProfileBytes)) return false;
  out.assign(raw.begin(), raw.end());
  return true;
}

// The parsed contents of `path` checked against the file itself, or null when it cannot be read.
std::shared_ptr<const Parsed> LoadChecked(const std::string& path) {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  std::int64_t now = qel::NowNs();
  qel::FileIdentity id;
  ++c.stats.identityChecks;
  if (!qel::StatFile(path, id)) {
    c.files.erase(path);
    return nullptr;
  }
  auto it = c.files.find(path);
  if (it != c.files.end() && it->second.identity == id) {
    CacheEntry& e = it->second;
    if (e.checkedAtNs - id.mtimeNs > kCoarseClockNs) return e.parsed;
    // Changed too recently for size and mtime to be trusted: compare the bytes.
    ++c.stats.contentChecks;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
      c.files.erase(it);
      return nullptr;
    }
    if (bytes == e.parsed->bytes) {
      e.checkedAtNs = now;
      return e.parsed;
    }
    ++c.stats.parses;
    e.parsed = Parse(std::move(bytes));
    e.checkedAtNs = now;
    return e.parsed;
  }
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) {
    if (it != c.files.end()) c.files.erase(it);
    return nullptr;
  }
  ++c.stats.parses;
  if (it == c.files.end() && c.files.size() >= kMaxCachedFiles) c.files.clear();
  CacheEntry& e = c.files[path];
  e.parsed = Parse(std::move(bytes));
  e.identity = id;
  e.checkedAtNs = now;
  return e.parsed;
}

// The parsed contents of `path`, or null when it cannot be read. Inside a read session the first
// read of a file checks it and later reads take that result, until this process writes.
std::shared_ptr<const Parsed> Load(const std::string& path) {
  SessionState& session = ThisThreadSession();
  if (session.depth == 0) return LoadChecked(path);
  // Taken before the check: a write that lands during the check moves the generation on, and the
  // next read checks again.
  const std::uint64_t generation = g_generation.load(std::memory_order_acquire);
  SessionFile* known = nullptr;
  for (SessionFile& f : session.files) {
    if (f.path == path) {
      if (f.generation == generation) return f.parsed;
      known = &f;
      break;
    }
  }
  std::shared_ptr<const Parsed> p = LoadChecked(path);
  if (known) {
    known->parsed = p;
    known->generation = generation;
  } else if (session.files.size() < kMaxSessionFiles) {
    session.files.push_back(SessionFile{path, p, generation});
  }
  return p;
}

void Forget(const std::string& path) {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  c.files.erase(path);
}

// The value `GetPrivateProfileStringA` copies for a section and key (both given): the stored
// value, else the default without trailing blanks.
std::string_view ValueIn(const Parsed* p, const Section* s, const char* key, const char* def) {
  if (const Line* l = s ? p->FindKey(*s, key) : nullptr) return p->Value(*l);
  std::string_view d = def ? def : "";
  while (!d.empty() && (d.back() == ' ' || d.back() == '\t')) d.remove_suffix(1);
  return d;
}

std::string_view FindValue(const Parsed* p, const char* section, const char* key, const char* def) {
  return ValueIn(p, p ? p->FindSection(section) : nullptr, key, def);
}

DWORD CopyText(std::string_view text, char* buffer, DWORD size) {
  std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  if (n) std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

// Names, each followed by a NUL, then a final NUL; cut to fit as Windows does.
DWORD CopyList(const std::vector<std::string_view>& names, char* buffer, DWORD size) {
  std::string all;
  for (std::string_view n : names) {
    all.append(n);
    all.push_back('\0');
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  if (all.size() + 1 <= size) {
    if (!all.empty()) std::memcpy(buffer, all.data(), all.size());
    buffer[all.size()] = '\0';
    if (all.empty() && size >= 2) buffer[1] = '\0';
    return static_cast<DWORD>(all.size());
  }
  std::memcpy(buffer, all.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

bool HasLineBreak(const char* s) { return s && std::strpbrk(s, "\r\n") != nullptr; }

}  // namespace

namespace qel {

std::string ProfilePath(const char* file) {
  if (!file || !*file) return std::string();
  if (!std::strpbrk(file, "/\\")) return WindowsFolder() + "/" + file;
  return NativePath(file);
}

void ClearProfileCache() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  c.files.clear();
  g_generation.fetch_add(1, std::memory_order_acq_rel);
}

ProfileReadSession::ProfileReadSession() { ++ThisThreadSession().depth; }

ProfileReadSession::~ProfileReadSession() {
  SessionState& s = ThisThreadSession();
  if (--s.depth == 0) s.files.clear();
}

DWORD GetProfileValue(LPCSTR section, LPCSTR key, LPCSTR def, DWORD size, LPCSTR file,
                      std::string& out) {
  out.clear();
  if (!section || !key || size == 0) return 0;
  std::string path = ProfilePath(file);
  std::shared_ptr<const Parsed> p = path.empty() ? nullptr : Load(path);
  std::string_view v = FindValue(p.get(), section, key, def);
  out.assign(v.substr(0, size - 1));
  return static_cast<DWORD>(out.size());
}

ProfileSnapshot::ProfileSnapshot(LPCSTR file) {
  std::string path = ProfilePath(file);
  if (!path.empty()) contents_ = Load(path);
}

std::string_view ProfileSnapshot::Value(LPCSTR section, LPCSTR key, LPCSTR def) const {
  if (!section || !key) return {};
  const auto* p = static_cast<const Parsed*>(contents_.get());
  // A batch reads key after key of one section: the section found last is tried first.
  if (p != nullptr && (!lastSectionKnown_ || lastSectionName_ != section)) {
    lastSectionKnown_ = true;
    lastSectionName_ = section;
    lastSection_ = p->FindSection(section);
  }
  return ValueIn(p, static_cast<const Section*>(lastSection_), key, def);
}

std::uint64_t ProfileSnapshot::ContentId() const {
  return contents_ ? static_cast<const Parsed*>(contents_.get())->serial : 0;
}

ProfileCacheStats GetProfileCacheStats() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.lock);
  return c.stats;
}

}  // namespace qel

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buffer, DWORD size,
                               LPCSTR file) {
  if (!buffer || size == 0) return 0;
  std::string path = qel::ProfilePath(file);
  std::shared_ptr<const Parsed> p = path.empty() ? nullptr : Load(path);
  if (!section) {
    std::vector<std::string_view> names;
    if (p)
      for (std::size_t i : p->sectionOrder)
        names.push_back(p->Name(p->lines[p->sections[i].header]));
    return CopyList(names, buffer, size);
  }
  if (!key) {
    const Section* s = p ? p->FindSection(section) : nullptr;
    std::vector<std::string_view> names;
    if (s)
      for (std::size_t i : s->keyOrder) names.push_back(p->Name(p->lines[i]));
    return CopyList(names, buffer, size);
  }
  return CopyText(FindValue(p.get(), section, key, def), buffer, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file) {
  if (!section || !key) return static_cast<UINT>(def);
  std::string path = qel::ProfilePath(file);
  std::shared_ptr<const Parsed> p = path.empty() ? nullptr : Load(path);
  const Section* s = p ? p->FindSection(section) : nullptr;
  const Line* l = s ? p->FindKey(*s, key) : nullptr;
  if (!l) return static_cast<UINT>(def);
  std::string_view v = p->Value(*l);
  if (v.empty()) return static_cast<UINT>(def);
  std::size_t i = 0;
  bool negative = false;
  if (v[0] == '+' || v[0] == '-') {
    negative = v[0] == '-';
    ++i;
  }
  std::uint32_t n = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
    n = n * 10u + static_cast<std::uint32_t>(v[i] - '0');
  return negative ? 0u - n : n;
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
  if (!section) return (!key && !value) ? TRUE : FALSE;
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return FALSE;
  // Names that would not read back as written: an empty key, a key holding '=' or starting like a
  // comment or a section header, a section name holding ']'.
  if (std::strchr(section, ']')) return FALSE;
  if (key) {
    std::string_view k = Trim(key);
    if (k.empty() || k.front() == ';' || k.front() == '[' || k.find('=') != k.npos) return FALSE;
  }
  std::string path = qel::ProfilePath(file);
  if (path.empty()) return FALSE;

  std::lock_guard<std::mutex> guard(WriteLock());
  std::string old;
  qel::FileIdentity id;
  bool exists = qel::StatFile(path, id);
  if (exists && !ReadFileBytes(path, old)) return FALSE;  // unreadable or too large: keep it
  std::shared_ptr<const Parsed> p = Parse(old);
  const Section* s = p->FindSection(section);
  const Line* l = (s && key) ? p->FindKey(*s, key) : nullptr;

  std::string out;
  if (!key) {  // delete the section
    if (!s) return TRUE;
    std::size_t from = p->lines[s->header].begin;
    std::size_t to = p->lines[s->lineEnd - 1].next;
    out = old.substr(0, from) + old.substr(to);
  } else if (!value) {  // delete the key
    if (!l) return TRUE;
    out = old.substr(0, l->begin) + old.substr(l->next);
  } else if (l) {  // replace the value only
    out = old.substr(0, l->valueBegin) + value + old.substr(l->valueEnd);
  } else if (s) {  // add the key after the section's last key
    const Line& after = p->lines[s->lastKey];
    std::string add;
    if (after.next == after.end) add = "\r\n";  // that line had no line end (end of file)
    add += std::string(Trim(key)) + "=" + value + "\r\n";
    out = old.substr(0, after.next) + add + old.substr(after.next);
  } else {  // append a new section
    out = old;
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    out +=
        "[" + std::string(Trim(section)) + "]\r\n" + std::string(Trim(key)) + "=" + value + "\r\n";
  }
  if (exists && out == old) return TRUE;
  bool ok = qel::ReplaceFileAtomically(path, out.data(), out.size());
  Forget(path);
  // After the file is replaced, so a session that checks the file again sees the new contents.
  g_generation.fetch_add(1, std::memory_order_acq_rel);
  return ok ? TRUE : FALSE;
}
