#include "model_source.h"

#include "command.h"

namespace qeldb {

CLI::Option* ModelSource::AddOption(CLI::App* cmd) {
  return cmd->add_option(
      "--archive", archiveOption_,
      "read the model from this zip archive (MODEL: its path inside, no extension)");
}

bool ModelSource::Open(const std::string& model) {
  std::string error;
  if (TableSource::Open(model, archiveOption_, error)) return true;
  Fail(kExitUsage, error);
  return false;
}

}  // namespace qeldb
