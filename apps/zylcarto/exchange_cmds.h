#pragma once
// The exchange subcommands that live under other command groups ("map", "db").
#include "cli.h"

namespace zylcarto::cli {

// zylcarto map import-ozi | import-world | export-world
int RunMapImportOzi(const Args& a);
int RunMapImportWorld(Args a);
int RunMapExportWorld(const Args& a);
extern const char* const kMapExchangeUsage;

// zylcarto db export-gpkg
int RunDbExportGpkg(Args a);

} // namespace zylcarto::cli
