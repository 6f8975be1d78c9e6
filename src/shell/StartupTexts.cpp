// Texts of the startup screen: headings by startup mode, explanations, one text per
// startup phase, the component warning and the elapsed-time template.
#include "shell/TextTableData.h"

namespace pellora {

namespace {

constexpr TextRecords<17> kStartup = {{
    {{"Setting up Pellora", "Finishing the Pellora update", "Starting Pellora",
      "Connecting to Pellora",
      "Preparing built-in components for first use. Future launches will be faster.",
      "Your workspaces, chats and settings will be preserved.", "Preparing installation files…",
      "Unpacking installation files…", "Backing up your data…", "Installing application files…",
      "Preparing browser and document components…", "Preparing configuration…",
      "Starting local services…", "Opening Pellora…", "Restoring the previous version…",
      "Some components could not be prepared. Retry in System Settings after startup.",
      "Current step: {seconds}s elapsed"}},
    {{"正在设置 Pellora", "正在完成 Pellora 更新", "正在启动 Pellora", "正在连接 Pellora",
      "正在为首次使用准备内置组件。以后启动会更快。", "你的工作区、对话和设置都会保留。",
      "正在准备安装文件…", "正在解压安装文件…", "正在备份你的数据…", "正在安装应用文件…",
      "正在准备浏览器和文档组件…", "正在准备配置…", "正在启动本地服务…", "正在打开 Pellora…",
      "正在恢复到上一个版本…", "部分组件未能准备好。启动后可在系统设置中重试。",
      "当前步骤：已用时 {seconds} 秒"}},
    {{"正在設定 Pellora", "正在完成 Pellora 更新", "正在啟動 Pellora", "正在連接 Pellora",
      "正在為首次使用準備內置組件。之後啟動會更快。", "你的工作區、對話和設定都會保留。",
      "正在準備安裝檔案…", "正在解壓安裝檔案…", "正在備份你的資料…", "正在安裝應用程式檔案…",
      "正在準備瀏覽器和文件組件…", "正在準備設定…", "正在啟動本機服務…", "正在開啟 Pellora…",
      "正在還原至上一個版本…", "部分組件未能準備好。啟動後可在系統設定中重試。",
      "目前步驟：已用時 {seconds} 秒"}},
    {{"Pellora をセットアップしています", "Pellora のアップデートを完了しています",
      "Pellora を起動しています", "Pellora に接続しています",
      "初回使用に向けて内蔵コンポーネントを準備しています。次回以降の起動はより速くなります。",
      "ワークスペース、チャット、設定はそのまま保持されます。",
      "インストールファイルを準備しています…", "インストールファイルを展開しています…",
      "データをバックアップしています…", "アプリケーションファイルをインストールしています…",
      "ブラウザとドキュメントのコンポーネントを準備しています…", "設定を準備しています…",
      "ローカルサービスを起動しています…", "Pellora を開いています…",
      "以前のバージョンを復元しています…",
      "一部のコンポーネントを準備できませんでした。起動後にシステム設定から再試行してください。",
      "現在のステップ：{seconds} 秒経過"}},
    {{"Pellora 설정 중", "Pellora 업데이트 마무리 중", "Pellora 시작 중", "Pellora에 연결 중",
      "처음 사용을 위해 내장 구성 요소를 준비하고 있습니다. 다음 실행부터는 더 빨라집니다.",
      "작업 공간, 채팅 및 설정은 그대로 유지됩니다.", "설치 파일 준비 중…",
      "설치 파일 압축 해제 중…", "데이터 백업 중…", "애플리케이션 파일 설치 중…",
      "브라우저 및 문서 구성 요소 준비 중…", "구성 준비 중…", "로컬 서비스 시작 중…",
      "Pellora 여는 중…", "이전 버전 복원 중…",
      "일부 구성 요소를 준비하지 못했습니다. 시작 후 시스템 설정에서 다시 시도하세요.",
      "현재 단계: {seconds}초 경과"}},
    {{"Pellora wird eingerichtet", "Pellora-Update wird abgeschlossen", "Pellora wird gestartet",
      "Verbindung zu Pellora wird hergestellt",
      "Integrierte Komponenten werden für die erste Verwendung vorbereitet. Künftige Starts gehen "
      "schneller.",
      "Deine Arbeitsbereiche, Chats und Einstellungen bleiben erhalten.",
      "Installationsdateien werden vorbereitet…", "Installationsdateien werden entpackt…",
      "Deine Daten werden gesichert…", "Programmdateien werden installiert…",
      "Browser- und Dokumentkomponenten werden vorbereitet…", "Konfiguration wird vorbereitet…",
      "Lokale Dienste werden gestartet…", "Pellora wird geöffnet…",
      "Vorherige Version wird wiederhergestellt…",
      "Einige Komponenten konnten nicht vorbereitet werden. Versuche es nach dem Start in den "
      "Systemeinstellungen erneut.",
      "Aktueller Schritt: {seconds} s vergangen"}},
    {{"Configuration de Pellora", "Finalisation de la mise à jour de Pellora",
      "Démarrage de Pellora", "Connexion à Pellora",
      "Préparation des composants intégrés pour la première utilisation. Les prochains lancements "
      "seront plus rapides.",
      "Vos espaces de travail, conversations et réglages seront conservés.",
      "Préparation des fichiers d’installation…", "Décompression des fichiers d’installation…",
      "Sauvegarde de vos données…", "Installation des fichiers de l’application…",
      "Préparation des composants de navigateur et de documents…",
      "Préparation de la configuration…", "Démarrage des services locaux…", "Ouverture de Pellora…",
      "Restauration de la version précédente…",
      "Certains composants n’ont pas pu être préparés. Réessayez dans les Réglages Système après "
      "le démarrage.",
      "Étape en cours : {seconds} s écoulées"}},
    {{"Configurando Pellora", "Finalizando la actualización de Pellora", "Iniciando Pellora",
      "Conectando con Pellora",
      "Preparando los componentes integrados para el primer uso. Los próximos inicios serán más "
      "rápidos.",
      "Tus espacios de trabajo, chats y ajustes se conservarán.",
      "Preparando los archivos de instalación…", "Descomprimiendo los archivos de instalación…",
      "Haciendo una copia de seguridad de tus datos…", "Instalando los archivos de la aplicación…",
      "Preparando los componentes del navegador y de documentos…", "Preparando la configuración…",
      "Iniciando los servicios locales…", "Abriendo Pellora…", "Restaurando la versión anterior…",
      "No se pudieron preparar algunos componentes. Vuelve a intentarlo en Ajustes del Sistema "
      "después del inicio.",
      "Paso actual: {seconds} s transcurridos"}},
    {{"Configurando o Pellora", "Concluindo a atualização do Pellora", "Iniciando o Pellora",
      "Conectando ao Pellora",
      "Preparando os componentes integrados para o primeiro uso. As próximas inicializações serão "
      "mais rápidas.",
      "Seus espaços de trabalho, conversas e ajustes serão preservados.",
      "Preparando os arquivos de instalação…", "Descompactando os arquivos de instalação…",
      "Fazendo backup dos seus dados…", "Instalando os arquivos do aplicativo…",
      "Preparando os componentes de navegador e documentos…", "Preparando a configuração…",
      "Iniciando os serviços locais…", "Abrindo o Pellora…", "Restaurando a versão anterior…",
      "Alguns componentes não puderam ser preparados. Tente novamente nos Ajustes do Sistema após "
      "a inicialização.",
      "Etapa atual: {seconds} s decorridos"}},
}};

}  // namespace

constexpr IndexedTexts kStartupTexts = indexedTexts(kStartup);

constexpr MessageTexts kUpdateFailedText = {
    "The update did not finish. Trying to start the available installation.",
    "更新未完成。正在尝试启动现有的安装。",
    "更新未完成。正在嘗試啟動現有的安裝。",
    "アップデートが完了しませんでした。利用可能なインストールの起動を試みています。",
    "업데이트가 완료되지 않았습니다. 사용 가능한 설치를 시작하는 중입니다.",
    "Das Update wurde nicht abgeschlossen. Die vorhandene Installation wird gestartet.",
    "La mise à jour n’a pas abouti. Tentative de démarrage de l’installation disponible.",
    "La actualización no terminó. Intentando iniciar la instalación disponible.",
    "A atualização não foi concluída. Tentando iniciar a instalação disponível.",
};

constexpr MessageTexts kUpdateFailedNoInstallationText = {
    "The update failed and no usable installation was found. Please reinstall Pellora.",
    "更新失败，且未找到可用的安装。请重新安装 Pellora。",
    "更新失敗，且找不到可用的安裝。請重新安裝 Pellora。",
    "アップデートに失敗し、使用可能なインストールが見つかりませんでした。Pellora を再インストールしてください。",
    "업데이트에 실패했으며 사용 가능한 설치를 찾지 못했습니다. Pellora를 다시 설치하세요.",
    "Das Update ist fehlgeschlagen und es wurde keine nutzbare Installation gefunden. Bitte "
    "installiere Pellora neu.",
    "La mise à jour a échoué et aucune installation utilisable n’a été trouvée. Veuillez "
    "réinstaller Pellora.",
    "La actualización falló y no se encontró ninguna instalación utilizable. Vuelve a instalar "
    "Pellora.",
    "A atualização falhou e nenhuma instalação utilizável foi encontrada. Reinstale o Pellora.",
};

}  // namespace pellora
