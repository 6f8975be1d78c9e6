// Texts of application updates and of the lifecycle failures shared by update preparation
// and uninstalling.
#include "shell/TextTableData.h"

namespace pellora {

namespace {

constexpr TextRecords<7> kUpdate = {{
    {{"Ready to update Pellora",
      "Running tasks on this Mac will be stopped without waiting for completion. Remote tasks will "
      "continue. Save any unsaved edits first. Saved data will be kept, and Pellora will restart "
      "automatically.",
      "Install and Relaunch", "Cancel", "Preparing update…", "Couldn't complete the update",
      "Pellora is busy starting, switching connections, or shutting down. Please try again "
      "shortly."}},
    {{"准备更新 Pellora",
      "这台 Mac 上正在运行的任务将被停止，不会等待其完成。远程任务将继续运行。请先保存所有未保存的编辑。"
      "已保存的数据会保留，Pellora 将自动重新启动。",
      "安装并重新启动", "取消", "正在准备更新…", "无法完成更新",
      "Pellora 正忙于启动、切换连接或关闭。请稍后再试。"}},
    {{"準備更新 Pellora",
      "這部 Mac 上正在執行的任務將被停止，不會等待其完成。遠端任務將繼續執行。請先儲存所有未儲存的編輯。"
      "已儲存的資料會保留，Pellora 將自動重新啟動。",
      "安裝並重新啟動", "取消", "正在準備更新…", "無法完成更新",
      "Pellora 正忙於啟動、切換連線或關閉。請稍後再試。"}},
    {{"Pellora をアップデートする準備ができました",
      "このMac で実行中のタスクは完了を待たずに停止されます。リモートのタスクは続行されます。"
      "保存されていない編集内容は先に保存してください。保存済みのデータは保持され、Pellora "
      "は自動的に再起動します。",
      "インストールして再起動", "キャンセル", "アップデートを準備しています…",
      "アップデートを完了できませんでした",
      "Pellora は起動中、接続の切り替え中、または終了処理中です。しばらくしてからもう一度お試しください。"}},
    {{"Pellora 업데이트 준비 완료",
      "이 Mac에서 실행 중인 작업은 완료를 기다리지 않고 중지됩니다. 원격 작업은 계속됩니다. 저장하지 "
      "않은 편집 내용을 먼저 저장하세요. 저장된 데이터는 유지되며 Pellora는 자동으로 다시 시작됩니다.",
      "설치 후 다시 실행", "취소", "업데이트 준비 중…", "업데이트를 완료하지 못했습니다",
      "Pellora가 시작, 연결 전환 또는 종료 중입니다. 잠시 후 다시 시도하세요."}},
    {{"Pellora kann aktualisiert werden",
      "Laufende Aufgaben auf diesem Mac werden beendet, ohne auf ihren Abschluss zu warten. "
      "Entfernte Aufgaben laufen weiter. Sichere zuerst alle nicht gespeicherten Änderungen. "
      "Gespeicherte Daten bleiben erhalten, und Pellora startet automatisch neu.",
      "Installieren und neu starten", "Abbrechen", "Update wird vorbereitet…",
      "Update konnte nicht abgeschlossen werden",
      "Pellora startet gerade, wechselt Verbindungen oder wird beendet. Bitte versuche es gleich "
      "noch einmal."}},
    {{"Prêt à mettre à jour Pellora",
      "Les tâches en cours sur ce Mac seront arrêtées sans attendre leur fin. Les tâches distantes "
      "continueront. Enregistrez d’abord vos modifications. Les données enregistrées seront "
      "conservées et Pellora redémarrera automatiquement.",
      "Installer et relancer", "Annuler", "Préparation de la mise à jour…",
      "Impossible de terminer la mise à jour",
      "Pellora est occupé à démarrer, à changer de connexion ou à se fermer. Veuillez réessayer "
      "dans un instant."}},
    {{"Listo para actualizar Pellora",
      "Las tareas en ejecución en este Mac se detendrán sin esperar a que terminen. Las tareas "
      "remotas continuarán. Guarda antes los cambios sin guardar. Los datos guardados se "
      "conservarán y Pellora se reiniciará automáticamente.",
      "Instalar y reiniciar", "Cancelar", "Preparando la actualización…",
      "No se pudo completar la actualización",
      "Pellora está ocupado iniciándose, cambiando de conexión o cerrándose. Vuelve a intentarlo "
      "en breve."}},
    {{"Pronto para atualizar o Pellora",
      "As tarefas em execução neste Mac serão interrompidas sem aguardar sua conclusão. As tarefas "
      "remotas continuarão. Salve antes as edições não salvas. Os dados salvos serão mantidos e o "
      "Pellora será reiniciado automaticamente.",
      "Instalar e Reabrir", "Cancelar", "Preparando a atualização…",
      "Não foi possível concluir a atualização",
      "O Pellora está ocupado iniciando, trocando de conexão ou encerrando. Tente novamente em "
      "instantes."}},
}};

constexpr TextRecords<2> kLifecycleError = {{
    {{"Could not safely prepare the local Engine for updating. The update was not installed. "
      "Please try again later.",
      "The uninstaller could not safely verify Pellora. The App has not been moved. Please try "
      "again."}},
    {{"无法安全地为更新准备本地 Engine。更新未安装。请稍后再试。",
      "卸载程序无法安全地验证 Pellora。应用未被移动。请再试一次。"}},
    {{"無法安全地為更新準備本機 Engine。更新未安裝。請稍後再試。",
      "解除安裝程式無法安全地驗證 Pellora。應用程式未被移動。請再試一次。"}},
    {{"アップデートに向けてローカル Engine "
      "を安全に準備できませんでした。アップデートはインストールされていません。後でもう一度お試しください。",
      "アンインストーラが Pellora を安全に確認できませんでした。App "
      "は移動されていません。もう一度お試しください。"}},
    {{"업데이트를 위해 로컬 Engine을 안전하게 준비하지 못했습니다. 업데이트가 설치되지 않았습니다. "
      "나중에 다시 시도하세요.",
      "제거 프로그램이 Pellora를 안전하게 확인하지 못했습니다. 앱은 이동되지 않았습니다. 다시 "
      "시도하세요."}},
    {{"Die lokale Engine konnte nicht sicher auf das Update vorbereitet werden. Das Update wurde "
      "nicht installiert. Bitte versuche es später erneut.",
      "Das Deinstallationsprogramm konnte Pellora nicht sicher überprüfen. Die App wurde nicht "
      "bewegt. Bitte versuche es erneut."}},
    {{"Impossible de préparer l’Engine local à la mise à jour en toute sécurité. La mise à jour "
      "n’a pas été installée. Veuillez réessayer plus tard.",
      "Le programme de désinstallation n’a pas pu vérifier Pellora en toute sécurité. L’app n’a "
      "pas été déplacée. Veuillez réessayer."}},
    {{"No se pudo preparar el Engine local para la actualización de forma segura. La "
      "actualización no se instaló. Vuelve a intentarlo más tarde.",
      "El desinstalador no pudo verificar Pellora de forma segura. La app no se ha movido. Vuelve "
      "a intentarlo."}},
    {{"Não foi possível preparar o Engine local para a atualização com segurança. A atualização "
      "não foi instalada. Tente novamente mais tarde.",
      "O desinstalador não conseguiu verificar o Pellora com segurança. O app não foi movido. "
      "Tente novamente."}},
}};

constexpr TextRecords<4> kLifecycleFailure = {{
    {{"Could not save the local Engine restart intent. No services were stopped.",
      "The update was canceled.", "The uninstaller is missing. Reinstall Pellora and try again.",
      "The uninstaller could not start. Pellora.app has not been moved."}},
    {{"无法保存本地 Engine 的重启意图。没有停止任何服务。", "更新已取消。",
      "卸载程序缺失。请重新安装 Pellora 后再试。", "卸载程序无法启动。Pellora.app 未被移动。"}},
    {{"無法儲存本機 Engine 的重新啟動意圖。沒有停止任何服務。", "更新已取消。",
      "解除安裝程式遺失。請重新安裝 Pellora 後再試。", "解除安裝程式無法啟動。Pellora.app 未被移動。"}},
    {{"ローカル Engine の再起動の設定を保存できませんでした。サービスは停止されていません。",
      "アップデートはキャンセルされました。",
      "アンインストーラが見つかりません。Pellora を再インストールしてもう一度お試しください。",
      "アンインストーラを起動できませんでした。Pellora.app は移動されていません。"}},
    {{"로컬 Engine 재시작 설정을 저장하지 못했습니다. 중지된 서비스는 없습니다.",
      "업데이트가 취소되었습니다.", "제거 프로그램이 없습니다. Pellora를 다시 설치한 후 다시 시도하세요.",
      "제거 프로그램을 시작하지 못했습니다. Pellora.app은 이동되지 않았습니다."}},
    {{"Der Neustartwunsch für die lokale Engine konnte nicht gespeichert werden. Es wurden keine "
      "Dienste beendet.",
      "Das Update wurde abgebrochen.",
      "Das Deinstallationsprogramm fehlt. Installiere Pellora neu und versuche es erneut.",
      "Das Deinstallationsprogramm konnte nicht starten. Pellora.app wurde nicht bewegt."}},
    {{"Impossible d’enregistrer l’intention de redémarrer l’Engine local. Aucun service n’a été "
      "arrêté.",
      "La mise à jour a été annulée.",
      "Le programme de désinstallation est manquant. Réinstallez Pellora et réessayez.",
      "Le programme de désinstallation n’a pas pu démarrer. Pellora.app n’a pas été déplacé."}},
    {{"No se pudo guardar la intención de reiniciar el Engine local. No se detuvo ningún servicio.",
      "Se canceló la actualización.", "Falta el desinstalador. Reinstala Pellora y vuelve a intentarlo.",
      "No se pudo iniciar el desinstalador. Pellora.app no se ha movido."}},
    {{"Não foi possível salvar a intenção de reiniciar o Engine local. Nenhum serviço foi "
      "interrompido.",
      "A atualização foi cancelada.", "O desinstalador está ausente. Reinstale o Pellora e tente novamente.",
      "Não foi possível iniciar o desinstalador. O Pellora.app não foi movido."}},
}};

}  // namespace

constexpr IndexedTexts kUpdateTexts = indexedTexts(kUpdate);
constexpr IndexedTexts kLifecycleErrorTexts = indexedTexts(kLifecycleError);
constexpr IndexedTexts kLifecycleFailureTexts = indexedTexts(kLifecycleFailure);

constexpr MessageTexts kUpdateIncompleteText = {
    "The local Engine is running, but its update did not complete. Reopen Pellora to retry.",
    "本地 Engine 正在运行，但其更新未完成。请重新打开 Pellora 重试。",
    "本機 Engine 正在執行，但其更新未完成。請重新開啟 Pellora 再試。",
    "ローカル Engine は実行中ですが、アップデートが完了しませんでした。Pellora "
    "を開き直して再試行してください。",
    "로컬 Engine이 실행 중이지만 업데이트가 완료되지 않았습니다. Pellora를 다시 열어 재시도하세요.",
    "Die lokale Engine läuft, aber ihr Update wurde nicht abgeschlossen. Öffne Pellora erneut, um "
    "es noch einmal zu versuchen.",
    "L’Engine local est en cours d’exécution, mais sa mise à jour n’a pas abouti. Rouvrez Pellora "
    "pour réessayer.",
    "El Engine local se está ejecutando, pero su actualización no se completó. Vuelve a abrir "
    "Pellora para reintentarlo.",
    "O Engine local está em execução, mas a atualização não foi concluída. Reabra o Pellora para "
    "tentar novamente.",
};

}  // namespace pellora
