#pragma once
// The exchange subcommands that live under other command groups ("map", "db").
#include "cli.h"

namespace zylcarto::cli {

// zylcarto map import-ozi | import-world | export-world
int RunMapImportOzi(TArgs a);
int RunMapImportWorld(TArgs a);
int RunMapExportWorld(const TArgs& a);
extern const char* const kMapExchangeUsage;

// zylcarto db export-gpkg
int RunDbExportGpkg(TArgs a);

}  // namespace zylcarto::cli
