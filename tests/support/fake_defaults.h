// The model defaults' settings reader replaced, while one of these lives, by answers held in
// memory; every key asked is logged with the default it was asked with.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "mdf/cqelmdf.h"
#include "test_support.h"

namespace qeltest {

class FakeDefaults {
 public:
  FakeDefaults() {
    current() = this;
    CQelMDF::SetProfileReader(&Read);
  }
  ~FakeDefaults() {
    CQelMDF::SetProfileReader(nullptr);
    current() = nullptr;
  }
  FakeDefaults(const FakeDefaults&) = delete;
  FakeDefaults& operator=(const FakeDefaults&) = delete;

  // Names match without regard to case, as in a settings file.
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    values_[Lower(section + "|" + key)] = value;
  }
  // The answer to every key not Set; unset (nullopt-like: empty and not used) by default.
  void SetFallback(std::string value) {
    fallback_ = std::move(value);
    useFallback_ = true;
  }
  // The default the key "section|key" was last asked with, or "<not asked>".
  std::string AskedDefault(const std::string& sectionKey) const {
    auto it = asked_.find(Lower(sectionKey));
    return it == asked_.end() ? "<not asked>" : it->second;
  }
  bool Asked(const std::string& sectionKey) const { return asked_.count(Lower(sectionKey)) != 0; }

 private:
  static FakeDefaults*& current() {
    static FakeDefaults* f = nullptr;
    return f;
  }
  static std::string Read(const char* section, const char* key, const char* def) {
    FakeDefaults& f = *current();
    const std::string name = Lower(std::string(section) + "|" + key);
    f.asked_[name] = def;
    auto it = f.values_.find(name);
    if (it != f.values_.end()) return it->second;
    return f.useFallback_ ? f.fallback_ : std::string(def);
  }

  std::map<std::string, std::string> values_, asked_;
  std::string fallback_;
  bool useFallback_ = false;
};

}  // namespace qeltest
