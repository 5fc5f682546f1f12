// A model's stories and members as rows of JSON objects: what `qeldb stories --json` and
// `qeldb members --json` print and what the Python module's Model.stories() and Model.members()
// return, produced in one place so that both show the same.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model_tables.h"
#include "table_source.h"

namespace qeldb {

// What a producer found besides its rows.
struct RowReport {
  std::vector<std::string> warnings;  // the input looks damaged
  std::vector<std::string> notes;     // worth knowing, nothing wrong
  // Called once before the user's settings are first read (null: nothing to do). The command-line
  // tool uses it to say where it looked for the settings file.
  std::function<void()> beforeSettings;
  // Why no rows came: the text and whether the model or table is missing (else it is unreadable
  // or the request names something the model does not have).
  std::string error;
  bool missing = false;
};

// One row per story of the model `source` reads: {index, floor_type, elevation, beams, columns,
// walls, braces, first_beam, first_column, first_wall, first_brace}. A warning for every member
// range the member tables do not hold and for a story count that differs from the master data's.
// False (with report.error) when the model has neither a master data file nor a story table, or the
// story table cannot be read.
bool StoryRows(TableSource& source, Json& rows, RowReport& report);

// The member kinds MemberRows knows: "beams", "columns", "walls".
const std::vector<std::string>& MemberKinds();

// One row per beam, column or wall (`kind`) of the model `source` reads, as the library's readers
// give them (older records converted, in memory only): the whole table, or story `story`'s range
// when it is not negative (walls then carry the foundation flags CDBIO::FindFoundationGravityWalls
// gives). The keys of each kind are MemberKeys(kind). False (with report.error) for an unknown
// kind, a missing or unreadable table, or a story the model does not have.
bool MemberRows(TableSource& source, const std::string& kind, int story, Json& rows,
                RowReport& report);
// The keys of a member row of `kind`, in order.
const std::vector<std::string>& MemberKeys(const std::string& kind);

}  // namespace qeldb
