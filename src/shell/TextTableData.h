// The shape of the constant text data behind LocalizedText: one record per desktop
// language, in the order of kDesktopLanguages. Each table family lives in its own source
// file. Immutable; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "shell/DesktopLanguage.h"

namespace pellora {

template <std::size_t N>
using TextRecords = std::array<std::array<std::string_view, N>, kDesktopLanguageCount>;

using MessageTexts = std::array<std::string_view, kDesktopLanguageCount>;

// A view of TextRecords<N> that forgets N, so every table is looked up the same way.
struct IndexedTexts {
    std::size_t count;
    std::array<const std::string_view*, kDesktopLanguageCount> records;
};

template <std::size_t N>
constexpr IndexedTexts indexedTexts(const TextRecords<N>& records) {
    IndexedTexts view{N, {}};
    for (std::size_t language = 0; language < kDesktopLanguageCount; ++language) {
        view.records[language] = records[language].data();
    }
    return view;
}

extern const IndexedTexts kShellTexts;
extern const IndexedTexts kMenuTexts;
extern const IndexedTexts kTerminalTexts;
extern const MessageTexts kCompactWindowTitle;

extern const IndexedTexts kConnectionTexts;
extern const IndexedTexts kConnectionPanelTexts;
extern const IndexedTexts kConnectionSecurityTexts;
extern const IndexedTexts kConnectionEditorTexts;

extern const IndexedTexts kStartupTexts;
extern const MessageTexts kUpdateFailedText;
extern const MessageTexts kUpdateFailedNoInstallationText;

extern const IndexedTexts kUpdateTexts;
extern const MessageTexts kUpdateIncompleteText;
extern const IndexedTexts kLifecycleErrorTexts;
extern const IndexedTexts kLifecycleFailureTexts;

}  // namespace pellora
