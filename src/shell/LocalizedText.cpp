#include "shell/LocalizedText.h"

#include <stdexcept>

#include "shell/DesktopLanguage.h"
#include "shell/TextTableData.h"

namespace pellora {

namespace {

const IndexedTexts& texts(TextTable table) {
    switch (table) {
    case TextTable::shell: return kShellTexts;
    case TextTable::menu: return kMenuTexts;
    case TextTable::terminal: return kTerminalTexts;
    case TextTable::connection: return kConnectionTexts;
    case TextTable::connectionPanel: return kConnectionPanelTexts;
    case TextTable::connectionSecurity: return kConnectionSecurityTexts;
    case TextTable::connectionEditor: return kConnectionEditorTexts;
    case TextTable::startup: return kStartupTexts;
    case TextTable::update: return kUpdateTexts;
    case TextTable::lifecycleError: return kLifecycleErrorTexts;
    case TextTable::lifecycleFailure: return kLifecycleFailureTexts;
    }
    throw std::out_of_range("unknown text table");
}

const MessageTexts& texts(TextMessage message) {
    switch (message) {
    case TextMessage::compactWindowTitle: return kCompactWindowTitle;
    case TextMessage::updateFailed: return kUpdateFailedText;
    case TextMessage::updateFailedNoInstallation: return kUpdateFailedNoInstallationText;
    case TextMessage::updateIncomplete: return kUpdateIncompleteText;
    }
    throw std::out_of_range("unknown text message");
}

std::string entry(TextTable table, std::size_t index, std::size_t record) {
    const IndexedTexts& table_texts = texts(table);
    if (index >= table_texts.count) throw std::out_of_range("text index outside its table");
    return std::string(table_texts.records[record][index]);
}

}  // namespace

std::string localizedText(TextTable table, std::size_t index) {
    return entry(table, index, textRecordIndex(desktopLanguage()));
}

std::string localizedText(TextTable table, std::size_t index, std::string_view language) {
    return entry(table, index, textRecordIndex(language));
}

std::string localizedText(TextMessage message) {
    return localizedText(message, desktopLanguage());
}

std::string localizedText(TextMessage message, std::string_view language) {
    return std::string(texts(message)[textRecordIndex(language)]);
}

std::size_t textTableSize(TextTable table) { return texts(table).count; }

}  // namespace pellora
