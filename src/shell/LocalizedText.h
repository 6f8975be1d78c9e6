// Every user-facing text of the application, in the nine desktop languages. Indexed tables
// hold an ordered list per language (entries are addressed by the fixed index the calling
// code uses); message tables hold one text per language. Lookups read the desktop language
// at the moment of use, so a text follows language changes from then on. Tables are
// constant data; lookups may run on any thread once the standard user defaults exist.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellora {

enum class TextTable {
    shell,               // 33: alerts and messages of the shell
    menu,                // 25: menu titles and status texts
    terminal,            // 6: the terminal command
    connection,          // 21: connections, switching, recovery
    connectionPanel,     // 11: panel confirmations and colour names
    connectionSecurity,  // 2: insecure HTTP warning and badge
    connectionEditor,    // 5: the connection editor
    startup,             // 17: the startup screen
    update,              // 7: preparing and installing updates
    lifecycleError,      // 2: update preparation / uninstall verification failures
    lifecycleFailure,    // 4: descriptions of lifecycle failures by raw value
};

enum class TextMessage {
    compactWindowTitle,
    updateFailed,                // the startup screen's warning after a failed update
    updateFailedNoInstallation,  // nothing could be started after a failed update
    updateIncomplete,            // the Engine runs but its update did not complete
};

// Entry `index` of `table` in the desktop language (English when the table lacks the
// language). An index outside the table is a programming error (std::out_of_range).
std::string localizedText(TextTable table, std::size_t index);
// The same in the text record `language` selects (see textRecordIndex).
std::string localizedText(TextTable table, std::size_t index, std::string_view language);

std::string localizedText(TextMessage message);
std::string localizedText(TextMessage message, std::string_view language);

// The number of entries of `table` (equal in every language).
std::size_t textTableSize(TextTable table);

}  // namespace pellora
