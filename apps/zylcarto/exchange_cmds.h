#pragma once
// The exchange subcommands that live under other command groups ("map", "db").
#include <functional>

#include "cli.h"
#include "zylcarto/geodb/geodb.h"

namespace zylcarto::cli {

// zylcarto map import-ozi | import-world | export-world
int RunMapImportOzi(const TArgs& a);
int RunMapImportWorld(TArgs a);
int RunMapExportWorld(const TArgs& a);
extern const char* const kMapExchangeUsage;

// zylcarto db export-gpkg
int RunDbExportGpkg(TArgs a);

// Shows the database's progress reports on standard error ("What: 42%") when
// that is a terminal, where they cannot end up in a file or pipe.
void ShowProgress(TGeoDB& DB, const char* What);
// The same for a task that reads every data block once (an export): the share of
// blocks read; call what it returns when the task is done.
std::function<void()> ShowBlockProgress(TGeoDB& DB, const char* What);

}  // namespace zylcarto::cli
