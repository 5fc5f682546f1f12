// Where a command reads a model's files from: the folder its name points into, or -- with
// --archive ZIP -- the entries of a zip archive (table_source.h says how they are read).
//
// A command opts in with one line, source.AddOption(cmd), opens the source with the model
// argument, and then asks the source instead of the file system.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "table_source.h"

namespace qeldb {

class ModelSource : public TableSource {
 public:
  // Adds "--archive ZIP" to the command.
  CLI::Option* AddOption(CLI::App* cmd);
  // Opens MODEL (the command's argument): the archive when one was given. False, after
  // reporting (exit code 2), when the archive cannot be read.
  bool Open(const std::string& model);

 private:
  std::string archiveOption_;
};

}  // namespace qeldb
