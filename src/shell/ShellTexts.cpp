// Texts of the application shell: migration, uninstall, startup failures, downloads and
// quitting; the menu titles and status texts; the terminal command; the compact window.
#include "shell/TextTableData.h"

namespace pellora {

namespace {

constexpr TextRecords<33> kShell = {{
    {{"Welcome to the new Pellora.",
      "We found your existing installation at:\n%path%\n\nWe'll migrate to app-based mode. Your "
      "workspaces, agents and sessions will be preserved. The old background service will stop; "
      "Pellora will now start with the app.",
      "Continue", "Migration mostly complete.",
      "A leftover background service is still registered. It won't affect Pellora. Restart your "
      "Mac when convenient to clean it up.",
      "OK", "Pellora: uninstalling…", "Pellora could not be fully uninstalled", "Uninstall Pellora?",
      "This will stop and remove this Mac's local Engine, move Pellora.app to the Trash, remove the "
      "pellora command from /usr/local/bin, and unregister the login item.\n\nRemote Engines and "
      "their data will not be changed.",
      "Uninstall", "Cancel",
      "Also delete workspaces, agents, sessions, secrets, browser data, and backups",
      "The uninstall checks could not be completed. No Engine files were removed.",
      "The local Pellora Engine is still running. No files were removed. Restart your Mac and try "
      "again.",
      "Administrator access is required to remove the Pellora command. No Engine files were "
      "removed.",
      "The Pellora Engine could not be removed.", "A legacy Pellora login item could not be removed.",
      "The uninstall could not finish.", "Couldn't set up Pellora", "Couldn't start Pellora",
      "Pellora didn't finish starting",
      "Startup timed out after 30 seconds. Try reopening Pellora in a moment.",
      "The local Engine could not restart. Reopen Pellora to retry; saved data has been retained.",
      "Pellora needs administrator access to remove its command-line shortcut.",
      "Couldn't update login item", "Download failed", "Quit Pellora?", "Active right now:",
      "Running sessions: %count%", "Works in progress: %count%", "These will be interrupted.",
      "Pellora — shutting down…"}},
    {{"欢迎使用全新的 Pellora。",
      "我们在以下位置找到了你现有的安装：\n%path%\n\n我们将迁移到基于应用的模式。你的工作区、智能体和"
      "会话都会保留。旧的后台服务将停止；Pellora 今后将随应用一起启动。",
      "继续", "迁移基本完成。",
      "仍有一个残留的后台服务处于注册状态。它不会影响 Pellora。方便时请重启 Mac 以清理它。", "好",
      "Pellora：正在卸载…", "无法完全卸载 Pellora", "要卸载 Pellora 吗？",
      "此操作将停止并移除这台 Mac 上的本地 Engine，将 Pellora.app 移到废纸篓，从 /usr/local/bin "
      "中移除 pellora 命令，并取消注册登录项。\n\n远程 Engine 及其数据不会改变。",
      "卸载", "取消", "同时删除工作区、智能体、会话、密钥、浏览器数据和备份",
      "无法完成卸载检查。没有移除任何 Engine 文件。",
      "本地 Pellora Engine 仍在运行。没有移除任何文件。请重启 Mac 后重试。",
      "需要管理员权限才能移除 Pellora 命令。没有移除任何 Engine 文件。", "无法移除 Pellora Engine。",
      "无法移除旧版 Pellora 登录项。", "卸载未能完成。", "无法设置 Pellora", "无法启动 Pellora",
      "Pellora 未能完成启动", "启动在 30 秒后超时。请稍后重新打开 Pellora。",
      "本地 Engine 无法重新启动。请重新打开 Pellora 重试；已保存的数据均已保留。",
      "Pellora 需要管理员权限才能移除其命令行快捷方式。", "无法更新登录项", "下载失败",
      "要退出 Pellora 吗？", "当前正在进行：", "运行中的会话：%count%", "进行中的工作：%count%",
      "这些将被中断。", "Pellora — 正在关闭…"}},
    {{"歡迎使用全新的 Pellora。",
      "我們在以下位置找到了你現有的安裝：\n%path%\n\n我們將遷移至以應用程式為主的模式。你的工作區、"
      "智能體和工作階段都會保留。舊的背景服務將會停止；Pellora 今後將隨應用程式一同啟動。",
      "繼續", "遷移大致完成。",
      "仍有一個殘留的背景服務處於註冊狀態。它不會影響 Pellora。方便時請重新啟動 Mac 以清理它。", "好",
      "Pellora：正在解除安裝…", "無法完全解除安裝 Pellora", "要解除安裝 Pellora 嗎？",
      "此操作將停止並移除這部 Mac 上的本機 Engine，將 Pellora.app 移至垃圾桶，從 /usr/local/bin "
      "移除 pellora 指令，並取消註冊登入項目。\n\n遠端 Engine 及其資料不會改變。",
      "解除安裝", "取消", "同時刪除工作區、智能體、工作階段、密鑰、瀏覽器資料和備份",
      "無法完成解除安裝檢查。沒有移除任何 Engine 檔案。",
      "本機 Pellora Engine 仍在執行。沒有移除任何檔案。請重新啟動 Mac 後再試。",
      "需要管理員權限才能移除 Pellora 指令。沒有移除任何 Engine 檔案。", "無法移除 Pellora Engine。",
      "無法移除舊版 Pellora 登入項目。", "解除安裝未能完成。", "無法設定 Pellora", "無法啟動 Pellora",
      "Pellora 未能完成啟動", "啟動在 30 秒後逾時。請稍後重新開啟 Pellora。",
      "本機 Engine 無法重新啟動。請重新開啟 Pellora 再試；已儲存的資料均已保留。",
      "Pellora 需要管理員權限才能移除其命令列捷徑。", "無法更新登入項目", "下載失敗",
      "要結束 Pellora 嗎？", "目前正在進行：", "執行中的工作階段：%count%", "進行中的工作：%count%",
      "這些將被中斷。", "Pellora — 正在關閉…"}},
    {{"新しい Pellora へようこそ。",
      "既存のインストールが次の場所に見つかりました：\n%path%\n\nアプリベースのモードに移行します。"
      "ワークスペース、エージェント、セッションは保持されます。古いバックグラウンドサービスは停止し、"
      "今後 Pellora はアプリと一緒に起動します。",
      "続ける", "移行はほぼ完了しました。",
      "古いバックグラウンドサービスがまだ登録されています。Pellora には影響しません。都合のよいときに "
      "Mac を再起動して削除してください。",
      "OK", "Pellora：アンインストール中…", "Pellora を完全にはアンインストールできませんでした",
      "Pellora をアンインストールしますか？",
      "このMac のローカル Engine を停止して削除し、Pellora.app をゴミ箱に移動し、/usr/local/bin "
      "から pellora コマンドを削除して、ログイン項目の登録を解除します。\n\nリモートの Engine "
      "とそのデータは変更されません。",
      "アンインストール", "キャンセル",
      "ワークスペース、エージェント、セッション、シークレット、ブラウザデータ、バックアップも削除する",
      "アンインストールの確認を完了できませんでした。Engine のファイルは削除されていません。",
      "ローカルの Pellora Engine がまだ実行中です。ファイルは削除されていません。Mac "
      "を再起動してもう一度お試しください。",
      "Pellora コマンドを削除するには管理者のアクセス権が必要です。Engine "
      "のファイルは削除されていません。",
      "Pellora Engine を削除できませんでした。", "古い Pellora のログイン項目を削除できませんでした。",
      "アンインストールを完了できませんでした。", "Pellora をセットアップできませんでした",
      "Pellora を起動できませんでした", "Pellora の起動が完了しませんでした",
      "起動が 30 秒でタイムアウトしました。しばらくしてから Pellora をもう一度開いてください。",
      "ローカル Engine を再起動できませんでした。Pellora "
      "を開き直して再試行してください。保存済みのデータは保持されています。",
      "Pellora のコマンドラインショートカットを削除するには管理者のアクセス権が必要です。",
      "ログイン項目を更新できませんでした", "ダウンロードに失敗しました", "Pellora を終了しますか？",
      "現在実行中：", "実行中のセッション：%count%", "進行中の作業：%count%", "これらは中断されます。",
      "Pellora — 終了しています…"}},
    {{"새로운 Pellora에 오신 것을 환영합니다.",
      "다음 위치에서 기존 설치를 찾았습니다:\n%path%\n\n앱 기반 모드로 마이그레이션합니다. 작업 공간, "
      "에이전트 및 세션은 유지됩니다. 이전 백그라운드 서비스는 중지되며, 이제 Pellora는 앱과 함께 "
      "시작됩니다.",
      "계속", "마이그레이션이 거의 완료되었습니다.",
      "남아 있는 백그라운드 서비스가 아직 등록되어 있습니다. Pellora에는 영향을 주지 않습니다. 편할 때 "
      "Mac을 재시동하여 정리하세요.",
      "확인", "Pellora: 제거 중…", "Pellora를 완전히 제거하지 못했습니다", "Pellora를 제거하시겠습니까?",
      "이 Mac의 로컬 Engine을 중지하고 제거하며, Pellora.app을 휴지통으로 이동하고, /usr/local/bin에서 "
      "pellora 명령을 제거하고, 로그인 항목 등록을 해제합니다.\n\n원격 Engine과 해당 데이터는 변경되지 "
      "않습니다.",
      "제거", "취소", "작업 공간, 에이전트, 세션, 비밀 정보, 브라우저 데이터 및 백업도 삭제",
      "제거 확인을 완료하지 못했습니다. Engine 파일은 제거되지 않았습니다.",
      "로컬 Pellora Engine이 아직 실행 중입니다. 파일은 제거되지 않았습니다. Mac을 재시동한 후 다시 "
      "시도하세요.",
      "Pellora 명령을 제거하려면 관리자 권한이 필요합니다. Engine 파일은 제거되지 않았습니다.",
      "Pellora Engine을 제거하지 못했습니다.", "이전 Pellora 로그인 항목을 제거하지 못했습니다.",
      "제거를 완료하지 못했습니다.", "Pellora를 설정하지 못했습니다", "Pellora를 시작하지 못했습니다",
      "Pellora 시작이 완료되지 않았습니다",
      "30초 후 시작 시간이 초과되었습니다. 잠시 후 Pellora를 다시 열어 보세요.",
      "로컬 Engine을 다시 시작하지 못했습니다. Pellora를 다시 열어 재시도하세요. 저장된 데이터는 "
      "보존되었습니다.",
      "Pellora의 명령줄 바로 가기를 제거하려면 관리자 권한이 필요합니다.",
      "로그인 항목을 업데이트하지 못했습니다", "다운로드 실패", "Pellora를 종료하시겠습니까?",
      "현재 진행 중:", "실행 중인 세션: %count%", "진행 중인 작업: %count%", "이 항목들은 중단됩니다.",
      "Pellora — 종료 중…"}},
    {{"Willkommen beim neuen Pellora.",
      "Wir haben deine vorhandene Installation gefunden unter:\n%path%\n\nWir stellen auf den "
      "App-basierten Modus um. Deine Arbeitsbereiche, Agenten und Sitzungen bleiben erhalten. Der "
      "alte Hintergrunddienst wird beendet; Pellora startet ab jetzt mit der App.",
      "Fortfahren", "Migration weitgehend abgeschlossen.",
      "Ein übrig gebliebener Hintergrunddienst ist noch registriert. Er beeinträchtigt Pellora "
      "nicht. Starte deinen Mac bei Gelegenheit neu, um ihn zu entfernen.",
      "OK", "Pellora: wird deinstalliert…", "Pellora konnte nicht vollständig deinstalliert werden",
      "Pellora deinstallieren?",
      "Dadurch wird die lokale Engine dieses Macs beendet und entfernt, Pellora.app in den "
      "Papierkorb gelegt, der Befehl pellora aus /usr/local/bin entfernt und das Anmeldeobjekt "
      "abgemeldet.\n\nEntfernte Engines und ihre Daten bleiben unverändert.",
      "Deinstallieren", "Abbrechen",
      "Auch Arbeitsbereiche, Agenten, Sitzungen, Geheimnisse, Browserdaten und Backups löschen",
      "Die Prüfungen vor der Deinstallation konnten nicht abgeschlossen werden. Es wurden keine "
      "Engine-Dateien entfernt.",
      "Die lokale Pellora-Engine läuft noch. Es wurden keine Dateien entfernt. Starte deinen Mac "
      "neu und versuche es erneut.",
      "Zum Entfernen des Pellora-Befehls ist Administratorzugriff erforderlich. Es wurden keine "
      "Engine-Dateien entfernt.",
      "Die Pellora-Engine konnte nicht entfernt werden.",
      "Ein altes Pellora-Anmeldeobjekt konnte nicht entfernt werden.",
      "Die Deinstallation konnte nicht abgeschlossen werden.", "Pellora konnte nicht eingerichtet werden",
      "Pellora konnte nicht gestartet werden", "Pellora wurde nicht vollständig gestartet",
      "Der Start wurde nach 30 Sekunden abgebrochen. Öffne Pellora in einem Moment erneut.",
      "Die lokale Engine konnte nicht neu starten. Öffne Pellora erneut, um es noch einmal zu "
      "versuchen; gespeicherte Daten bleiben erhalten.",
      "Pellora benötigt Administratorzugriff, um seine Befehlszeilen-Verknüpfung zu entfernen.",
      "Anmeldeobjekt konnte nicht aktualisiert werden", "Download fehlgeschlagen", "Pellora beenden?",
      "Gerade aktiv:", "Laufende Sitzungen: %count%", "Arbeiten in Bearbeitung: %count%",
      "Diese werden unterbrochen.", "Pellora — wird beendet…"}},
    {{"Bienvenue dans le nouveau Pellora.",
      "Nous avons trouvé votre installation existante ici :\n%path%\n\nNous allons passer au mode "
      "basé sur l’app. Vos espaces de travail, agents et sessions seront conservés. L’ancien service "
      "en arrière-plan va s’arrêter ; Pellora démarrera désormais avec l’app.",
      "Continuer", "Migration presque terminée.",
      "Un ancien service en arrière-plan est encore enregistré. Il n’affecte pas Pellora. "
      "Redémarrez votre Mac quand cela vous convient pour le supprimer.",
      "OK", "Pellora : désinstallation…", "Pellora n’a pas pu être entièrement désinstallé",
      "Désinstaller Pellora ?",
      "Cette opération va arrêter et supprimer l’Engine local de ce Mac, placer Pellora.app dans la "
      "corbeille, retirer la commande pellora de /usr/local/bin et désenregistrer l’élément "
      "d’ouverture.\n\nLes Engines distants et leurs données ne seront pas modifiés.",
      "Désinstaller", "Annuler",
      "Supprimer aussi les espaces de travail, agents, sessions, secrets, données du navigateur et "
      "sauvegardes",
      "Les vérifications de désinstallation n’ont pas pu être effectuées. Aucun fichier de l’Engine "
      "n’a été supprimé.",
      "L’Engine Pellora local est toujours en cours d’exécution. Aucun fichier n’a été supprimé. "
      "Redémarrez votre Mac et réessayez.",
      "Un accès administrateur est requis pour supprimer la commande Pellora. Aucun fichier de "
      "l’Engine n’a été supprimé.",
      "L’Engine Pellora n’a pas pu être supprimé.",
      "Un ancien élément d’ouverture de Pellora n’a pas pu être supprimé.",
      "La désinstallation n’a pas pu aboutir.", "Impossible de configurer Pellora",
      "Impossible de démarrer Pellora", "Pellora n’a pas fini de démarrer",
      "Le démarrage a expiré après 30 secondes. Essayez de rouvrir Pellora dans un instant.",
      "L’Engine local n’a pas pu redémarrer. Rouvrez Pellora pour réessayer ; les données "
      "enregistrées ont été conservées.",
      "Pellora a besoin d’un accès administrateur pour supprimer son raccourci en ligne de commande.",
      "Impossible de mettre à jour l’élément d’ouverture", "Échec du téléchargement",
      "Quitter Pellora ?", "Actif en ce moment :", "Sessions en cours : %count%",
      "Travaux en cours : %count%", "Ils seront interrompus.", "Pellora — fermeture…"}},
    {{"Te damos la bienvenida al nuevo Pellora.",
      "Encontramos tu instalación existente en:\n%path%\n\nVamos a migrar al modo basado en la app. "
      "Tus espacios de trabajo, agentes y sesiones se conservarán. El antiguo servicio en segundo "
      "plano se detendrá; Pellora se iniciará ahora con la app.",
      "Continuar", "Migración casi completada.",
      "Todavía hay registrado un servicio en segundo plano sobrante. No afectará a Pellora. "
      "Reinicia el Mac cuando te venga bien para eliminarlo.",
      "OK", "Pellora: desinstalando…", "No se pudo desinstalar Pellora por completo",
      "¿Desinstalar Pellora?",
      "Se detendrá y eliminará el Engine local de este Mac, se moverá Pellora.app a la Papelera, se "
      "eliminará el comando pellora de /usr/local/bin y se anulará el registro del ítem de "
      "inicio.\n\nLos Engines remotos y sus datos no se modificarán.",
      "Desinstalar", "Cancelar",
      "Eliminar también espacios de trabajo, agentes, sesiones, secretos, datos del navegador y "
      "copias de seguridad",
      "No se pudieron completar las comprobaciones de desinstalación. No se eliminó ningún archivo "
      "del Engine.",
      "El Engine local de Pellora sigue en ejecución. No se eliminó ningún archivo. Reinicia el Mac "
      "y vuelve a intentarlo.",
      "Se requiere acceso de administrador para eliminar el comando de Pellora. No se eliminó "
      "ningún archivo del Engine.",
      "No se pudo eliminar el Engine de Pellora.",
      "No se pudo eliminar un ítem de inicio antiguo de Pellora.",
      "No se pudo terminar la desinstalación.", "No se pudo configurar Pellora",
      "No se pudo iniciar Pellora", "Pellora no terminó de iniciarse",
      "El inicio superó el tiempo de espera de 30 segundos. Vuelve a abrir Pellora en un momento.",
      "El Engine local no pudo reiniciarse. Vuelve a abrir Pellora para reintentarlo; los datos "
      "guardados se han conservado.",
      "Pellora necesita acceso de administrador para eliminar su acceso directo de línea de "
      "comandos.",
      "No se pudo actualizar el ítem de inicio", "Error en la descarga", "¿Salir de Pellora?",
      "Activo ahora mismo:", "Sesiones en ejecución: %count%", "Trabajos en curso: %count%",
      "Se interrumpirán.", "Pellora — cerrándose…"}},
    {{"Boas-vindas ao novo Pellora.",
      "Encontramos sua instalação existente em:\n%path%\n\nVamos migrar para o modo baseado no "
      "app. Seus espaços de trabalho, agentes e sessões serão preservados. O antigo serviço em "
      "segundo plano será interrompido; o Pellora passará a iniciar com o app.",
      "Continuar", "Migração quase concluída.",
      "Um serviço em segundo plano remanescente ainda está registrado. Ele não afeta o Pellora. "
      "Reinicie o Mac quando for conveniente para removê-lo.",
      "OK", "Pellora: desinstalando…", "Não foi possível desinstalar o Pellora completamente",
      "Desinstalar o Pellora?",
      "Isso vai parar e remover o Engine local deste Mac, mover o Pellora.app para o Lixo, remover o "
      "comando pellora de /usr/local/bin e cancelar o registro do item de início.\n\nOs Engines "
      "remotos e seus dados não serão alterados.",
      "Desinstalar", "Cancelar",
      "Apagar também espaços de trabalho, agentes, sessões, segredos, dados do navegador e backups",
      "Não foi possível concluir as verificações de desinstalação. Nenhum arquivo do Engine foi "
      "removido.",
      "O Engine local do Pellora ainda está em execução. Nenhum arquivo foi removido. Reinicie o "
      "Mac e tente novamente.",
      "É necessário acesso de administrador para remover o comando do Pellora. Nenhum arquivo do "
      "Engine foi removido.",
      "Não foi possível remover o Engine do Pellora.",
      "Não foi possível remover um item de início antigo do Pellora.",
      "Não foi possível concluir a desinstalação.", "Não foi possível configurar o Pellora",
      "Não foi possível iniciar o Pellora", "O Pellora não terminou de iniciar",
      "A inicialização excedeu o tempo limite de 30 segundos. Tente reabrir o Pellora daqui a pouco.",
      "Não foi possível reiniciar o Engine local. Reabra o Pellora para tentar novamente; os dados "
      "salvos foram mantidos.",
      "O Pellora precisa de acesso de administrador para remover seu atalho de linha de comando.",
      "Não foi possível atualizar o item de início", "Falha no download", "Sair do Pellora?",
      "Ativo agora:", "Sessões em execução: %count%", "Trabalhos em andamento: %count%",
      "Eles serão interrompidos.", "Pellora — encerrando…"}},
}};

constexpr TextRecords<25> kMenu = {{
    {{"File", "Edit", "Window", "New Window", "Close Window", "Check for Updates…", "Open at Login",
      "Uninstall Pellora…", "Quit Pellora", "Undo", "Redo", "Cut", "Copy", "Paste", "Select All",
      "Minimize", "Zoom", "Bring All to Front", "Open Pellora", "Starting…", "Running",
      "Update available", "Not responding", "View", "Reload Page"}},
    {{"文件", "编辑", "窗口", "新建窗口", "关闭窗口", "检查更新…", "登录时打开", "卸载 Pellora…",
      "退出 Pellora", "撤销", "重做", "剪切", "拷贝", "粘贴", "全选", "最小化", "缩放",
      "前置全部窗口", "打开 Pellora", "正在启动…", "运行中", "有可用更新", "无响应", "显示",
      "重新载入页面"}},
    {{"檔案", "編輯", "視窗", "新增視窗", "關閉視窗", "檢查更新…", "登入時開啟", "解除安裝 Pellora…",
      "結束 Pellora", "還原", "重做", "剪下", "拷貝", "貼上", "全選", "縮到最小", "縮放",
      "將全部移至最前", "開啟 Pellora", "正在啟動…", "執行中", "有可用更新", "沒有回應", "顯示方式",
      "重新載入頁面"}},
    {{"ファイル", "編集", "ウインドウ", "新規ウインドウ", "ウインドウを閉じる", "アップデートを確認…",
      "ログイン時に開く", "Pellora をアンインストール…", "Pellora を終了", "取り消す", "やり直す",
      "カット", "コピー", "ペースト", "すべてを選択", "しまう", "拡大/縮小", "すべてを手前に移動",
      "Pellora を開く", "起動中…", "実行中", "アップデートあり", "応答なし", "表示",
      "ページを再読み込み"}},
    {{"파일", "편집", "윈도우", "새로운 윈도우", "윈도우 닫기", "업데이트 확인…", "로그인 시 열기",
      "Pellora 제거…", "Pellora 종료", "실행 취소", "실행 복귀", "오려두기", "복사하기", "붙여넣기",
      "전체 선택", "최소화", "확대/축소", "모두 앞으로 가져오기", "Pellora 열기", "시작 중…",
      "실행 중", "업데이트 사용 가능", "응답 없음", "보기", "페이지 새로 고침"}},
    {{"Ablage", "Bearbeiten", "Fenster", "Neues Fenster", "Fenster schließen",
      "Nach Updates suchen…", "Bei Anmeldung öffnen", "Pellora deinstallieren…", "Pellora beenden",
      "Widerrufen", "Wiederholen", "Ausschneiden", "Kopieren", "Einsetzen", "Alles auswählen",
      "Im Dock ablegen", "Zoomen", "Alle nach vorne bringen", "Pellora öffnen", "Wird gestartet…",
      "Läuft", "Update verfügbar", "Reagiert nicht", "Darstellung", "Seite neu laden"}},
    {{"Fichier", "Édition", "Fenêtre", "Nouvelle fenêtre", "Fermer la fenêtre",
      "Rechercher des mises à jour…", "Ouvrir à la connexion", "Désinstaller Pellora…",
      "Quitter Pellora", "Annuler", "Rétablir", "Couper", "Copier", "Coller", "Tout sélectionner",
      "Placer dans le Dock", "Réduire/agrandir", "Tout ramener au premier plan", "Ouvrir Pellora",
      "Démarrage…", "En cours d’exécution", "Mise à jour disponible", "Ne répond pas", "Présentation",
      "Recharger la page"}},
    {{"Archivo", "Edición", "Ventana", "Nueva ventana", "Cerrar ventana", "Buscar actualizaciones…",
      "Abrir al iniciar sesión", "Desinstalar Pellora…", "Salir de Pellora", "Deshacer", "Rehacer",
      "Cortar", "Copiar", "Pegar", "Seleccionar todo", "Minimizar", "Zoom",
      "Traer todo al frente", "Abrir Pellora", "Iniciando…", "En ejecución",
      "Actualización disponible", "No responde", "Visualización", "Volver a cargar la página"}},
    {{"Arquivo", "Editar", "Janela", "Nova Janela", "Fechar Janela", "Verificar Atualizações…",
      "Abrir ao Iniciar Sessão", "Desinstalar o Pellora…", "Sair do Pellora", "Desfazer", "Refazer",
      "Recortar", "Copiar", "Colar", "Selecionar Tudo", "Minimizar", "Zoom",
      "Trazer Todas para a Frente", "Abrir o Pellora", "Iniciando…", "Em execução",
      "Atualização disponível", "Sem resposta", "Visualizar", "Recarregar Página"}},
}};

constexpr TextRecords<6> kTerminal = {{
    {{"Enable terminal command",
      "Manage Pellora from Terminal. Optional for everyday use. macOS will ask for administrator "
      "approval.",
      "Enable", "Cancel",
      "Could not enable the command. Check the local installation and whether another pellora "
      "command already exists.",
      "The pellora command is enabled. Open a new Terminal window to use it."}},
    {{"启用终端命令", "从终端管理 Pellora。日常使用中可选。macOS 将请求管理员批准。", "启用", "取消",
      "无法启用该命令。请检查本地安装，以及是否已存在另一个 pellora 命令。",
      "pellora 命令已启用。打开新的终端窗口即可使用。"}},
    {{"啟用終端機指令", "從終端機管理 Pellora。日常使用中可選。macOS 將要求管理員批准。", "啟用",
      "取消", "無法啟用該指令。請檢查本機安裝，以及是否已存在另一個 pellora 指令。",
      "pellora 指令已啟用。開啟新的終端機視窗即可使用。"}},
    {{"ターミナルコマンドを有効にする",
      "ターミナルから Pellora を管理します。普段の使用には必要ありません。macOS "
      "が管理者の承認を求めます。",
      "有効にする", "キャンセル",
      "コマンドを有効にできませんでした。ローカルのインストールと、別の pellora "
      "コマンドがすでに存在しないかを確認してください。",
      "pellora コマンドが有効になりました。新しいターミナルウインドウを開いて使用してください。"}},
    {{"터미널 명령 활성화",
      "터미널에서 Pellora를 관리합니다. 일상적인 사용에는 필요하지 않습니다. macOS에서 관리자 승인을 "
      "요청합니다.",
      "활성화", "취소",
      "명령을 활성화하지 못했습니다. 로컬 설치와 다른 pellora 명령이 이미 있는지 확인하세요.",
      "pellora 명령이 활성화되었습니다. 새 터미널 윈도우를 열어 사용하세요."}},
    {{"Terminal-Befehl aktivieren",
      "Pellora über das Terminal verwalten. Für die tägliche Nutzung optional. macOS fragt nach "
      "einer Administratorfreigabe.",
      "Aktivieren", "Abbrechen",
      "Der Befehl konnte nicht aktiviert werden. Prüfe die lokale Installation und ob bereits ein "
      "anderer pellora-Befehl existiert.",
      "Der Befehl pellora ist aktiviert. Öffne ein neues Terminalfenster, um ihn zu verwenden."}},
    {{"Activer la commande Terminal",
      "Gérez Pellora depuis le Terminal. Facultatif pour un usage quotidien. macOS demandera "
      "l’autorisation d’un administrateur.",
      "Activer", "Annuler",
      "Impossible d’activer la commande. Vérifiez l’installation locale et qu’aucune autre "
      "commande pellora n’existe déjà.",
      "La commande pellora est activée. Ouvrez une nouvelle fenêtre de Terminal pour l’utiliser."}},
    {{"Activar el comando de Terminal",
      "Gestiona Pellora desde Terminal. Opcional para el uso diario. macOS pedirá la aprobación de "
      "un administrador.",
      "Activar", "Cancelar",
      "No se pudo activar el comando. Comprueba la instalación local y si ya existe otro comando "
      "pellora.",
      "El comando pellora está activado. Abre una nueva ventana de Terminal para usarlo."}},
    {{"Ativar comando do Terminal",
      "Gerencie o Pellora pelo Terminal. Opcional no uso diário. O macOS pedirá a aprovação de um "
      "administrador.",
      "Ativar", "Cancelar",
      "Não foi possível ativar o comando. Verifique a instalação local e se já existe outro comando "
      "pellora.",
      "O comando pellora está ativado. Abra uma nova janela do Terminal para usá-lo."}},
}};

}  // namespace

constexpr IndexedTexts kShellTexts = indexedTexts(kShell);
constexpr IndexedTexts kMenuTexts = indexedTexts(kMenu);
constexpr IndexedTexts kTerminalTexts = indexedTexts(kTerminal);

constexpr MessageTexts kCompactWindowTitle = {
    "Compact Window", "紧凑窗口", "精簡視窗", "コンパクトウインドウ", "간결한 윈도우",
    "Kompaktes Fenster", "Fenêtre compacte", "Ventana compacta", "Janela Compacta",
};

}  // namespace pellora
