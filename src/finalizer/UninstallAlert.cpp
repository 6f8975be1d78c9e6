#include "finalizer/UninstallAlert.h"

#include <map>
#include <system_error>

#include "finalizer/ToolRun.h"
#include "platform/ToolPaths.h"

namespace pellora {

namespace {

struct Wording {
    const char* title;
    const char* message;
};

const std::map<std::string, Wording>& wordings() {
    static const std::map<std::string, Wording> table{
        {"en",
         {"Pellora uninstall needs attention",
          "Some cleanup could not finish. If Pellora remains in Applications, quit it and move "
          "it to the Trash. Details:"}},
        {"zh",
         {"Pellora 卸载需要您处理",
          "部分清理未能完成。如果 Pellora 仍在“应用程序”中，请退出它并将其移到废纸篓。详细信息："}},
        {"zh-HK",
         {"Pellora 解除安裝需要你處理",
          "部分清理未能完成。如果 Pellora 仍在「應用程式」中，請結束它並將它移到垃圾桶。詳細資料："}},
        {"ja",
         {"Pellora のアンインストールで確認が必要です",
          "一部のクリーンアップを完了できませんでした。Pellora が“アプリケーション”に残っている場合は、"
          "終了してゴミ箱に入れてください。詳細："}},
        {"ko",
         {"Pellora 제거 중 확인이 필요합니다",
          "일부 정리 작업을 완료하지 못했습니다. Pellora가 응용 프로그램에 남아 있으면 종료한 다음 "
          "휴지통으로 이동하십시오. 세부 정보:"}},
        {"de",
         {"Die Deinstallation von Pellora erfordert Ihre Aufmerksamkeit",
          "Einige Aufräumarbeiten konnten nicht abgeschlossen werden. Wenn Pellora noch im Ordner "
          "„Programme“ liegt, beenden Sie es und legen Sie es in den Papierkorb. Details:"}},
        {"fr",
         {"La désinstallation de Pellora nécessite votre attention",
          "Une partie du nettoyage n’a pas pu se terminer. Si Pellora se trouve toujours dans "
          "Applications, quittez-le et placez-le dans la Corbeille. Détails :"}},
        {"es",
         {"La desinstalación de Pellora requiere tu atención",
          "No se pudo completar parte de la limpieza. Si Pellora sigue en Aplicaciones, ciérralo y "
          "muévelo a la Papelera. Detalles:"}},
        {"pt",
         {"A desinstalação do Pellora precisa de atenção",
          "Não foi possível concluir parte da limpeza. Se o Pellora ainda estiver em Aplicativos, "
          "encerre-o e mova-o para o Lixo. Detalhes:"}},
    };
    return table;
}

}  // namespace

UninstallAlert::Text UninstallAlert::text(const std::string& locale,
                                          const std::filesystem::path& logPath) {
    const auto found = wordings().find(locale);
    const Wording& wording = found != wordings().end() ? found->second : wordings().at("en");
    return {wording.title, std::string(wording.message) + "\n" + logPath.string()};
}

void UninstallAlert::show(const Text& text) {
    try {
        ToolRun::run(toolpaths::kZenity,
                     {"--warning", "--no-markup", "--title=" + text.title, "--text=" + text.message},
                     false);
    } catch (const std::system_error&) {
        // Without zenity there is no way to alert; the log already holds the failure.
    }
}

}  // namespace pellora
