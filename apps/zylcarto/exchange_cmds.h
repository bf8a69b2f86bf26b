#pragma once
// The exchange subcommands that live under other command groups ("map", "db"),
// and the rule they share for files read: whatever a reader raises is unreadable
// input (exit status 2); a file that cannot be written stays a failure (1).
#include <functional>
#include <string>

#include "cli.h"
#include "zylcarto/geodb/geodb.h"
#include "zylcarto/support/errors.h"

namespace zylcarto::cli {

// zylcarto map import-ozi | import-world | export-world
int RunMapImportOzi(TArgs a);
int RunMapImportWorld(TArgs a);
int RunMapExportWorld(const TArgs& a);
extern const char* const kMapExchangeUsage;

// zylcarto db export-gpkg
int RunDbExportGpkg(TArgs a);

// Runs Read, which reads input files, and turns what it raises into EUsageError.
// File is put in front of messages that do not name it already.
template <typename F>
auto ReadInput(const std::string& File, F&& Read) -> decltype(Read()) {
    auto named = [&](const std::string& Message) {
        return Message.find(File) == std::string::npos ? File + ": " + Message : Message;
    };
    try {
        return Read();
    } catch (const EInOutError& e) {
        throw EUsageError(named(e.what()));
    } catch (const EZYLError& e) {
        throw EUsageError(named(e.what()));
    }
}

// Shows the database's progress reports on standard error ("What: 42%") when
// that is a terminal, where they cannot end up in a file or pipe.
void ShowProgress(TGeoDB& DB, const char* What);
// The same for a task that reads every data block once (an export): the share of
// blocks read; call what it returns when the task is done.
std::function<void()> ShowBlockProgress(TGeoDB& DB, const char* What);

}  // namespace zylcarto::cli
