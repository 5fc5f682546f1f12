// Copying shared tables beside a model: before a model is opened, each table file of the tables
// folder is copied to the model's folder under the model's name with the table's working
// extension (table_files.h), and the model then reads that copy.
#pragma once

// Splits a model path into the folders involved. `tablesDir`, `modelDir` and `modelName` must
// hold MAX_PATH bytes each (longer results are cut). 0 on success:
//   tablesDir = the settings' tables folder with a '\' appended unless it ends in '\' or '/';
//   modelDir  = the model path up to and including its last '\' or '/';
//   modelName = the rest, less a final ".qel" (any case) when its last '.' starts it.
// -1 when no tables folder is configured (nothing written); -2 when the model path has no
// separator (tablesDir already written).
int GetTableDirs(const char* modelPath, char* tablesDir, char* modelDir, char* modelName);

// Target = modelDir + modelName + "." + working extension of `ext` (+ "2" when `second`). When
// `force` is non-zero or the target does not exist, copies tablesDir + tableName + "." + ext over
// it (the call fails when that source does not exist). 1 when the target was present and not
// forced, or the copy succeeded; 0 otherwise.
int ImportTableFile2(const char* tablesDir, const char* modelDir, const char* modelName,
                     const char* tableName, const char* ext, int second, int force);
// ImportTableFile2 without forcing.
int ImportTableFile(const char* tablesDir, const char* modelDir, const char* modelName,
                    const char* tableName, const char* ext, int second);
